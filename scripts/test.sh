#!/usr/bin/env bash
# Sets up a fresh Debian machine and runs every test: unit, Qt widget and
# end-to-end tests of the Linux program, the Debian package (built, checked,
# installed, run and removed again; as root), the Raspberry Pi packages
# (cross-built, their tests run under qemu-user), the unit tests again under address
# and undefined-behaviour sanitizers, a bounded fuzzing run, and the Windows
# build with its tests under Wine. Stops at the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
jobs="$(nproc)"

echo "== Linux build and tests"
cmake -S . -B build
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

echo "== The Debian package, installed and run"
if [ "$(id -u)" -eq 0 ]; then
  scripts/test-package.sh
else
  echo "Skipped: installing the package needs root (CI runs as root)."
fi

echo "== Raspberry Pi packages (arm64, armhf), tests under qemu-user"
scripts/test-pi.sh

echo "== The cabinet in a box: the package on a Debian 12 virtual machine"
if [ "$(id -u)" -ne 0 ]; then
  echo "Skipped: building the machine's image needs root (CI runs as root)."
elif [ ! -e /dev/kvm ] && ! qemu-system-x86_64 -accel help 2>/dev/null | grep -qx tcg; then
  echo "Skipped: qemu can run no virtual machine here."
else
  scripts/test-machine.sh
fi

echo "== Unit tests under sanitizers"
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTAMREL_QT=OFF -DCMAKE_CXX_FLAGS="$sanitize"
cmake --build build-asan -j"$jobs" --target tamrel_unit_tests
./build-asan/tests/unit/tamrel_unit_tests

echo "== Fuzzing the settings readers (60 s)"
CXX=clang++ cmake -S . -B build-fuzz -DTAMREL_FUZZ=ON -DTAMREL_QT=OFF -DTAMREL_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="$sanitize"
cmake --build build-fuzz -j"$jobs" --target tamrel_fuzz_settings tamrel_fuzz_bitmap
corpus="$(mktemp -d)"
trap 'rm -rf "$corpus"' EXIT
cp fuzz/corpus/* "$corpus"/
./build-fuzz/fuzz/tamrel_fuzz_settings -max_total_time=60 -max_len=4096 -print_final_stats=1 \
  -artifact_prefix="$PWD/build-fuzz/" "$corpus"
echo "== Fuzzing the bitmap reader (20 s)"
rm -rf "${corpus:?}"/* && cp fuzz/corpus-bitmap/* "$corpus"/
./build-fuzz/fuzz/tamrel_fuzz_bitmap -max_total_time=20 -max_len=4096 -print_final_stats=1 \
  -artifact_prefix="$PWD/build-fuzz/" "$corpus"

if [ -x scripts/test-windows.sh ]; then
  echo "== Windows build and tests under Wine"
  scripts/test-windows.sh
fi
echo "== All tests passed"
