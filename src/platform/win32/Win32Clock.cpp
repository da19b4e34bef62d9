#include "platform/win32/Win32Clock.h"

#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32Error.h"

namespace tamrel {

namespace {

template <typename Format>
std::string Formatted(Format format, const SYSTEMTIME& when, DWORD flags) {
    const int size = format(LOCALE_USER_DEFAULT, flags, &when, nullptr, nullptr, 0);
    if (size <= 0) throw win32::LastError("the date and time");
    std::string text(static_cast<std::size_t>(size), '\0');
    if (format(LOCALE_USER_DEFAULT, flags, &when, nullptr, text.data(), size) <= 0) {
        throw win32::LastError("the date and time");
    }
    text.resize(static_cast<std::size_t>(size) - 1);  // the count includes the terminator
    return text;
}

}  // namespace

std::string Win32Clock::NowText() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return Formatted(::GetDateFormatA, now, DATE_SHORTDATE) + " " + Formatted(::GetTimeFormatA, now, 0);
}

}  // namespace tamrel
