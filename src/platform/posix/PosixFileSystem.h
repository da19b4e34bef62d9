#pragma once
// Files and folders on a POSIX system. Paths use "/"; a name that begins
// with a dot is hidden and therefore not found by FileExists.

#include <string>

#include "platform/FileSystem.h"
#include "platform/posix/UserFolders.h"

namespace tamrel {

class PosixFileSystem : public FileSystem {
public:
    // `programFolder` empty: the folder of the running executable.
    // `markerFile` empty: holdmark.tes in the user's own runtime folder
    // ($XDG_RUNTIME_DIR), or in the program folder where there is none.
    explicit PosixFileSystem(std::string programFolder = {}, std::string markerFile = {});
    // Settings and logs kept apart from the program, as an installed copy
    // keeps them.
    explicit PosixFileSystem(TamrelFolders folders, std::string markerFile = {});

    char Separator() const override { return '/'; }
    std::string ProgramFolder() const override { return folders_.program; }
    std::string SettingsFolder() const override { return folders_.settings; }
    std::string LogFolder() const override { return folders_.logs; }
    std::vector<std::string> SystemSettingsFolders() const override { return folders_.system; }
    std::string FileNameOnly(const std::string& path) const override;
    std::vector<std::string> MarkerFilePaths() const override { return {markerFile_}; }
    MarkerState CheckMarkerFile(const std::string& path) override;

    bool FileExists(const std::string& path) override;
    bool IsFolder(const std::string& path) override;
    std::string ReadFile(const std::string& path) override;
    void WriteFile(const std::string& path, std::string_view bytes) override;
    void ReplaceFile(const std::string& path, std::string_view bytes) override;
    void AppendFile(const std::string& path, std::string_view bytes) override;
    void RenameFile(const std::string& from, const std::string& to) override;
    void RemoveFile(const std::string& path) override;
    std::uint64_t FileSize(const std::string& path) override;
    bool IsRunnable(const std::string& path) override;
    bool IsOwnExecutable(const std::string& path) override;
    FileFilter ProgramFilter() const override { return {"All files (*)", "*"}; }
    void MakeDriveCurrent(const std::string& path) override;
    void SetCurrentFolder(const std::string& folder) override;

private:
    TamrelFolders folders_;
    std::string markerFile_;
};

// The running executable, from /proc/self/exe.
std::string ExecutablePath();

}  // namespace tamrel
