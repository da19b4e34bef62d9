#include "platform/posix/PosixFileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/posix/PosixError.h"

namespace tamrel {

namespace {

// Owns one open descriptor.
class Descriptor {
public:
    // Opened without blocking and kept only when it is a regular file: a
    // FIFO or a device in a file's place would hang or feed us for ever.
    Descriptor(const std::string& path, int flags)
        : fd_(::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666)) {
        if (fd_ < 0) throw PosixError(errno, path);
        struct stat info {};
        if (::fstat(fd_, &info) != 0) throw PosixError(errno, path);
        if (!S_ISREG(info.st_mode)) {
            ::close(fd_);
            fd_ = -1;
            throw RuntimeError(EINVAL, "Not a regular file: " + path);
        }
    }
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closing is where some file systems first report a full disk.
    void Close(const std::string& path) {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) throw PosixError(errno, path);
    }

private:
    int fd_;
};

void WriteBytes(Descriptor& file, std::string_view bytes, const std::string& path) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(file.get(), bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            throw PosixError(errno, path);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void WriteAll(Descriptor& file, std::string_view bytes, const std::string& path) {
    WriteBytes(file, bytes, path);
    file.Close(path);
}

}  // namespace

std::string ExecutablePath() {
    std::string buffer(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0) throw PosixError(errno, "/proc/self/exe");
    buffer.resize(static_cast<std::size_t>(length));
    return buffer;
}

PosixFileSystem::PosixFileSystem(std::string programFolder, std::string markerFile)
    : PosixFileSystem(programFolder.empty() ? TamrelFolders{}
                                            : TamrelFolders{programFolder, programFolder, programFolder, {}},
                      std::move(markerFile)) {}

PosixFileSystem::PosixFileSystem(TamrelFolders folders, std::string markerFile)
    : folders_(std::move(folders)), markerFile_(std::move(markerFile)) {
    if (folders_.program.empty()) {
        const std::string exe = ExecutablePath();
        const auto slash = exe.rfind('/');
        folders_.program = slash == 0 ? "/" : exe.substr(0, slash);
        folders_.settings = folders_.logs = folders_.program;
    }
    if (markerFile_.empty()) {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        const std::string folder = runtime && *runtime ? runtime : folders_.settings;
        markerFile_ = (folder == "/" ? folder : folder + "/") + "holdmark.tes";
    }
}

MarkerState PosixFileSystem::CheckMarkerFile(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? MarkerState::Absent : MarkerState::Ignored;
    }
    return S_ISREG(info.st_mode) && info.st_uid == ::geteuid() ? MarkerState::Present : MarkerState::Ignored;
}

std::string PosixFileSystem::FileNameOnly(const std::string& path) const {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool PosixFileSystem::FileExists(const std::string& path) {
    const std::string name = FileNameOnly(path);
    if (name.empty() || name[0] == '.') return false;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG) return false;
        throw PosixError(errno, path);
    }
    return S_ISREG(info.st_mode);
}

bool PosixFileSystem::IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string PosixFileSystem::ReadFile(const std::string& path) {
    Descriptor file(path, O_RDONLY);
    std::string content;
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw PosixError(errno, path);
        }
        if (got == 0) break;
        content.append(buffer, static_cast<std::size_t>(got));
    }
    return content;
}

void PosixFileSystem::WriteFile(const std::string& path, std::string_view bytes) {
    Descriptor file(path, O_WRONLY | O_CREAT | O_TRUNC);
    WriteAll(file, bytes, path);
}

void PosixFileSystem::ReplaceFile(const std::string& linkOrFile, std::string_view bytes) {
    // A settings file kept elsewhere through a link stays there: the new
    // file replaces the link's target, with the old file's permissions.
    std::string path = linkOrFile;
    struct stat link {};
    if (::lstat(linkOrFile.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char* target = ::realpath(linkOrFile.c_str(), nullptr)) {
            path = target;
            std::free(target);
        }
    }
    struct stat old {};
    const bool existed = ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) throw PosixError(errno, path);
    try {
        Descriptor file(fd);
        // Readable by others as a file made with open() would be, unless
        // the file it replaces said otherwise.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        const mode_t mode = existed ? (old.st_mode & 07777) : (0666 & ~mask);
        if (::fchmod(fd, mode) != 0) throw PosixError(errno, path);
        WriteBytes(file, bytes, path);
        if (::fsync(fd) != 0) throw PosixError(errno, path);
        file.Close(path);
        if (::rename(temporary.c_str(), path.c_str()) != 0) throw PosixError(errno, path);
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
    // The rename itself reaches the disk with the folder.
    const std::string folder = path.substr(0, path.rfind('/') + 1);
    const int folderFd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
}

void PosixFileSystem::AppendFile(const std::string& path, std::string_view bytes) {
    Descriptor file(path, O_WRONLY | O_CREAT | O_APPEND);
    WriteAll(file, bytes, path);
}

void PosixFileSystem::RenameFile(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        const int error = errno;
        if (error == EXDEV) {
            // Another file system (the settings and the logs apart): copied
            // whole first, so that the file is never lost on the way.
            ReplaceFile(to, ReadFile(from));
            RemoveFile(from);
            return;
        }
        // When what stands at the new name is in the way, that is the file
        // the user has to look at.
        const bool inTheWay = error == EISDIR || error == ENOTEMPTY || error == EEXIST;
        throw PosixError(error, inTheWay ? to : from);
    }
}

void PosixFileSystem::RemoveFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0) throw PosixError(errno, path);
}

std::uint64_t PosixFileSystem::FileSize(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) throw PosixError(errno, path);
    return static_cast<std::uint64_t>(info.st_size);
}

bool PosixFileSystem::IsRunnable(const std::string& path) {
    if (!FileExists(path) || ::access(path.c_str(), X_OK) != 0) return false;
    // The system starts a program or a script with its #! line; a script
    // without one fails at every start.
    try {
        Descriptor file(path, O_RDONLY);
        char head[4] = {};
        const ssize_t got = ::read(file.get(), head, sizeof head);
        const std::string_view start(head, got > 0 ? static_cast<std::size_t>(got) : 0);
        return start.rfind("#!", 0) == 0 || start == "\x7f" "ELF";
    } catch (const RuntimeError&) {
        return false;
    }
}

bool PosixFileSystem::IsOwnExecutable(const std::string& path) {
    struct stat program {};
    struct stat self {};
    if (::stat(path.c_str(), &program) != 0 || ::stat("/proc/self/exe", &self) != 0) return false;
    return program.st_dev == self.st_dev && program.st_ino == self.st_ino;
}

void PosixFileSystem::MakeDriveCurrent(const std::string& path) {
    if (path.empty() || path[0] != '/') {
        throw RuntimeError(EINVAL, "The program path is not absolute: " + path);
    }
}

void PosixFileSystem::SetCurrentFolder(const std::string& folder) {
    if (::chdir(folder.c_str()) != 0) throw PosixError(errno, folder);
}

}  // namespace tamrel
