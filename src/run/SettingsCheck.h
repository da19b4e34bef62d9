#pragma once
// `tamrel --check`: a settings file read as run mode's start-up, the
// shutdown screen and setup read it, through their own readers, writing
// nothing and showing nothing; what each would do with what it does not use
// as written.

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "run/CommandLine.h"

namespace tamrel {

// The exit status of a check, and of each finding.
enum CheckStatus : int {
    kCheckGood = 0,      // complete, every value used as written
    kCheckReplaced = 1,  // usable, with values replaced
    kCheckUnusable = 2,  // a reader would stop
};

struct Finding {
    std::size_t line = 0;  // from 1; 0 for the file as a whole
    std::string key;       // as the file writes it, "Seconds to cancel ="
    std::string value;
    std::string reader;    // "start-up", "screen", "setup"; "" for every one
    std::string what;      // "out of range: the screen uses 10"
    int status = kCheckGood;
};

struct CheckReport {
    std::string path;
    std::vector<Finding> findings;
    int status = kCheckGood;  // the worst finding's
};

// `path` empty: the file Tamrel would read.
CheckReport CheckSettings(FileSystem& files, const std::string& path);

// One line per finding, then the status.
std::string CheckText(const CheckReport& report);
// One object: the file, the status and the findings, one object each.
std::string CheckJson(const CheckReport& report);

// The check the command line asked for, told on `output`; its status, or
// kCheckUnusable when the answer could not be written.
int AnswerCheck(const CommandLine& command, FileSystem& files, std::FILE* output);

}  // namespace tamrel
