#pragma once
// Starting with Windows: a shortcut to the running tamrel.exe in the user's
// Startup folder. Any shortcut there to this executable counts, hand-made
// ones too, so that turning it off leaves none behind.

#include <string>
#include <vector>

#include "platform/Autostart.h"

namespace tamrel {

class Win32Autostart : public Autostart {
public:
    // `folder` empty: the user's Startup folder; `target` empty: the running
    // executable.
    explicit Win32Autostart(std::string folder = {}, std::string target = {});

    bool IsOn() override { return !ShortcutsInForce().empty(); }
    void SetOn(bool on) override;
    // The first shortcut in force, else Tamrel.lnk, the one Tamrel writes.
    std::string EntryPath() const override;
    std::string Executable() const override { return target_; }

private:
    std::vector<std::string> ShortcutsInForce() const;

    std::string folder_;
    std::string target_;
};

}  // namespace tamrel
