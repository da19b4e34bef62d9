#include "platform/win32/Win32FileSystem.h"

#include <direct.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <vector>

#include "platform/Paths.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Handle.h"
#include "platform/win32/Win32Shortcut.h"

namespace tamrel {

namespace {

using win32::LastError;

// Attributes that keep a plain file search from finding a name.
constexpr DWORD kNotPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// A name the system cannot take (too long, or with characters no name has)
// names no file, as on Linux.
bool NamesNoFile(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_NO_MORE_FILES:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_INVALID_PARAMETER:
            return true;
        default:
            return false;
    }
}

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsDriveColon(const std::string& path, std::size_t at) { return at == 1 && IsDriveLetter(path[0]); }

win32::FileHandle Open(const std::string& path, DWORD access, DWORD disposition) {
    win32::FileHandle file(::CreateFileW(Wide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw LastError(path);
    return file;
}

void WriteAll(const win32::FileHandle& file, std::string_view bytes, const std::string& path) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file.get(), bytes.data(), chunk, &written, nullptr)) throw LastError(path);
        bytes.remove_prefix(written);
    }
}

// Every file the core renames or removes is one of Tamrel's own (the logs,
// a damaged settings file); a read-only one left by a user must not stop
// every later start.
void AllowChanges(const std::string& path) {
    const std::wstring wide = Wide(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        ::SetFileAttributesW(wide.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    }
}

}  // namespace

std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    if (length > 0) ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::optional<std::string> Narrow(const std::wstring& text, unsigned codePage) {
    if (text.empty()) return std::string();
    const int size = static_cast<int>(text.size());
    BOOL lossy = FALSE;
    const int length = ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr, 0, nullptr,
                                             &lossy);
    if (length <= 0 || lossy) return std::nullopt;
    std::string narrow(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(), size, narrow.data(), length, nullptr, &lossy);
    if (lossy) return std::nullopt;
    return narrow;
}

namespace {

std::wstring LongestPath(const std::wstring& path, DWORD(WINAPI* convert)(LPCWSTR, LPWSTR, DWORD)) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = convert(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return path;
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(length);
    }
}

std::wstring ExecutablePathWide() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) throw LastError("the running program");
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::vector<std::wstring> Parts(const std::wstring& path) {
    std::vector<std::wstring> parts(1);
    for (const wchar_t c : path) {
        if (c == L'\\' || c == L'/') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

// The extension as the long name spells it: the file system takes "SKIN~1.bmp"
// as "SKIN~1.BMP", and a reader that wants ".bmp" gets it.
std::wstring WithExtensionOf(std::wstring shortName, const std::wstring& longName) {
    const auto dot = shortName.rfind(L'.'), longDot = longName.rfind(L'.');
    if (dot == std::wstring::npos || longDot == std::wstring::npos) return shortName;
    const std::wstring extension = longName.substr(longDot);
    if (!Narrow(extension) || ::lstrcmpiW(extension.c_str(), shortName.c_str() + dot) != 0) return shortName;
    return shortName.replace(dot, std::wstring::npos, extension);
}

}  // namespace

std::optional<std::string> ShortNarrowPath(const std::wstring& path, unsigned codePage) {
    const std::vector<std::wstring> longParts = Parts(path);
    const std::vector<std::wstring> shortParts = Parts(LongestPath(path, ::GetShortPathNameW));
    if (shortParts.size() != longParts.size()) return std::nullopt;
    std::string narrow;
    for (std::size_t i = 0; i < longParts.size(); ++i) {
        std::optional<std::string> part = Narrow(longParts[i], codePage);
        if (!part) part = Narrow(WithExtensionOf(shortParts[i], longParts[i]), codePage);
        if (!part) return std::nullopt;
        narrow += (i ? "\\" : "") + *part;
    }
    return narrow;
}

std::string NearestNarrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length =
        ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr, 0, "?", nullptr);
    std::string narrow(static_cast<std::size_t>(std::max(length, 0)), '\0');
    if (length > 0) {
        ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, narrow.data(), length, "?", nullptr);
    }
    return narrow;
}

std::string NarrowPath(const std::wstring& path, unsigned codePage) {
    if (std::optional<std::string> narrow = Narrow(path, codePage)) return *narrow;
    if (std::optional<std::string> shortForm = ShortNarrowPath(path, codePage)) return *shortForm;
    throw win32::SystemError(ERROR_NO_UNICODE_TRANSLATION, "the path of the running program");
}

std::string ExecutablePath() { return NarrowPath(ExecutablePathWide()); }

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return {};
    if (slash == 2 && IsDriveColon(path, 1)) return path.substr(0, 3);
    return path.substr(0, slash);
}

Win32FileSystem::Win32FileSystem(std::string programFolder, std::string markerFile)
    : programFolder_(std::move(programFolder)), markerFile_(std::move(markerFile)) {
    if (programFolder_.empty()) programFolder_ = FolderOf(ExecutablePath());
}

std::string Win32FileSystem::FileNameOnly(const std::string& path) const {
    const auto separator = path.find_last_of("\\/:");
    if (separator == std::string::npos) return path;
    if (path[separator] == ':' && !IsDriveColon(path, separator)) {
        // A colon that is not a drive's belongs to the name.
        const auto slash = path.find_last_of("\\/");
        return slash == std::string::npos ? path : path.substr(slash + 1);
    }
    return path.substr(separator + 1);
}

bool Win32FileSystem::IsFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::vector<std::string> Win32FileSystem::MarkerFilePaths() const {
    const std::string inFolder = InProgramFolder(*this, "holdmark.tes");
    if (::lstrcmpiA(inFolder.c_str(), markerFile_.c_str()) == 0) return {markerFile_};
    return {markerFile_, inFolder};
}

MarkerState Win32FileSystem::CheckMarkerFile(const std::string& path) {
    // A file counts whatever its attributes: a front end may well make it
    // hidden, and the machine must not go off for that.
    const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (NamesNoFile(error)) return MarkerState::Absent;
        throw win32::SystemError(error, path);
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? MarkerState::Ignored : MarkerState::Present;
}

bool Win32FileSystem::FileExists(const std::string& path) {
    // One name only: a pattern would find any file that matches it.
    if (path.empty() || path.find_first_of("*?") != std::string::npos) return false;
    WIN32_FIND_DATAW found{};
    win32::FindHandle search(::FindFirstFileW(Wide(path).c_str(), &found));
    if (!search) {
        const DWORD error = ::GetLastError();
        if (NamesNoFile(error)) return false;
        throw win32::SystemError(error, path);
    }
    return (found.dwFileAttributes & kNotPlain) == 0;
}

std::string Win32FileSystem::ReadFile(const std::string& path) {
    const win32::FileHandle file = Open(path, GENERIC_READ, OPEN_EXISTING);
    std::string content;
    char buffer[8192];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) throw LastError(path);
        if (got == 0) return content;
        content.append(buffer, got);
    }
}

void Win32FileSystem::WriteFile(const std::string& path, std::string_view bytes) {
    const win32::FileHandle file = Open(path, GENERIC_WRITE, CREATE_ALWAYS);
    WriteAll(file, bytes, path);
}

void Win32FileSystem::ReplaceFile(const std::string& path, std::string_view bytes) {
    const std::string temporary = path + ".new";
    try {
        {
            const win32::FileHandle file = Open(temporary, GENERIC_WRITE, CREATE_ALWAYS);
            WriteAll(file, bytes, temporary);
            if (!::FlushFileBuffers(file.get())) throw LastError(temporary);
        }
        if (!::MoveFileExW(Wide(temporary).c_str(), Wide(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            throw LastError(path);
        }
    } catch (...) {
        ::DeleteFileW(Wide(temporary).c_str());
        throw;
    }
}

void Win32FileSystem::AppendFile(const std::string& path, std::string_view bytes) {
    // Append access alone makes every write go to the end of the file.
    const win32::FileHandle file = Open(path, FILE_APPEND_DATA, OPEN_ALWAYS);
    WriteAll(file, bytes, path);
}

bool Win32FileSystem::IsOwnExecutable(const std::string& path) {
    // Long full forms on both sides: a short or relative name of this very
    // file is still this file.
    const auto full = [](const std::wstring& name) {
        std::wstring buffer(MAX_PATH, L'\0');
        for (;;) {
            const DWORD length =
                ::GetFullPathNameW(name.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
            if (length == 0) return std::wstring();
            if (length < buffer.size()) {
                buffer.resize(length);
                return LongestPath(buffer, ::GetLongPathNameW);
            }
            buffer.resize(length);
        }
    };
    const std::wstring own = full(ExecutablePathWide());
    const auto isOwn = [&](const std::wstring& name) {
        const std::wstring candidate = full(name);
        return !candidate.empty() && ::lstrcmpiW(candidate.c_str(), own.c_str()) == 0;
    };
    if (isOwn(Wide(path))) return true;
    // A shortcut starts its target, so one to Tamrel is Tamrel.
    if (!IsShortcut(path)) return false;
    const std::optional<Shortcut> shortcut = ReadShortcut(Wide(path));
    return shortcut && isOwn(shortcut->target);
}

std::uint64_t Win32FileSystem::FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) throw LastError(path);
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void Win32FileSystem::RenameFile(const std::string& from, const std::string& to) {
    AllowChanges(from);
    if (!::MoveFileW(Wide(from).c_str(), Wide(to).c_str())) {
        const DWORD error = ::GetLastError();
        // When what stands at the new name is in the way, that is the file
        // the user has to look at.
        const DWORD attributes = ::GetFileAttributesW(Wide(to).c_str());
        const bool inTheWay = attributes != INVALID_FILE_ATTRIBUTES;
        throw win32::SystemError(error, inTheWay ? to : from);
    }
}

void Win32FileSystem::RemoveFile(const std::string& path) {
    AllowChanges(path);
    if (!::DeleteFileW(Wide(path).c_str())) throw LastError(path);
}

void Win32FileSystem::MakeDriveCurrent(const std::string& path) {
    // "front.bat" would otherwise be read as drive F:.
    if (path.size() < 2 || path[1] != ':' || !IsDriveColon(path, 1)) {
        throw RuntimeError(ERROR_INVALID_DRIVE, "The program path has no drive letter: " + path);
    }
    const int drive = (path[0] & ~0x20) - 'A' + 1;
    if (::_chdrive(drive) != 0) throw win32::RuntimeLibraryError(errno, path);
}

void Win32FileSystem::SetCurrentFolder(const std::string& folder) {
    if (!::SetCurrentDirectoryW(Wide(folder).c_str())) throw LastError(folder);
}

}  // namespace tamrel
