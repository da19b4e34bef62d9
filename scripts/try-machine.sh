#!/usr/bin/env bash
# Boots the lab's cabinet (a Debian 12 machine with the package installed)
# in a window, to try Tamrel by hand. The first boot offers setup; what is
# done in it stays on build/machine/try/disk.qcow2 for the next boot
# (--fresh starts again from the image); --session cage starts the Wayland
# kiosk (cage running Tamrel) instead of Xorg, --session console the
# package's own unit (Tamrel on tty1, no display server). Only this machine
# powers off.
#   scripts/try-machine.sh [--fresh] [--session x11|cage|console|none]
set -euo pipefail
cd "$(dirname "$0")/.."
fresh=no session=x11
while [ $# -gt 0 ]; do
  case "$1" in
    --fresh) fresh=yes ;;
    --session) session="$2"; shift ;;
    *) echo "usage: $0 [--fresh] [--session x11|cage|console|none]" >&2; exit 2 ;;
  esac
  shift
done
[ "$(id -u)" -eq 0 ] || { echo "Building the image needs root: run it with sudo." >&2; exit 1; }
version="$(sed -n 's/^project(tamrel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
deb="dist/tamrel_${version}_amd64.deb"
[ -f "$deb" ] || scripts/package.sh deb
image="$(tests/machine/build-image.sh "$deb" build/machine/cache)"
disk=build/machine/try/disk.qcow2
mkdir -p build/machine/try
if [ "$fresh" = yes ] || [ ! -f "$disk" ] || [ "$image/rootfs.img" -nt "$disk" ]; then
  rm -f "$disk"
  qemu-img create -q -f qcow2 -b "$image/rootfs.img" -F raw "$disk"
fi
# The lab's own probe: /dev/kvm may be there and still hang (nested
# virtualisation); TAMREL_MACHINE_ACCEL=kvm|tcg decides instead.
accel="$(cd tests/machine && python3 -c 'import sys, machine; print(machine.accelerator(sys.argv[1]))' "$image/vmlinuz")"
# Cage's renderer cannot draw on qemu's standard card.
vga=std
[ "$session" = cage ] && vga=virtio
echo "Booting the cabinet ($accel; serial console in build/machine/try/serial.log)."
echo "Close the window or power it off from Tamrel to end."
qemu-system-x86_64 -accel "$accel" -m 1536 -smp 2 -cpu max -kernel "$image/vmlinuz" -initrd "$image/initrd.img" \
  -append "root=/dev/vda rootfstype=ext4 rw console=ttyS0 quiet lab.session=$session lab.frontend=5 lab.start=tamrel" \
  -drive "file=$disk,if=virtio,format=qcow2" -serial file:build/machine/try/serial.log -vga "$vga" -nic none \
  -no-reboot
