// Watches a bare X server for the shutdown screen: prints the wall-clock
// time (seconds) when a window covering the screen is mapped, then when
// something other than the background is first drawn in the screen's middle.
// Used by the benchmark; exits after both or after 60 s. With "--all" it
// prints every top-level window mapped ("map ID WIDTH HEIGHT TIME") and
// unmapped ("unmap ID TIME") instead, for 60 s.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <string_view>
#include <thread>

namespace {

double Now() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

// Owns the display connection.
struct Display_ {
    Display* display = XOpenDisplay(nullptr);
    ~Display_() {
        if (display) XCloseDisplay(display);
    }
};

bool Drawn(Display* display, Window window, int width, int height) {
    XImage* corner = XGetImage(display, window, 2, 2, 1, 1, AllPlanes, ZPixmap);
    XImage* middle = XGetImage(display, window, width / 2 - 150, height / 2 - 100, 300, 200, AllPlanes, ZPixmap);
    bool drawn = false;
    if (corner && middle) {
        const unsigned long background = XGetPixel(corner, 0, 0);
        for (int y = 0; y < 200 && !drawn; y += 2) {
            for (int x = 0; x < 300 && !drawn; x += 2) drawn = XGetPixel(middle, x, y) != background;
        }
    }
    if (corner) XDestroyImage(corner);
    if (middle) XDestroyImage(middle);
    return drawn;
}

}  // namespace

namespace {

int WatchAll(Display* display) {
    // A window may be gone before its size is asked for.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify) {
                XWindowAttributes attributes;
                if (!XGetWindowAttributes(display, event.xmap.window, &attributes)) continue;
                std::printf("map %lu %d %d %.6f\n", event.xmap.window, attributes.width, attributes.height, Now());
            } else if (event.type == UnmapNotify) {
                std::printf("unmap %lu %.6f\n", event.xunmap.window, Now());
            }
            std::fflush(stdout);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Display_ connection;
    Display* display = connection.display;
    if (!display) return 1;
    const Window root = DefaultRootWindow(display);
    const int width = DisplayWidth(display, DefaultScreen(display));
    const int height = DisplayHeight(display, DefaultScreen(display));
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);
    std::puts("watching");
    std::fflush(stdout);
    if (argc > 1 && std::string_view(argv[1]) == "--all") return WatchAll(display);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    Window screen = 0;
    while (!screen && std::chrono::steady_clock::now() < deadline) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != MapNotify) continue;
            XWindowAttributes attributes;
            if (XGetWindowAttributes(display, event.xmap.window, &attributes) && attributes.width >= width &&
                attributes.height >= height) {
                screen = event.xmap.window;
                std::printf("mapped %.6f\n", Now());
                std::fflush(stdout);
            }
        }
        if (!screen) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    while (screen && std::chrono::steady_clock::now() < deadline) {
        if (Drawn(display, screen, width, height)) {
            std::printf("drawn %.6f\n", Now());
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return 1;
}
