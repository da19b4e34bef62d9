#pragma once

#include <string>
#include <string_view>

namespace tamrel {

// A text from outside (another program's words, a path, an argument, a
// system message) made safe for one log line or one label: control
// characters become visible escapes (\n, \t, \x1B), so that
// nobody can forge a log line or ring a terminal. Everything else, bytes
// of other scripts and backslashes of Windows paths included, stays.
inline std::string Printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 32 && byte != 127) {
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            static constexpr char kHex[] = "0123456789ABCDEF";
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

}  // namespace tamrel
