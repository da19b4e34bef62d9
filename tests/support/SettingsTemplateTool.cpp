// Prints a test settings file with CR LF line ends: the arguments are the
// overrides of SettingsTemplate. For the end-to-end suites, which are not
// written in C++.
#include <cstdio>

#include "SettingsTemplate.h"

int main(int argc, char** argv) {
    const std::vector<std::string> overrides(argv + 1, argv + argc);
    for (const std::string& line : tamrel::test::SettingsTemplate(overrides)) {
        std::fputs((line + "\r\n").c_str(), stdout);
    }
    return 0;
}
