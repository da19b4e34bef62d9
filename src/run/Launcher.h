#pragma once
// The run window: never shown. Its load event decides between run mode and
// setup mode, launches the configured program, waits for it and hands over
// to the shutdown screen.

#include <cstdint>
#include <string>

#include "platform/Toolkit.h"

namespace tamrel {

class Application;
class Logs;
class RuntimeError;

class Launcher {
public:
    explicit Launcher(Application& app);

    void Load();
    std::string FileNameOnly(const std::string& sPath);
    void LaunchAndWait(const std::string& fileName);
    void CheckMarkerFile();

private:
    void RunSequence();
    void SettingsMissing();
    void ProgramMissing();
    void HandleError(const RuntimeError& error);
    int Ask(const std::string& prompt, const std::string& title, ui::Buttons buttons);
    void Refuse();

    Application& app_;
    Logs& logs_;

    std::string SettingsPath;
    std::string CurrentLine;
    std::string ProgramPath;
    std::int16_t KeyLineCount = 0;
    std::string Answer;
};

}  // namespace tamrel
