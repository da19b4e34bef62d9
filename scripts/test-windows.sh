#!/usr/bin/env bash
# Builds the Windows program tamrel.exe for 64-bit and 32-bit Windows with
# MinGW-w64 (build-win64, build-win32, with the Win32 tools of the Wine
# driver in build-win64/tests/wine), runs the cross-built unit tests under
# Wine, then the end-to-end tests of the 64-bit program under Wine and Xvfb
# in a fresh Wine prefix: the cases both builds share (tests/e2e/test_run.py)
# and the Windows ones (tests/wine/test_wine.py). Their settings files come
# from the settings template tool, built for this machine in build-native.
# Exits non-zero on any failure, and on any compiler warning in Tamrel's own
# sources.
#
# Needs (Debian): cmake make g++ g++-mingw-w64-x86-64 g++-mingw-w64-i686
# googletest wine wine64 xvfb xdotool imagemagick python3.
# TAMREL_SCREENSHOTS: where the end-to-end tests leave their screenshots
# (default build-win64/screenshots). E2E_CASES: test name patterns (unittest
# -k) to run only some end-to-end cases.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="$(nproc)"
started=$SECONDS

build() {
  local bits="$1"
  shift
  local log="build-win$bits/build.log"
  cmake -S . -B "build-win$bits" -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-mingw$bits.cmake" "$@" >/dev/null
  if ! cmake --build "build-win$bits" -j"$jobs" >"$log" 2>&1; then
    cat "$log"
    echo "The $bits-bit build failed." >&2
    return 1
  fi
  if grep -E '(^|/)(src|tests)/[^:]*:[0-9]+:[0-9]+: warning:' "$log"; then
    echo "The $bits-bit build has warnings." >&2
    return 1
  fi
  rm -f "$log"
  echo "built build-win$bits/tamrel.exe"
}

echo "== Windows builds"
build 64
build 32 -DTAMREL_TESTS=OFF

echo "== Settings template for this machine"
cmake -S . -B build-native -DTAMREL_QT=OFF >/dev/null
if ! cmake --build build-native -j"$jobs" --target tamrel_settings_template >build-native/build.log 2>&1; then
  cat build-native/build.log
  echo "The settings template did not build." >&2
  exit 1
fi

# One fresh prefix for both test runs; removed at the end.
prefix="$(mktemp -d /tmp/tamrel-wineprefix.XXXXXX)"
cleanup() {
  WINEPREFIX="$prefix" timeout 20 wineserver -k >/dev/null 2>&1 || true
  rm -rf "$prefix"
}
trap cleanup EXIT
rmdir "$prefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C
echo "== Wine prefix"
WINEPREFIX="$prefix" timeout 300 env -u DISPLAY wine wineboot -i >/dev/null 2>&1
WINEPREFIX="$prefix" timeout 120 wineserver -w

echo "== Unit tests under Wine"
WINEPREFIX="$prefix" timeout 600 env -u DISPLAY wine build-win64/tests/unit/tamrel_unit_tests.exe
WINEPREFIX="$prefix" timeout 120 wineserver -w

echo "== End-to-end tests under Wine"
root="$PWD"
shots="$(realpath -m "${TAMREL_SCREENSHOTS:-build-win64/screenshots}")"
cases=()
for pattern in ${E2E_CASES:-}; do cases+=(-k "$pattern"); done
(cd tests/e2e && TAMREL_PLATFORM=wine TAMREL_E2E_PREFIX="$prefix" PYTHONPATH="$root/tests/wine" \
  TAMREL_EXE="$root/build-win64/tamrel.exe" TAMREL_BOXDRIVER="$root/build-win64/tests/wine/boxdriver.exe" \
  TAMREL_SLEEPER="$root/build-win64/tests/wine/sleeper.exe" \
  TAMREL_SETTINGS_TEMPLATE="$root/build-native/tests/support/tamrel_settings_template" \
  TAMREL_SCREENSHOTS="$shots" \
  timeout 1800 /usr/bin/python3 -m unittest -v "${cases[@]}" test_run test_wine)

echo "== Windows tests passed in $((SECONDS - started)) s"
