#pragma once
// The XDG autostart entry ($XDG_CONFIG_HOME/autostart/tamrel.desktop),
// which GNOME, KDE, labwc and wayfire run when the session starts.

#include <string>

#include "platform/Autostart.h"
#include "platform/FileSystem.h"

namespace tamrel {

class PosixAutostart : public Autostart {
public:
    // `entry`: the file's path; `executable`: what it starts.
    PosixAutostart(FileSystem& files, std::string entry, std::string executable)
        : files_(files), entry_(std::move(entry)), executable_(std::move(executable)) {}

    bool IsOn() override;
    void SetOn(bool on) override;
    std::string EntryPath() const override { return entry_; }

private:
    FileSystem& files_;
    std::string entry_;
    std::string executable_;
};

// The entry's text, starting `executable`.
std::string AutostartEntryText(const std::string& executable);

}  // namespace tamrel
