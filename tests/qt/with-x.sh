#!/bin/sh
# Runs a test program on a private Xvfb without a window manager, as on a bare
# kiosk; the server picks a free display, so parallel runs cannot collide.
folder="$(mktemp -d)"
mkfifo "$folder/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$folder/display" >/dev/null 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$folder"' EXIT
# The display number once the server is ready; nothing if it fails (77: skipped).
read -r number <"$folder/display"
if [ -z "$number" ]; then
    echo "SKIPPED: Xvfb did not start; the Qt backend tests need an X server (install xvfb)" >&2
    exit 77
fi
export DISPLAY=":$number"
# Tamrel prefers Wayland: a Wayland session's display would take the tests.
unset WAYLAND_DISPLAY
"$@"
