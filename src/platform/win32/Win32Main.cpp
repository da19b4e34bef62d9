// tamrel.exe: the run mode on Windows, from start to shutdown.

#include <exception>

#include "platform/Platform.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Power.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32Toolkit.h"
#include "platform/Program.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        tamrel::Win32FileSystem files;
        tamrel::Win32Processes processes;
        tamrel::Win32Clock clock;
        tamrel::Win32Power power;
        tamrel::win32::Win32Toolkit ui;
        tamrel::Platform platform{files, processes, clock, power, ui};
        return tamrel::RunProgram(platform);
    } catch (const std::exception& failure) {
        // Whatever the forms could not handle still gets a word to the user.
        ::MessageBoxA(nullptr, failure.what(), tamrel::ui::kAppTitle, MB_OK | MB_ICONSTOP | MB_TOPMOST);
        return 1;
    }
}
