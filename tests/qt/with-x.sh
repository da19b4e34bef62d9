#!/bin/sh
# Runs a test program on a private Xvfb without a window manager, the way a
# bare kiosk runs. Exits 77, which CTest reports as skipped, when no X
# server can be had. The server picks a free display itself, so parallel
# runs cannot collide.
if ! command -v Xvfb >/dev/null 2>&1; then
    echo "SKIPPED: Xvfb not found; the Qt backend tests need an X server (install xvfb)" >&2
    exit 77
fi
number_file="$(mktemp)"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -f "$number_file"' EXIT
tries=0
while [ ! -s "$number_file" ]; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ] || ! kill -0 "$server" 2>/dev/null; then
        echo "SKIPPED: Xvfb did not start; the Qt backend tests need an X server" >&2
        exit 77
    fi
    sleep 0.1
done
DISPLAY=":$(head -n 1 "$number_file")"
export DISPLAY
# Tamrel prefers Wayland: a Wayland session's display would take the tests.
unset WAYLAND_DISPLAY
"$@"
