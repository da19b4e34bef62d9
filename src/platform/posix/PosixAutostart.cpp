#include "platform/posix/PosixAutostart.h"

#include <algorithm>

#include "platform/RuntimeError.h"
#include "platform/posix/UserFolders.h"
#include "settings/Text.h"

namespace tamrel {

namespace {

// The path as one argument of the Exec key: quoted when it holds anything
// but plain characters, then escaped once more as a string value.
std::string ExecArgument(const std::string& path) {
    bool plain = !path.empty();
    for (const char c : path) {
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          std::string_view("/._+-").find(c) != std::string_view::npos;
        plain = plain && safe;
    }
    std::string quoted;
    for (const char c : path) {
        if (!plain && std::string_view("\"`$\\").find(c) != std::string_view::npos) quoted += '\\';
        quoted += c == '%' ? std::string("%%") : std::string(1, c);
    }
    if (!plain) quoted = '"' + quoted + '"';
    std::string value;
    for (const char c : quoted) value += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return value;
}

}  // namespace

std::string AutostartEntryText(const std::string& executable) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Tamrel\n"
           "Comment=Launches the cabinet's program, then shuts the machine down\n"
           "Exec=" + ExecArgument(executable) + "\n"
           "Terminal=false\n";
}

bool PosixAutostart::IsOn() {
    try {
        if (!files_.FileExists(entry_)) return false;
        // A desktop's own switch turns an entry off without removing it.
        const std::string text = files_.ReadFile(entry_);
        for (std::size_t start = 0; start < text.size();) {
            const std::size_t end = std::min(text.find('\n', start), text.size());
            if (Trim(LowerCase(text.substr(start, end - start))) == "hidden=true") return false;
            start = end + 1;
        }
        return true;
    } catch (const RuntimeError&) {
        return false;  // an entry that cannot be read is not run either
    }
}

void PosixAutostart::SetOn(bool on) {
    if (!on) {
        if (files_.FileExists(entry_)) files_.RemoveFile(entry_);
        return;
    }
    // A folder that cannot be made fails the write, which names the path.
    MakeFolders(entry_.substr(0, entry_.rfind('/')));
    files_.ReplaceFile(entry_, AutostartEntryText(executable_));
}

}  // namespace tamrel
