#include "platform/posix/PosixAutostart.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "platform/RuntimeError.h"
#include "platform/posix/UserFolders.h"
#include "settings/Text.h"
#include "log/Printable.h"

namespace tamrel {

namespace {

bool IsUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || at + length > text.size()) return false;
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(text[at + i]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms and surrogates are not UTF-8 either.
        constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        at += length;
    }
    return true;
}

// A desktop entry is UTF-8 and holds each key on one line; its string
// escapes reach neither the Exec quoting nor every reader alike.
void CheckWritable(const std::string& path) {
    for (const char c : path) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            throw RuntimeError(EINVAL, "The path of this Tamrel, " + Printable(path) +
                                           ", holds a tab, a line break or another control character, which a "
                                           "desktop entry cannot hold. Move Tamrel to a folder with a plain name.");
        }
    }
    if (!IsUtf8(path)) {
        throw RuntimeError(EILSEQ, "The path of this Tamrel, " + Printable(path) +
                                       ", is not UTF-8 text, which a desktop entry must be. Move Tamrel to a "
                                       "folder with a plain name.");
    }
}

std::string StringValue(std::string_view text) {
    std::string value;
    for (const char c : text) value += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return value;
}

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
    return StringValue(plain ? quoted : '"' + quoted + '"');
}

std::string UnescapedString(std::string_view value) {
    std::string text;
    for (std::size_t at = 0; at < value.size(); ++at) {
        if (value[at] != '\\' || at + 1 == value.size()) {
            text += value[at];
            continue;
        }
        const char next = value[++at];
        const std::string_view from = "snrt\\", to = " \n\r\t\\";
        const std::size_t known = from.find(next);
        text += known == std::string_view::npos ? std::string{'\\', next} : std::string(1, to[known]);
    }
    return text;
}

// The program an Exec value starts: its first argument, unquoted.
std::string ExecProgram(std::string_view value) {
    const std::string exec = UnescapedString(value);
    std::string program;
    std::size_t at = exec.find_first_not_of(" \t");
    bool quoted = false;
    for (; at < exec.size(); ++at) {
        const char c = exec[at];
        if (c == '"') {
            quoted = !quoted;
        } else if (c == '\\' && at + 1 < exec.size()) {
            program += exec[++at];
        } else if (!quoted && (c == ' ' || c == '\t')) {
            break;
        } else if (c == '%' && at + 1 < exec.size() && exec[at + 1] == '%') {
            program += exec[at++];
        } else {
            program += c;
        }
    }
    return program;
}

// The key lines of the [Desktop Entry] group that decide whether it runs.
struct EntryKeys {
    std::string exec;
    bool hidden = false;
};

EntryKeys ReadEntry(const std::string& text) {
    EntryKeys keys;
    bool inEntry = false;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.starts_with("[")) inEntry = line == "[Desktop Entry]";
        const std::size_t equals = line.find('=');
        if (!inEntry || equals == std::string::npos) continue;
        const std::string key = Trim(line.substr(0, equals));
        const std::string value = Trim(line.substr(equals + 1));
        if (key == "Exec") keys.exec = value;
        // A desktop's own switch turns an entry off without removing it.
        if (key == "Hidden") keys.hidden = LowerCase(value) == "true";
    }
    return keys;
}

}  // namespace

std::string AutostartEntryText(const std::string& executable) {
    CheckWritable(executable);
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Tamrel\n"
           "Comment=Launches the cabinet's program, then shuts the machine down\n"
           "TryExec=" + StringValue(executable) + "\n"
           "Exec=" + ExecArgument(executable) + "\n"
           "Terminal=false\n";
}

bool PosixAutostart::Starts(const std::string& program) const {
    if (program.empty()) return false;
    if (program == executable_) return true;
    std::error_code failed;
    if (program.find('/') != std::string::npos) return std::filesystem::equivalent(program, executable_, failed);
    // A bare name is found as the session finds it.
    const char* path = std::getenv("PATH");
    for (std::string_view folders = path ? path : ""; !folders.empty();) {
        const std::size_t colon = std::min(folders.find(':'), folders.size());
        const std::string folder(folders.substr(0, colon));
        folders.remove_prefix(std::min(colon + 1, folders.size()));
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) return std::filesystem::equivalent(candidate, executable_, failed);
    }
    return false;
}

std::vector<std::string> PosixAutostart::EntriesInForce() const {
    std::vector<std::string> entries;
    std::error_code failed;
    for (const auto& file : std::filesystem::directory_iterator(FolderOf(entry_), failed)) {
        const std::string path = file.path().string();
        if (!EndsWith(path, ".desktop") || !files_.FileExists(path)) continue;
        try {
            const EntryKeys keys = ReadEntry(files_.ReadFile(path));
            if (!keys.hidden && Starts(ExecProgram(keys.exec))) entries.push_back(path);
        } catch (const RuntimeError&) {
            // an entry that cannot be read is not run either
        }
    }
    return entries;
}

std::string PosixAutostart::EntryPath() const {
    const std::vector<std::string> entries = EntriesInForce();
    return entries.empty() ? entry_ : entries.front();
}

void PosixAutostart::SetOn(bool on) {
    if (!on) {
        for (const std::string& entry : EntriesInForce()) files_.RemoveFile(entry);
        return;
    }
    const std::string text = AutostartEntryText(executable_);
    // A folder that cannot be made fails the write, which names the path.
    MakeFolders(FolderOf(entry_));
    files_.ReplaceFile(entry_, text);
}

std::string PosixAutostart::FolderOf(const std::string& entry) { return entry.substr(0, entry.rfind('/')); }

std::string PosixAutostart::User() const { return NameOfUser(); }

}  // namespace tamrel
