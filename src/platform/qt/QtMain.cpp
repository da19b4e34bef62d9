// The Linux program: POSIX services, power-off through logind and the Qt
// window toolkit, run from the folder of the executable.

#include <exception>
#include <iostream>

#include "platform/Platform.h"
#include "platform/posix/LogindPower.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixProcesses.h"
#include "platform/qt/QtToolkit.h"
#include "platform/Program.h"

int main(int argc, char** argv) {
    try {
        // Declared first, so that every window dies before it.
        tamrel::qt::QtToolkit toolkit(argc, argv);
        tamrel::PosixFileSystem files;
        tamrel::PosixProcesses processes;
        tamrel::PosixClock clock;
        tamrel::LogindPower power;
        tamrel::Platform platform{files, processes, clock, power, toolkit};
        return tamrel::RunProgram(platform);
    } catch (const std::exception& failure) {
        std::cerr << "tamrel: " << failure.what() << '\n';
        return 1;
    }
}
