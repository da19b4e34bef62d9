#pragma once
// Starting with Windows: a shortcut to the running tamrel.exe in the user's
// Startup folder.

#include <string>

#include "platform/Autostart.h"

namespace tamrel {

class Win32Autostart : public Autostart {
public:
    // `shortcut` empty: Tamrel.lnk in the user's Startup folder; `target`
    // empty: the running executable.
    explicit Win32Autostart(std::string shortcut = {}, std::string target = {});

    bool IsOn() override;
    void SetOn(bool on) override;
    std::string EntryPath() const override { return shortcut_; }

private:
    std::string shortcut_;
    std::string target_;
};

}  // namespace tamrel
