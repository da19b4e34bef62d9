#pragma once
// Files and folders on Windows. Paths are 8-bit text in the system code page,
// like the settings file they come from; they meet the system's wide
// functions only here, so a folder the code page cannot spell still works.

#include <optional>
#include <string>

#include "platform/FileSystem.h"

namespace tamrel {

class Win32FileSystem : public FileSystem {
public:
    // `programFolder` empty: the folder of the running executable.
    explicit Win32FileSystem(std::string programFolder = {}, std::string markerFile = "c:\\holdmark.tes");

    char Separator() const override { return '\\'; }
    std::string ProgramFolder() const override { return programFolder_; }
    std::string FileNameOnly(const std::string& path) const override;
    // `markerFile`, then holdmark.tes in the program folder, which a user
    // who may not write to the root of C: can make.
    std::vector<std::string> MarkerFilePaths() const override;
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
    bool IsRunnable(const std::string& path) override { return FileExists(path); }
    bool IsOwnExecutable(const std::string& path) override;
    FileFilter ProgramFilter() const override { return {"Executable files (.exe .bat)", "*.exe;*.bat"}; }
    void MakeDriveCurrent(const std::string& path) override;
    void SetCurrentFolder(const std::string& folder) override;

private:
    std::string programFolder_;
    std::string markerFile_;
};

// System code page text as the wide functions take it.
std::wstring Wide(const std::string& text);
// Text in the system code page (0) or another; nothing when some character
// has no form in it.
std::optional<std::string> Narrow(const std::wstring& text, unsigned codePage = 0);
// A wide path as 8-bit text; where the code page cannot spell a name, the
// system's short name of that path stands for it.
std::string NarrowPath(const std::wstring& path, unsigned codePage = 0);
// Each part of the path as 8-bit text: as it is, or where the code page
// cannot spell it, as its short name. Nothing where a part has neither.
std::optional<std::string> ShortNarrowPath(const std::wstring& path, unsigned codePage = 0);
// For showing only: what the code page cannot spell becomes "?".
std::string NearestNarrow(const std::wstring& text);

// The running executable's full path.
std::string ExecutablePath();
// The folder part of a full path; it keeps its "\" only at a drive's root.
std::string FolderOf(const std::string& path);

}  // namespace tamrel
