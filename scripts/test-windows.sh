#!/usr/bin/env bash
# Builds the Windows program tamrel.exe for 64-bit and 32-bit Windows with
# MinGW-w64 (build-win64, build-win32), runs the cross-built unit tests under
# Wine, then the end-to-end tests of the 64-bit program under Wine and Xvfb
# in a fresh Wine prefix. Exits non-zero on any failure, and on any compiler
# warning in Tamrel's own sources.
#
# Needs (Debian): cmake make g++-mingw-w64-x86-64 g++-mingw-w64-i686 googletest
# wine wine64 xvfb xdotool imagemagick.
# TAMREL_SCREENSHOTS: where the end-to-end tests leave their screenshots
# (default build-win64/screenshots).
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

tools="build-win64/wine-tools"
mkdir -p "$tools"
x86_64-w64-mingw32-gcc -O2 -Wall -Wextra -Werror -static -o "$tools/boxdriver.exe" tests/wine/boxdriver.c -lole32 -luuid
x86_64-w64-mingw32-gcc -O2 -Wall -Wextra -Werror -shared -o "$tools/menuhook.dll" tests/wine/menuhook.c
x86_64-w64-mingw32-gcc -O2 -Wall -Wextra -Werror -static -mwindows -o "$tools/sleeper.exe" tests/wine/sleeper.c

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
TAMREL_E2E_PREFIX="$prefix" tests/wine/e2e.sh build-win64/tamrel.exe "$tools/boxdriver.exe" "$tools/sleeper.exe" \
  "${TAMREL_SCREENSHOTS:-build-win64/screenshots}"

echo "== Windows tests passed in $((SECONDS - started)) s"
