#!/usr/bin/env bash
# Installs, on Debian 12, what Tamrel needs: `run` for building and running
# it, `test` for building and running every test as well (the Raspberry Pi
# packages included), `cross` alone for cross-building it for the Raspberry
# Pi (cmake/toolchains).
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

# Installs those of the packages (after the apt options) not installed yet.
install_missing() {
  local options=() missing=()
  while [ "${1:-}" != "--" ]; do options+=("$1"); shift; done
  shift
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $SUDO apt-get update -q
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${options[@]}" "${missing[@]}"
  fi
}

install_cross() {
  # Cross compilers, qemu-user to run the tests, and what the Pi builds link
  # against, for each of the two architectures. Without recommends: they
  # would double the download.
  local packages=(crossbuild-essential-arm64 crossbuild-essential-armhf qemu-user)
  local target_dev=(qt6-base-dev libsdl2-dev libsystemd-dev libdrm-dev libxcb1-dev libxcb-xinput-dev libwayland-dev libgtest-dev)
  for arch in arm64 armhf; do
    dpkg --print-foreign-architectures | grep -qx "$arch" || $SUDO dpkg --add-architecture "$arch"
    packages+=("${target_dev[@]/%/:$arch}")
  done
  install_missing --no-install-recommends -- "${packages[@]}"
}
if [ "${1:-run}" = "cross" ]; then
  install_cross
  exit 0
fi

packages=(cmake make g++ pkg-config qt6-base-dev qt6-qpa-plugins libxcb1-dev libwayland-dev libsystemd-dev libsdl2-dev libgtest-dev googletest)
# The console's screen: its DRM cards' outputs, asked before Qt draws there.
packages+=(libdrm-dev)
# The user's input while the program runs: X11's raw input, and the idle
# notification protocols, whose code the build makes with wayland-scanner.
packages+=(libxcb-xinput-dev wayland-protocols plasma-wayland-protocols libwayland-bin)
if [ "${1:-run}" = "test" ]; then
  packages+=(clang libclang-rt-14-dev libx11-dev xvfb xauth xdotool x11-utils imagemagick dbus procps
             python3-dbusmock at-spi2-core python3-pyatspi g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64
             wine32:i386 zip dpkg-dev lintian desktop-file-utils)
  # Wayland: a headless sway and cage (which needs the Xwayland binary), keys and pictures.
  packages+=(sway cage xwayland wtype grim)
  # The cabinet in a box: a Debian 12 virtual machine built and booted by the tests.
  packages+=(qemu-system-x86 qemu-utils mmdebstrap e2fsprogs)
  # wine32 (the loader of the 32-bit Windows build) comes from i386.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
    $SUDO apt-get update -q
  fi
fi
# Qt's own Wayland platform, for sessions that may have no XWayland.
packages+=(qt6-wayland)

install_missing -- "${packages[@]}"
if [ "${1:-run}" = "test" ]; then
  install_cross
fi
