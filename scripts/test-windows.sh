#!/usr/bin/env bash
# Builds the Windows program tamrel.exe for 64-bit and 32-bit Windows with
# MinGW-w64 (build-win64, and build-win32 where 32-bit programs can run, each
# with its tests and the Win32 tools of the Wine driver in tests/wine) and the zips (scripts/package-windows.sh). Then, for
# each bitness, in a fresh Wine prefix of that bitness (build-win*/wineprefix):
# the cross-built unit tests under Wine, then the end-to-end tests under Wine
# and Xvfb: the cases both platforms share (tests/e2e/test_run.py, a run;
# test_setup.py, test_help.py and test_small_screen.py, setup mode), the
# Windows ones (tests/wine/test_wine.py, test_wine_idle.py: the idle wait through
# idleprobe.exe, test_wine_day.py: tamrel.exe's idle power-off, session end and
# closing time, test_wine_check.py: /check from a console, captured, and in a
# box) and the zip's program unpacked alone
# (tests/wine/test_zip.py). Their settings files come from the settings
# template tool, built for this machine in build-native. Exits non-zero on
# any failure, and on any compiler warning in Tamrel's own sources.
#
# Needs (Debian): cmake make g++ g++-mingw-w64-x86-64 g++-mingw-w64-i686
# googletest wine wine64 wine32:i386 xvfb xdotool imagemagick python3 zip.
# TAMREL_SCREENSHOTS: where the 64-bit end-to-end tests leave their
# screenshots (default build-win64/screenshots). E2E_CASES: test name
# patterns (unittest -k) to run only some end-to-end cases. WINE_BITS: the
# bitnesses to test (default "64 32").
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

prefixes=()
cleanup() {
  for prefix in "${prefixes[@]}"; do
    WINEPREFIX="$prefix" timeout 20 wineserver -k >/dev/null 2>&1 || true
    rm -rf "$prefix"
  done
}
trap cleanup EXIT

# Wine's own "wine" starts its 32-bit loader whenever wine32 is installed; a
# kernel without 32-bit x86 support refuses that loader. There the 64-bit
# loader serves the 64-bit suite, and the 32-bit suite cannot run at all:
# its tests are not built, and its Release build (the zip's) is checked
# for warnings instead.
bitnesses="${WINE_BITS:-64 32}"
if [ -x /usr/lib/wine/wine ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  shim="$(mktemp -d)"
  prefixes+=("$shim")
  # A script, not a link: the loader finds its own files by the name it runs as.
  printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$shim/wine"
  chmod +x "$shim/wine"
  export PATH="$shim:$PATH"
  echo "== This machine cannot run 32-bit x86 programs: the 32-bit Wine suite is skipped"
  bitnesses="${bitnesses//32/}"
fi

echo "== Windows builds"
build 64
if [[ "$bitnesses" == *32* ]]; then build 32; fi

echo "== Windows zips"
scripts/package-windows.sh
if [[ "$bitnesses" != *32* ]] && grep -E '(^|/)src/[^:]*:[0-9]+:[0-9]+: warning:' build-release-win32/build.log; then
  echo "The 32-bit build has warnings." >&2
  exit 1
fi
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-win64/CMakeCache.txt)"

echo "== Settings template for this machine"
cmake -S . -B build-native -DTAMREL_QT=OFF >/dev/null
if ! cmake --build build-native -j"$jobs" --target tamrel_settings_template >build-native/build.log 2>&1; then
  cat build-native/build.log
  echo "The settings template did not build." >&2
  exit 1
fi

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C
root="$PWD"

# A 32-bit program runs in a 32-bit prefix, started by "wine" (the wine64
# loader cannot start it); a prefix made before wine32 was installed would
# show none of its windows, so each run makes its prefixes anew.
suite() {
  local bits="$1" arch="$2" triplet="$3"
  local build="$root/build-win$bits"
  local prefix="$build/wineprefix"
  prefixes+=("$prefix")
  WINEPREFIX="$prefix" timeout 20 wineserver -k >/dev/null 2>&1 || true
  rm -rf "$prefix"
  echo "== $bits-bit Wine prefix"
  WINEPREFIX="$prefix" WINEARCH="win$bits" timeout 300 env -u DISPLAY wine wineboot -i >/dev/null 2>&1
  WINEPREFIX="$prefix" timeout 120 wineserver -w

  echo "== $bits-bit unit tests under Wine"
  WINEPREFIX="$prefix" timeout 600 env -u DISPLAY wine "$build/tests/unit/tamrel_unit_tests.exe"
  WINEPREFIX="$prefix" timeout 120 wineserver -w

  echo "== $bits-bit end-to-end tests under Wine"
  local shots=""
  if [ "$bits" = 64 ]; then shots="$(realpath -m "${TAMREL_SCREENSHOTS:-build-win64/screenshots}")"; fi
  local cases=()
  for pattern in ${E2E_CASES:-}; do cases+=(-k "$pattern"); done
  (cd tests/e2e && TAMREL_PLATFORM=wine TAMREL_E2E_PREFIX="$prefix" PYTHONPATH="$root/tests/wine" \
    TAMREL_EXE="$build/tamrel.exe" TAMREL_BOXDRIVER="$build/tests/wine/boxdriver.exe" \
    TAMREL_SLEEPER="$build/tests/wine/sleeper.exe" \
    TAMREL_SETTINGS_TEMPLATE="$root/build-native/tests/support/tamrel_settings_template" \
    TAMREL_SCREENSHOTS="$shots" TAMREL_ZIP="$root/dist/tamrel-$version-windows-$arch.zip" \
    TAMREL_OBJDUMP="$triplet-objdump" \
    timeout 1800 /usr/bin/python3 -m unittest -v "${cases[@]}" test_run test_setup test_help test_small_screen test_wine test_wine_idle test_wine_day test_wine_check test_zip)
}

for bits in $bitnesses; do
  case "$bits" in
    64) suite 64 x64 x86_64-w64-mingw32 ;;
    32) suite 32 x86 i686-w64-mingw32 ;;
    *) echo "WINE_BITS: 64 or 32, not $bits" >&2; exit 2 ;;
  esac
done

echo "== Windows tests passed in $((SECONDS - started)) s"
