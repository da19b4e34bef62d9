#pragma once
// Files, folders and paths as the platform provides them. Every failure is a
// RuntimeError carrying the system's number and description.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileFilter.h"

namespace tamrel {

enum class MarkerState {
    Absent,
    Present,
    Ignored,  // something stands at its path that does not count
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // '\\' on Windows, '/' elsewhere: put between a folder and a name.
    virtual char Separator() const = 0;
    // Folder of the running executable; ends with the separator only at a root.
    virtual std::string ProgramFolder() const = 0;
    // Where tamrel.set is kept, and where the logs, tamrel.bad and the lock
    // of one instance are: the program folder, unless Tamrel is installed
    // for every user and keeps them in each user's own folders.
    virtual std::string SettingsFolder() const { return ProgramFolder(); }
    virtual std::string LogFolder() const { return ProgramFolder(); }
    // Where the system keeps settings for users who have none of their own,
    // in the order they are looked at; none for a copy of its own folder.
    virtual std::vector<std::string> SystemSettingsFolders() const { return {}; }
    // Last component of a path; the whole text when it holds no separator.
    virtual std::string FileNameOnly(const std::string& path) const = 0;
    // Where a front end may leave its "do not shut down" marker, in the
    // order they are looked at.
    virtual std::vector<std::string> MarkerFilePaths() const = 0;
    // Whether the marker is at one of those paths. On a machine of several
    // users only the user's own regular file counts (a link never), so that
    // nobody else can keep the machine on or break the shutdown.
    virtual MarkerState CheckMarkerFile(const std::string& path) = 0;

    // A plain file search: normal, read-only and archive files are found;
    // folders, hidden and system files are not.
    virtual bool FileExists(const std::string& path) = 0;
    // A folder stands at the path.
    virtual bool IsFolder(const std::string& path) = 0;
    // In bytes, of an existing file.
    virtual std::uint64_t FileSize(const std::string& path) = 0;
    // Whole content, bytes unchanged.
    virtual std::string ReadFile(const std::string& path) = 0;
    // Creates the file, or empties an existing one, and writes the bytes.
    virtual void WriteFile(const std::string& path, std::string_view bytes) = 0;
    // Replaces the file whole or not at all: the bytes go to a temporary
    // file in the same folder, reach the disk, and are renamed over `path`.
    // On failure the old file is untouched and no temporary file is left.
    virtual void ReplaceFile(const std::string& path, std::string_view bytes) = 0;
    // Creates the file when missing and adds the bytes at its end.
    virtual void AppendFile(const std::string& path, std::string_view bytes) = 0;
    // Tamrel renames and removes only its own files, so a read-only one
    // (a log the user protected) is renamed or removed all the same.
    virtual void RenameFile(const std::string& from, const std::string& to) = 0;
    virtual void RemoveFile(const std::string& path) = 0;

    // An existing file the user may start as a program: on Linux it needs
    // the execute permission; on Windows every file may be tried.
    virtual bool IsRunnable(const std::string& path) = 0;
    // The file is this very program (the same file, not only the same
    // name): launching it would start instances without end.
    virtual bool IsOwnExecutable(const std::string& path) = 0;
    // The Open dialog's one filter entry when choosing a program.
    virtual FileFilter ProgramFilter() const = 0;

    // Makes the drive of `path` current (Windows); elsewhere checks that the
    // path is absolute, since there is no drive to change to.
    virtual void MakeDriveCurrent(const std::string& path) = 0;
    virtual void SetCurrentFolder(const std::string& folder) = 0;
};

}  // namespace tamrel
