#include "platform/win32/Win32Error.h"

#include <cstring>

#include "platform/win32/Win32Api.h"

namespace tamrel::win32 {

namespace {

std::string Described(std::string text, const std::string& subject) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    if (!text.empty() && text.back() == '.') text.pop_back();
    return subject.empty() ? text : text + ": " + subject;
}

}  // namespace

std::string SystemMessage(unsigned long number) {
    char* buffer = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, number, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&buffer), 0,
        nullptr);
    if (length == 0 || !buffer) return "System error " + std::to_string(number);
    std::string text(buffer, length);
    ::LocalFree(buffer);
    return Described(std::move(text), {});
}

RuntimeError SystemError(unsigned long number, const std::string& subject) {
    return RuntimeError(static_cast<long>(number), Described(SystemMessage(number), subject));
}

RuntimeError LastError(const std::string& subject) { return SystemError(::GetLastError(), subject); }

RuntimeError RuntimeLibraryError(int number, const std::string& subject) {
    return RuntimeError(number, Described(std::strerror(number), subject));
}

}  // namespace tamrel::win32
