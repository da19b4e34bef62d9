// Feeds arbitrary settings files to the three readers and arbitrary texts to
// the number rules. The first byte chooses the target; the rest is the input.
// Everything runs on the headless backend: no program is started, nothing is
// shown and no power operation reaches the machine.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include <unistd.h>

#include "platform/Platform.h"
#include "platform/RuntimeError.h"
#include "platform/headless/HeadlessServices.h"
#include "platform/headless/HeadlessToolkit.h"
#include "platform/posix/PosixFileSystem.h"
#include "run/Application.h"
#include "settings/Numbers.h"
#include "settings/SettingsWriter.h"
#include "settings/SetupReader.h"
#include "setup/SetupWindow.h"

namespace {

using namespace tamrel;

const std::string& Folder() {
    static const std::string folder = [] {
        const std::filesystem::path base =
            std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        const auto path = base / ("tamrel-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path.string();
    }();
    return folder;
}

void Numbers(std::string_view text) {
    const double value = LenientNumber(text);
    try {
        ToInt16(value);
    } catch (const RuntimeError&) {
    }
    try {
        ToInt32(value);
    } catch (const RuntimeError&) {
    }
    try {
        StrictNumber(text);
    } catch (const RuntimeError&) {
    }
    try {
        ToBoolean(text);
    } catch (const RuntimeError&) {
    }
}

void Readers(unsigned target, std::string_view content) {
    const std::string folder = Folder();
    std::error_code ignored;
    for (const char* name : {"talog1.txt", "talog2.txt", "talog3.txt", "tamrel.txt", "tamrel.bad"}) {
        std::filesystem::remove(folder + "/" + name, ignored);
    }
    PosixFileSystem files(folder, folder + "/holdmark.tes");
    files.WriteFile(folder + "/tamrel.set", content);
    headless::HeadlessProcesses processes;
    headless::HeadlessClock clock;
    headless::HeadlessPower power;
    headless::HeadlessToolkit ui;
    ui.SetDefaultAnswer(ui::kAnswerOk);
    headless::HeadlessAutostart autostart;
    NoEventSink events;
    Platform platform{files, processes, clock, power, ui, autostart, events};
    Application app(platform);
    switch (target) {
        case 1:
            app.Start();
            break;
        case 2:
            app.ShowShutdownScreen({"front", 3600});
            ui.Advance(30000);
            break;
        default: {
            // Whatever setup accepted, it writes a file that it accepts again.
            app.ShowSetup();
            const SetupWindow* setup = app.setupWindow();
            if (setup && setup->IsOpen()) {
                Settings state = setup->state();
                WriteSettingsFile(state, files, clock.NowText());
                Settings again;
                if (ReadSettingsForSetup(again, app.logs(), files, ui) != SetupReadResult::Accepted) std::abort();
            }
        }
    }
    // A launch makes the program's folder current; keep the fuzzer's own.
    if (::chdir(folder.c_str()) != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const unsigned target = data[0] % 4;
    if (target == 0) {
        Numbers(input);
    } else {
        Readers(target, input);
    }
    return 0;
}
