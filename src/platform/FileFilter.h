#pragma once

#include <string>

namespace tamrel {

// One entry of an Open dialog's filter: its description and the patterns
// it lists, separated by ";" ("*.exe;*.bat"). "*" lists every file.
struct FileFilter {
    std::string description;
    std::string patterns;
};

}  // namespace tamrel
