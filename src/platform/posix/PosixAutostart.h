#pragma once
// The XDG autostart entry ($XDG_CONFIG_HOME/autostart/tamrel.desktop),
// which GNOME, KDE, labwc and wayfire run when the session starts. Any
// entry of that folder that starts this executable counts, hand-made ones
// too, so that turning it off leaves none behind.

#include <string>
#include <vector>

#include "platform/Autostart.h"
#include "platform/FileSystem.h"

namespace tamrel {

class PosixAutostart : public Autostart {
public:
    // `entry`: the file Tamrel writes; `executable`: what it starts.
    PosixAutostart(FileSystem& files, std::string entry, std::string executable)
        : files_(files), entry_(std::move(entry)), executable_(std::move(executable)) {}

    bool IsOn() override { return !EntriesInForce().empty(); }
    void SetOn(bool on) override;
    // The first entry in force, else the one Tamrel would write.
    std::string EntryPath() const override;
    std::string Executable() const override { return executable_; }
    std::string User() const override;

private:
    std::vector<std::string> EntriesInForce() const;
    bool Starts(const std::string& program) const;
    static std::string FolderOf(const std::string& entry);

    FileSystem& files_;
    std::string entry_;
    std::string executable_;
};

// The entry's text, starting `executable`; a RuntimeError saying why for a
// path no desktop entry can hold.
std::string AutostartEntryText(const std::string& executable);

}  // namespace tamrel
