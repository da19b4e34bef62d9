// Opens the wait's input sources and prints what they report, one line each
// ("input", "idle", "active", "note: TEXT"), after "ready" once they are open;
// ends when its standard input closes.
//   tamrel_input_probe MINUTES          what a wait with that limit opens
//   tamrel_input_probe x11 DISPLAY      X11's raw input alone
//   tamrel_input_probe wayland NAME MS  a compositor's idle notification after MS

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/posix/DisplaySources.h"

namespace {

class PrintingWatch : public tamrel::ProgramWatch {
public:
    explicit PrintingWatch(int minutes) : minutes_(minutes) {}
    int IdleMinutes() const override { return minutes_; }
    void InputSeen(tamrel::SteadyMs) override { Print("input"); }
    void SourceIdle(bool idle, tamrel::SteadyMs) override { Print(idle ? "idle" : "active"); }
    void Note(const std::string& line) override { Print("note: " + line); }
    tamrel::SteadyMs NextDue() const override { return tamrel::kNoDeadline; }
    bool Due(tamrel::SteadyMs) override { return false; }
    static void Print(const std::string& line) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }

private:
    int minutes_;
};

tamrel::SteadyMs Now() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    PrintingWatch watch(args.size() == 1 ? std::atoi(args[0].c_str()) : 1);
    std::vector<std::unique_ptr<tamrel::InputSource>> sources;
    if (args.size() == 1) {
        sources = tamrel::OpenInputSources(watch);
    } else if (args.size() == 2 && args[0] == "x11") {
        sources.push_back(tamrel::OpenX11RawInput(args[1]).source);
    } else if (args.size() == 3 && args[0] == "wayland") {
        const auto timeoutMs = static_cast<std::uint32_t>(std::atoi(args[2].c_str()));
        sources.push_back(tamrel::OpenWaylandIdle(args[1], timeoutMs).source);
    } else {
        std::fputs("usage: tamrel_input_probe MINUTES | x11 DISPLAY | wayland NAME MS\n", stderr);
        return 2;
    }
    if (!sources.empty() && !sources.back()) {
        PrintingWatch::Print("not opened");
        return 1;
    }
    PrintingWatch::Print("ready " + std::to_string(sources.size()));
    for (;;) {
        std::vector<pollfd> fds{{STDIN_FILENO, POLLIN, 0}};
        for (const auto& source : sources) fds.push_back({source->Descriptor(), POLLIN, 0});
        if (::poll(fds.data(), fds.size(), -1) < 0) continue;
        if (fds[0].revents) {
            char byte;
            if (::read(STDIN_FILENO, &byte, 1) <= 0) return 0;
        }
        for (std::size_t i = 1; i < fds.size(); ++i)
            if (fds[i].revents) sources[i - 1]->Read(watch, Now());
    }
}
