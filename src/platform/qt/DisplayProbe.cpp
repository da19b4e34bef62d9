#include "platform/qt/DisplayProbe.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QPluginLoader>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <optional>
#include <thread>

#include "platform/Toolkit.h"
#include "platform/posix/ConsoleDevices.h"

namespace tamrel::qt {

void DisplayConnection::operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }

namespace {

using Clock = std::chrono::steady_clock;
// A display that is still starting (a cabinet's boot) gets this long to
// take connections; one that takes them must answer within the other.
constexpr auto kStartingPatience = std::chrono::seconds(3);
constexpr auto kRetryPause = std::chrono::milliseconds(200);
constexpr int kAnswerLimitSeconds = 3;

struct Descriptor {
    int fd = -1;
    Descriptor() = default;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

// What `work` says, worked out by a child of its own: a plugin once loaded
// stays for good, and the long wait for the program is to go on without
// it or the memory that finding it took. Nothing when the child failed.
std::optional<std::string> InChild(const std::function<std::string()>& work) {
    Descriptor ends[2];
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) return work();
    ends[0].fd = pipe[0];
    ends[1].fd = pipe[1];
    const pid_t child = ::fork();
    if (child < 0) return work();
    if (child == 0) {
        // Whatever happens, the child never goes on as Tamrel.
        try {
            const std::string said = work();
            const bool written = ::write(ends[1].fd, said.data(), said.size()) == static_cast<ssize_t>(said.size());
            ::_exit(written ? 0 : 1);
        } catch (...) {
            ::_exit(1);
        }
    }
    ::close(ends[1].fd);
    ends[1].fd = -1;
    std::string said;
    char buffer[512];
    for (ssize_t got; (got = ::read(ends[0].fd, buffer, sizeof buffer)) > 0;) {
        said.append(buffer, static_cast<std::size_t>(got));
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return said;
}

// Why Qt could not start platform `key`, looked for where Qt looks; empty
// when its plugin loads. Only the package can make it whole again.
std::string PluginTrouble(const QString& key, const char* package) {
    const std::string from = std::string(" (package ") + package + ")";
    const std::optional<std::string> trouble = InChild([&]() -> std::string {
        QStringList folders;
        if (const QString chosen = qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH"); !chosen.isEmpty()) {
            folders << chosen;
        }
        for (const QString& path : QCoreApplication::libraryPaths()) folders << path + QLatin1String("/platforms");
        QString failure;
        for (const QString& folder : folders) {
            for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files)) {
                QPluginLoader plugin(file.absoluteFilePath());
                const QJsonArray keys = plugin.metaData().value(QLatin1String("MetaData")).toObject().value(
                    QLatin1String("Keys")).toArray();
                if (!keys.contains(key)) continue;
                if (plugin.load()) return {};
                failure = plugin.errorString();
            }
        }
        if (failure.isEmpty()) return "Qt's plugin for it is not installed" + from;
        return "Qt's plugin for it does not load" + from + ": " + failure.toStdString();
    });
    return trouble ? *trouble : "Qt's plugin for it does not load" + from;
}

struct WaylandConnection {
    void operator()(wl_display* display) const { wl_display_disconnect(display); }
};

struct WaylandAnswer {
    std::string why;  // empty when it answered
    bool final = false;  // no use asking again
};

void Answered(void* done, wl_callback*, uint32_t) { *static_cast<bool*>(done) = true; }

// A compositor may take the connection and never answer (a frozen one):
// only a whole round trip, bounded in time, tells that it serves.
WaylandAnswer AskWayland(const QByteArray& name) {
    if (!name.startsWith('/') && qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        return {"XDG_RUNTIME_DIR is not set", true};
    }
    const std::unique_ptr<wl_display, WaylandConnection> display(wl_display_connect(name.constData()));
    if (!display) return {std::strerror(errno)};
    static const wl_callback_listener listener{Answered};
    bool done = false;
    wl_callback* callback = wl_display_sync(display.get());
    wl_callback_add_listener(callback, &listener, &done);
    const auto deadline = Clock::now() + std::chrono::seconds(kAnswerLimitSeconds);
    std::string why;
    while (!done && why.empty()) {
        if (wl_display_prepare_read(display.get()) != 0) {
            if (wl_display_dispatch_pending(display.get()) < 0) why = std::strerror(errno);
            continue;
        }
        wl_display_flush(display.get());
        pollfd answer{wl_display_get_fd(display.get()), POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0 || ::poll(&answer, 1, static_cast<int>(left)) <= 0) {
            wl_display_cancel_read(display.get());
            why = "no answer within " + std::to_string(kAnswerLimitSeconds) + " seconds";
        } else if (wl_display_read_events(display.get()) < 0 || wl_display_dispatch_pending(display.get()) < 0) {
            why = std::strerror(errno);
        }
    }
    wl_callback_destroy(callback);
    return {why, !why.empty()};
}

}  // namespace

CheckedDisplay FindDisplay() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    // A platform chosen by hand is the only one tried; one that is neither
    // of these (offscreen, for tests) reports for itself.
    const bool chosen = !platform.isEmpty();
    const bool tryWayland = !chosen || platform.contains("wayland");
    const bool tryX = !chosen || platform.contains("xcb");
    if (!tryWayland && !tryX) return {};
    const QByteArray wayland = tryWayland ? qgetenv("WAYLAND_DISPLAY") : QByteArray();
    const QByteArray display = tryX ? qgetenv("DISPLAY") : QByteArray();
    // Without its plugin a display is of no use, however well it answers.
    const std::string waylandPlugin = wayland.isEmpty() ? "" : PluginTrouble("wayland", "qt6-wayland");
    const std::string xPlugin = display.isEmpty() ? "" : PluginTrouble("xcb", "libqt6gui6");
    bool askWayland = !wayland.isEmpty() && waylandPlugin.empty();
    bool askX = !display.isEmpty() && xPlugin.empty();
    bool waylandServes = false;
    HeldDisplay x;
    std::string waylandWhy;
    int xError = 0;
    const auto deadline = Clock::now() + kStartingPatience;
    while (askWayland || askX) {
        if (askWayland) {
            const WaylandAnswer answer = AskWayland(wayland);
            waylandServes = answer.why.empty();
            waylandWhy = answer.why;
            askWayland = !waylandServes && !answer.final;
        }
        if (askX) {
            int screen = 0;
            HeldDisplay connection(xcb_connect(display.constData(), &screen));
            xError = xcb_connection_has_error(connection.get());
            if (xError == 0) x = std::move(connection);
            askX = !x;
        }
        if (waylandServes || x || Clock::now() >= deadline) break;
        std::this_thread::sleep_for(kRetryPause);
    }
    DisplaySurvey survey;
    survey.wayland = waylandServes;
    survey.x11 = x != nullptr;
    // The console only where no server serves and nobody chose a platform.
    if (!survey.wayland && !survey.x11 && !chosen) SurveyConsole(survey);
    const DisplayChoice choice = ChooseDisplay(survey);
    std::string consoleWhy = choice.why;
    switch (choice.kind) {
        // Qt goes on to X11 itself when the compositor is gone by the time
        // it connects.
        case DisplayKind::WaylandThenX11: return {chosen ? "" : "wayland;xcb", std::move(x), {}};
        case DisplayKind::Wayland: return {chosen ? "" : "wayland", std::move(x), {}};
        case DisplayKind::X11: return {chosen ? "" : "xcb", std::move(x), {}};
        case DisplayKind::Refused: throw ui::DisplayRefused(choice.why);
        case DisplayKind::Console: {
            const std::string plugin = PluginTrouble("linuxfb", "libqt6gui6");
            const std::string platform = choice.framebuffer.empty() ? "linuxfb" : "linuxfb:fb=" + choice.framebuffer;
            if (plugin.empty()) return {platform, nullptr, ConsoleLine(choice), choice.device};
            consoleWhy = "the console cannot be used: " + plugin;
            break;
        }
        case DisplayKind::None: break;
    }
    std::string why;
    if (wayland.isEmpty() && display.isEmpty()) {
        const char* unset = !tryX         ? "WAYLAND_DISPLAY is"
                            : !tryWayland ? "DISPLAY is"
                                          : "WAYLAND_DISPLAY and DISPLAY are";
        why = std::string("no display is set (") + unset + " empty)";
    }
    if (!wayland.isEmpty()) {
        why = "the Wayland compositor of " + wayland.toStdString() +
              (waylandPlugin.empty() ? " does not answer (" + waylandWhy + ")" : " cannot be used: " + waylandPlugin);
    }
    if (!display.isEmpty()) {
        why += (why.empty() ? "" : ", and ") + std::string("the X server of display ") + display.toStdString() +
               (xPlugin.empty() ? " does not answer (error " + std::to_string(xError) + ")"
                                : " cannot be used: " + xPlugin);
    }
    if (!consoleWhy.empty()) why += ", and " + consoleWhy;
    throw ui::DisplayUnavailable(why);
}

}  // namespace tamrel::qt
