#pragma once
// What a window may ask of the program around it: to open another window,
// or to hear that it has closed. The windows know nothing else of the
// program, and the program decides how many of each there may be.

#include <cstddef>
#include <string>

#include "platform/ProgramWatch.h"

namespace tamrel {

// The run the shutdown screen follows.
struct RunReport {
    std::string program;  // the file name alone
    double seconds = 0;   // from the program's start to its end
    // Tamrel asked the program to end after this many minutes without
    // input; 0 when it ended by itself.
    int idleMinutes = 0;
    // Tamrel asked the program to end at this closing time (minutes after
    // midnight); kNoClosingTime when it did not.
    long closingTime = kNoClosingTime;
};

class Navigator {
public:
    virtual ~Navigator() = default;
    // Setup starts from the settings file whenever it can be read.
    virtual void ShowSetup() = 0;
    virtual void ShowShutdownScreen(const RunReport& run) = 0;
    // Help windows exist once each; asked for again, one comes to the front.
    virtual void ShowHelpTopic(std::size_t topic) = 0;
    virtual void ShowAbout() = 0;
    virtual void ShowKeyCodeTable() = 0;
    // Called by a window once it has closed: the program ends with the last.
    virtual void WindowClosed() = 0;
};

}  // namespace tamrel
