#!/usr/bin/env bash
# Makes the cabinet's system in the root folder $1 (run by build-image.sh):
# the user arcade with a console autologin starting the session, a serial
# console for the host to read and no login on it, the kiosk (cage) and
# Tamrel's own console unit for the boots that ask for them, a report of the wake-up alarm at power-off, and a
# skin picture.
set -euo pipefail
root="$1"
inside() { chroot "$root" "$@"; }
inside useradd --create-home --shell /bin/bash --groups dialout,input,video,audio arcade
install -o 1000 -g 1000 -m 644 /dev/stdin "$root/home/arcade/.bash_profile" <<'PROFILE'
[ "$(tty)" = /dev/tty1 ] && exec /usr/local/lib/lab/session
PROFILE
ln -s /usr/local/lib/lab/xinitrc "$root/home/arcade/.xinitrc"
install -d -o 1000 -g 1000 "$root/home/arcade/.config" "$root/home/arcade/.config/openbox"
ln -s /usr/local/lib/lab/openbox-autostart "$root/home/arcade/.config/openbox/autostart"
install -o 1000 -g 1000 -m 755 "$root/usr/local/lib/lab/frontend" "$root/home/arcade/frontend.sh"
# The serial console belongs to the lab's reports: a getty there would hang up other writers.
inside systemctl mask serial-getty@ttyS0.service
inside systemctl mask apt-daily.timer apt-daily-upgrade.timer e2scrub_all.timer fstrim.timer man-db.timer 2>/dev/null || true
inside passwd -d root >/dev/null
inside systemctl enable serial-getty@ttyS1.service cage-kiosk.service lab-wakealarm.service lab-console.service lab-cards.service
# As the README says to; the console boots alone keep it (etc/systemd/system-generators/lab-console).
inside systemctl enable tamrel@arcade.service
# A skin: 800x600, a blue-green gradient with a red frame, 24-bit BMP.
python3 - "$root/usr/local/share/lab-skin.bmp" <<'PY'
import struct, sys
w, h = 800, 600
row = (w * 3 + 3) & ~3
pixels = bytearray()
for y in range(h - 1, -1, -1):
    line = bytearray()
    for x in range(w):
        frame = x < 20 or y < 20 or x >= w - 20 or y >= h - 20
        line += bytes((0, 0, 200)) if frame else bytes((160, 80 + y * 100 // h, 20))
    pixels += line + bytes(row - len(line))
header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
open(sys.argv[1], "wb").write(header + info + pixels)
PY
