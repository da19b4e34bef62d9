// The Linux program: POSIX services, power-off through logind and the Qt
// window toolkit; its files beside the executable, or in the user's own
// folders when installed.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/posix/JournalSink.h"
#include "platform/posix/LogindPower.h"
#include "platform/posix/PosixAutostart.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixProcesses.h"
#include "platform/qt/QtToolkit.h"
#include "platform/Program.h"
#include "run/CommandLine.h"
#include "run/SettingsCheck.h"
#include "settings/Text.h"
#include "log/Printable.h"

int main(int argc, char** argv) {
    // Answered before the display is asked for, so that they work without one.
    const tamrel::CommandLine command = tamrel::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), false);
    switch (command.action) {
        case tamrel::CommandLine::Action::Help:
        case tamrel::CommandLine::Action::Version:
            return tamrel::Answer(command, stdout);
        case tamrel::CommandLine::Action::Refused:
            return tamrel::Answer(command, stderr);
        case tamrel::CommandLine::Action::Check:
            try {
                // Only reads: no folder is made, no log written.
                tamrel::PosixFileSystem files(tamrel::FoldersFor(tamrel::ExecutablePath(), std::getenv));
                return tamrel::AnswerCheck(command, files, stdout);
            } catch (const std::exception& failure) {
                std::cerr << "tamrel: " << tamrel::Printable(failure.what()) << '\n';
                return tamrel::kCheckUnusable;
            }
        case tamrel::CommandLine::Action::Run:
        case tamrel::CommandLine::Action::Setup:
            break;
    }
    try {
        // Declared first, so that every window dies before it.
        tamrel::qt::QtToolkit toolkit(argc, argv);
        const tamrel::TamrelFolders folders = tamrel::FoldersFor(tamrel::ExecutablePath(), std::getenv);
        tamrel::MakeFolders(folders.settings);
        tamrel::MakeFolders(folders.logs);
        tamrel::PosixFileSystem files(folders);
        tamrel::PosixAutostart autostart(files, tamrel::AutostartEntryFor(std::getenv), tamrel::ExecutablePath());
        tamrel::PosixProcesses processes;
        tamrel::PosixClock clock;
        tamrel::LogindPower power;
        tamrel::JournalSink events;
        tamrel::Platform platform{files, processes, clock, power, toolkit, autostart, events};
        return tamrel::RunProgram(platform, command.action == tamrel::CommandLine::Action::Setup);
    } catch (const std::exception& failure) {
        std::cerr << "tamrel: " << tamrel::Printable(failure.what()) << '\n';
        return 1;
    }
}
