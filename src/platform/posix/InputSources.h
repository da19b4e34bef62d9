#pragma once
// Where the user's input comes from while the program runs, for the idle
// clock: the display server (X11 raw input, a Wayland compositor's idle
// notification) and the joysticks' own devices. Each source is one
// descriptor in the wait's poll; it only reports to the watch.

#include <memory>
#include <vector>

#include "platform/ProgramWatch.h"

namespace tamrel {

class InputSource {
public:
    virtual ~InputSource() = default;
    // Polled for reading; the same for the source's whole life.
    virtual int Descriptor() const = 0;
    // The descriptor is readable: takes all that is there and reports it.
    virtual void Read(ProgramWatch& watch, SteadyMs now) = 0;
};

// Opens what this session offers, for watch.IdleMinutes(); what cannot be
// opened is told through watch.Note() and left out. Where keys and mice are
// told only by a compositor's idle notification, or cannot be seen at all,
// it calls watch.SourceIdle(false) at once (steady_clock's milliseconds):
// nobody is taken for gone until a source says so.
std::vector<std::unique_ptr<InputSource>> OpenInputSources(ProgramWatch& watch);

}  // namespace tamrel
