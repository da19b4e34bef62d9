#!/usr/bin/env bash
# The cabinet in a box: builds the .deb when missing, the Debian 12 image
# (cached in build/machine/cache by a hash of its inputs), then boots the
# scenarios of tests/machine in qemu and prints their measurements.
# Needs root (the image is made with mmdebstrap and chroot) and the Debian
# mirror; only the virtual machine is ever powered off.
#   TAMREL_MACHINE_ACCEL=kvm|tcg   skip the probe
#   TAMREL_MACHINE_TESTS="test_cabinet.Cabinet.test_escape_keeps_it_on"   run only these
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
version="$(sed -n 's/^project(tamrel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
deb="dist/tamrel_${version}_amd64.deb"
out="$PWD/build/machine"

if [ "$(id -u)" -ne 0 ]; then
  echo "Skipped: building the machine's image needs root (CI runs as root)."; exit 0
fi
for tool in qemu-system-x86_64 qemu-img mmdebstrap mke2fs debugfs; do
  command -v "$tool" >/dev/null || { echo "The machine tests need $tool (scripts/install-deps.sh test)." >&2; exit 1; }
done
if [ ! -f "$deb" ] || [ -n "$(find src packaging cmake CMakeLists.txt -newer "$deb" -print -quit)" ]; then
  scripts/package.sh deb
fi
image="$(tests/machine/build-image.sh "$deb" "$out/cache")"
echo "== The image is ready after $((SECONDS - started)) s"
(cd tests/machine && TAMREL_MACHINE_IMAGE="$image" TAMREL_MACHINE_RUNS="$out/runs" \
  timeout 2400 python3 -m unittest -v ${TAMREL_MACHINE_TESTS:-test_cabinet})
echo "== The machine tests passed in $((SECONDS - started)) s"
