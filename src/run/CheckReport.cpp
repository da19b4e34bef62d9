// How `tamrel --check` tells its findings: plain lines for a person, JSON
// for a tool.

#include <cstdio>

#include "log/Printable.h"
#include "run/SettingsCheck.h"
#include "settings/Text.h"

namespace tamrel {

namespace {

const char* StatusWords(int status) {
    switch (status) {
        case kCheckGood: return "complete, every value used as written";
        case kCheckReplaced: return "usable, with values replaced";
        default: return "a reader would stop";
    }
}

// Bytes above 127 are the file's 8-bit characters, told as such.
std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte > 0x7E) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace

std::string CheckText(const CheckReport& report) {
    std::string text = Printable(report.path) + "\n";
    for (const Finding& f : report.findings) {
        text += f.line == 0 ? std::string("file: ")
                            : "line " + PlainNumber(static_cast<long>(f.line)) + ": " + f.key + " " + Printable(f.value) + ": ";
        text += Printable(f.what) + "\n";
    }
    return text + "status " + PlainNumber(report.status) + ": " + StatusWords(report.status) + "\n";
}

std::string CheckJson(const CheckReport& report) {
    std::string json = "{\"file\": " + JsonString(report.path) + ", \"status\": " + PlainNumber(report.status) +
                       ", \"meaning\": " + JsonString(StatusWords(report.status)) + ", \"findings\": [";
    for (std::size_t i = 0; i < report.findings.size(); ++i) {
        const Finding& f = report.findings[i];
        json += std::string(i ? "," : "") + "\n  {\"line\": " + PlainNumber(static_cast<long>(f.line)) +
                ", \"key\": " + JsonString(f.key) + ", \"value\": " + JsonString(f.value) +
                ", \"reader\": " + JsonString(f.reader) + ", \"finding\": " + JsonString(f.what) +
                ", \"status\": " + PlainNumber(f.status) + "}";
    }
    return json + "]}\n";
}

int AnswerCheck(const CommandLine& command, FileSystem& files, std::FILE* output) {
    const CheckReport report = CheckSettings(files, command.file);
    const std::string text = command.json ? CheckJson(report) : CheckText(report);
    const bool written = std::fputs(text.c_str(), output) >= 0 && std::fflush(output) == 0 && !std::ferror(output);
    return written ? report.status : kCheckUnusable;
}

}  // namespace tamrel
