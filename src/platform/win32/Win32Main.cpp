// tamrel.exe: the run mode on Windows, from start to shutdown.

#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/win32/Win32Autostart.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Power.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32Toolkit.h"
// After the Windows headers, which it needs.
#include <shellapi.h>
#include "platform/Program.h"
#include "run/CommandLine.h"
#include "run/SettingsCheck.h"
#include "settings/Text.h"
#include "log/Printable.h"

namespace {

// The arguments after the program's name, as the system code page spells them.
std::vector<std::string> Arguments() {
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide && i < count; ++i) {
        const int size = ::WideCharToMultiByte(CP_ACP, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string text(size > 0 ? static_cast<std::size_t>(size) : 1u, '\0');
        ::WideCharToMultiByte(CP_ACP, 0, wide[i], -1, text.data(), size, nullptr, nullptr);
        text.resize(text.size() - 1);
        arguments.push_back(text);
    }
    ::LocalFree(wide);
    return arguments;
}

using Stream = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// The output the parent gave: a file or a pipe that a configuration manager
// reads (`tamrel.exe /check FILE > out.txt`); none from Explorer or a console.
bool OutputGiven() {
    const HANDLE given = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (!given || given == INVALID_HANDLE_VALUE) return false;
    const DWORD type = ::GetFileType(given);
    return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE;
}

// The console the program was started from. Windows gives a program of its
// kind none, so it attaches to its parent's; one already attached (Wine
// hands it the parent's) is refused as such and uses it as it is.
Stream ParentConsole() {
    if (!::AttachConsole(ATTACH_PARENT_PROCESS) && ::GetLastError() != ERROR_ACCESS_DENIED) return {nullptr, nullptr};
    return {std::fopen("CONOUT$", "w"), std::fclose};
}

// A configuration manager starts the check with its output captured or from
// a console, and reads the answer there; a check started from Explorer
// answers in a box.
int Check(const tamrel::CommandLine& command) {
    const bool given = OutputGiven();
    const Stream console = given ? Stream{nullptr, nullptr} : ParentConsole();
    std::FILE* const answer = given ? stdout : console.get();
    try {
        tamrel::Win32FileSystem files;
        if (answer) return tamrel::AnswerCheck(command, files, answer);
        const tamrel::CheckReport report = tamrel::CheckSettings(files, command.file);
        const std::string text = command.json ? tamrel::CheckJson(report) : tamrel::CheckText(report);
        ::MessageBoxA(nullptr, text.c_str(), tamrel::ui::kAppTitle,
                      MB_OK | (report.status == tamrel::kCheckGood ? MB_ICONINFORMATION : MB_ICONWARNING));
        return report.status;
    } catch (const std::exception& failure) {
        const std::string text = tamrel::Printable(failure.what());
        if (answer) {
            std::fprintf(answer, "%s\n", text.c_str());
        } else {
            ::MessageBoxA(nullptr, text.c_str(), tamrel::ui::kAppTitle, MB_OK | MB_ICONSTOP);
        }
        return tamrel::kCheckUnusable;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Without a console, the answer is a box.
    const tamrel::CommandLine command = tamrel::ParseCommandLine(Arguments(), true);
    switch (command.action) {
        case tamrel::CommandLine::Action::Help:
        case tamrel::CommandLine::Action::Version:
            ::MessageBoxA(nullptr, command.message.c_str(), tamrel::ui::kAppTitle, MB_OK | MB_ICONINFORMATION);
            return 0;
        case tamrel::CommandLine::Action::Refused:
            ::MessageBoxA(nullptr, command.message.c_str(), tamrel::ui::kAppTitle, MB_OK | MB_ICONSTOP);
            return tamrel::kRefusedStatus;
        case tamrel::CommandLine::Action::Check:
            return Check(command);
        case tamrel::CommandLine::Action::Run:
        case tamrel::CommandLine::Action::Setup:
            break;
    }
    try {
        tamrel::Win32FileSystem files;
        tamrel::Win32Processes processes;
        tamrel::Win32Clock clock;
        tamrel::Win32Power power;
        tamrel::win32::Win32Toolkit ui;
        tamrel::Win32Autostart autostart;
        tamrel::NoEventSink events;
        tamrel::Platform platform{files, processes, clock, power, ui, autostart, events};
        return tamrel::RunProgram(platform, command.action == tamrel::CommandLine::Action::Setup);
    } catch (const std::exception& failure) {
        // Whatever the forms could not handle still gets a word to the user.
        ::MessageBoxA(nullptr, tamrel::Printable(failure.what()).c_str(), tamrel::ui::kAppTitle, MB_OK | MB_ICONSTOP | MB_TOPMOST);
        return 1;
    }
}
