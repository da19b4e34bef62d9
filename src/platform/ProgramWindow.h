#pragma once

namespace tamrel {

// A window of the program: while any is open, the program runs.
class ProgramWindow {
public:
    virtual ~ProgramWindow() = default;
    virtual bool IsOpen() const = 0;
    // Shown again when asked for while open: the same window comes forward.
    virtual void BringToFront() {}
};

}  // namespace tamrel
