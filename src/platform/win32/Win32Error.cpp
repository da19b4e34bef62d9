#include "platform/win32/Win32Error.h"

#include <cstring>

#include "platform/win32/Win32Api.h"

namespace tamrel::win32 {

namespace {

// A system text may hold inserts ("%1") for a name the caller was to give;
// we name the file ourselves after the text, so an insert becomes plain words.
std::string WithoutInserts(const std::string& text) {
    std::string plain;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '%' && at + 1 < text.size() && text[at + 1] >= '1' && text[at + 1] <= '9') {
            plain += "the file";
            ++at;
            while (at + 1 < text.size() && text[at + 1] >= '0' && text[at + 1] <= '9') ++at;
        } else {
            plain += text[at];
        }
    }
    return plain;
}

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
    return Described(WithoutInserts(text), {});
}

RuntimeError SystemError(unsigned long number, const std::string& subject) {
    return RuntimeError(static_cast<long>(number), Described(SystemMessage(number), subject));
}

RuntimeError LastError(const std::string& subject) { return SystemError(::GetLastError(), subject); }

RuntimeError RuntimeLibraryError(int number, const std::string& subject) {
    return RuntimeError(number, Described(std::strerror(number), subject));
}

}  // namespace tamrel::win32
