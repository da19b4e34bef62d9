// Joystick button -> cancel handled (the shutdown screen closed), in one
// process: the real shutdown screen on the Qt backend and the real SDL path,
// fed by SDL's virtual joystick (a virtual joystick lives only in the
// process that made it). The power service records: nothing is powered off.
// Prints one line: "button-cancel-ms <value> <value> ...".

#include <SDL.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/headless/HeadlessServices.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixProcesses.h"
#include "platform/qt/QtToolkit.h"
#include "run/Application.h"
#include "settings/SettingsWriter.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kButton = 3;

void Pump(tamrel::qt::QtToolkit& toolkit, int ms) {
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < until) toolkit.ProcessPendingEvents();
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 10;
    char folderTemplate[] = "/tmp/tamrel-bench-XXXXXX";
    if (!mkdtemp(folderTemplate)) return 1;
    const std::string folder = folderTemplate;

    tamrel::qt::QtToolkit toolkit;
    tamrel::PosixFileSystem files(folder, folder + "/holdmark.tes");
    tamrel::headless::HeadlessProcesses processes;
    tamrel::PosixClock clock;
    tamrel::headless::HeadlessPower power;
    tamrel::headless::HeadlessAutostart autostart;
    tamrel::NoEventSink events;
    tamrel::Platform platform{files, processes, clock, power, toolkit, autostart, events};

    tamrel::Settings settings;
    settings.programPath = folder + "/front.sh";
    settings.shutdownMethod = 2;
    settings.cancelSeconds = 25;
    settings.cancelKey = 27;
    settings.cancelButton = kButton;
    settings.boxFontName = "arial";
    settings.boxFontSize = "20";
    settings.boxBold = "False";
    settings.skinPath = "Use default";
    tamrel::WriteSettingsFile(settings, files, "1/1/2026 12:00:00 AM");

    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return 1;
    SDL_Joystick* panel = SDL_JoystickOpen(SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_ARCADE_STICK, 0, 8, 0));

    std::vector<double> latencies;
    for (int run = 0; run < runs; ++run) {
        tamrel::Application app(platform);
        app.ShowShutdownScreen({"front.sh", 3600});
        Pump(toolkit, 300);  // the screen up and listening
        const auto pressed = Clock::now();
        // Not pumped by hand: the press is read when Tamrel's own pump asks,
        // as a USB board's is.
        SDL_JoystickSetVirtualButton(panel, kButton - 1, 1);
        while (app.HasOpenWindows()) {
            toolkit.ProcessPendingEvents();
            if (Clock::now() - pressed > std::chrono::seconds(5)) return 1;
        }
        latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - pressed).count());
        SDL_JoystickSetVirtualButton(panel, kButton - 1, 0);
        SDL_JoystickUpdate();
    }
    SDL_JoystickClose(panel);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    std::filesystem::remove_all(folder);
    if (!power.requests().empty()) return 1;

    std::printf("button-cancel-ms");
    for (double latency : latencies) std::printf(" %.2f", latency);
    std::printf("\n");
    return 0;
}
