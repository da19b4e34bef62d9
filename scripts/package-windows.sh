#!/usr/bin/env bash
# Builds the Windows zips dist/tamrel-<version>-windows-x64.zip and
# dist/tamrel-<version>-windows-x86.zip, each holding the Release tamrel.exe
# (stripped), README.txt and LICENSE.txt (CR LF line ends, as Notepad
# expects). The version is the project's, from the top CMakeLists.txt. The
# Release builds go to build-release-win64 and build-release-win32.
#
# Needs (Debian): cmake make g++-mingw-w64-x86-64 g++-mingw-w64-i686 zip.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="$(nproc)"

mkdir -p dist

crlf() { sed 's/\r*$/\r/' "$1" >"$2"; }

for target in "64 x64" "32 x86"; do
  read -r bits arch <<<"$target"
  build="build-release-win$bits"
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-mingw$bits.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DTAMREL_TESTS=OFF >/dev/null
  if ! cmake --build "$build" -j"$jobs" --target tamrel >"$build/build.log" 2>&1; then
    cat "$build/build.log"
    echo "The $bits-bit Release build failed." >&2
    exit 1
  fi
  # The version as CMake read it from the project() line.
  version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
  stage="$build/zip"
  rm -rf "$stage" && mkdir "$stage"
  cp "$build/tamrel.exe" "$stage/"
  crlf docs/windows-README.txt "$stage/README.txt"
  crlf LICENSE "$stage/LICENSE.txt"
  zip="$PWD/dist/tamrel-$version-windows-$arch.zip"
  rm -f "$zip"
  (cd "$stage" && zip -q -X "$zip" tamrel.exe README.txt LICENSE.txt)
  echo "built dist/${zip##*/}"
done
