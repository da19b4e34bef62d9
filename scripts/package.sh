#!/usr/bin/env bash
# Builds the release artifacts into dist/, each from a fresh build tree:
#   deb   dist/tamrel_<version>_amd64.deb (Linux, CPack's DEB generator)
#   arm64 dist/tamrel_<version>_arm64.deb (Raspberry Pi OS 64-bit), cross-built
#   armhf dist/tamrel_<version>_armhf.deb (Raspberry Pi OS 32-bit), cross-built
#   zip   dist/tamrel-<version>-windows-x64.zip and -x86.zip (scripts/package-windows.sh)
# With arguments, only the artifacts named (scripts/package.sh deb).
# Needs (Debian): what scripts/install-deps.sh run installs, and dpkg-dev;
# for the Pi, what scripts/install-deps.sh cross installs.
# A Pi tree (build-package-arm64, -armhf) is kept with its tests built:
# scripts/test-pi.sh runs them under qemu-user, so each is compiled once.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="${TAMREL_JOBS:-$(nproc)}"
version="$(sed -n 's/^project(tamrel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
mkdir -p dist

package_deb() {
  local tree=build-package-deb
  rm -rf "$tree"
  cmake -S . -B "$tree" -DCMAKE_BUILD_TYPE=Release -DTAMREL_TESTS=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
  cmake --build "$tree" -j"$jobs" --target tamrel tamrel_package_files
  (cd "$tree" && cpack -G DEB >/dev/null)
  mv "$tree/tamrel_${version}_amd64.deb" dist/
  echo "built dist/tamrel_${version}_amd64.deb"
}

# Seconds since the step before, for the Pi stage's time budget.
step() {
  local now="$SECONDS"
  echo "$1: $((now - step_start)) s"
  step_start="$now"
}

# The tests the Pi's proof runs are built in the same tree as the program it
# packs; the Qt widget tests only for arm64 (armhf's proof is lighter).
# One compilation unit per few sources: half the compile time of a cold tree.
package_pi() {
  local arch="$1" tree="build-package-$1" targets=(tamrel tamrel_package_files tamrel_unit_tests)
  [ "$arch" = arm64 ] && targets+=(tamrel_qt_tests)
  rm -rf "$tree"
  step_start="$SECONDS"
  cmake -S . -B "$tree" -DCMAKE_TOOLCHAIN_FILE="cmake/toolchains/linux-$arch.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_UNITY_BUILD=ON -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
  step "$arch configure"
  cmake --build "$tree" -j"$jobs" --target "${targets[@]}"
  step "$arch build"
  # dpkg-shlibdeps finds the target's libraries by the target's architecture.
  (cd "$tree" && DEB_HOST_ARCH="$arch" cpack -G DEB >/dev/null)
  mv "$tree/tamrel_${version}_${arch}.deb" dist/
  step "$arch package"
  echo "built dist/tamrel_${version}_${arch}.deb"
}
package_arm64() { package_pi arm64; }
package_armhf() { package_pi armhf; }

package_zip() {
  scripts/package-windows.sh
}

artifacts=(deb arm64 armhf zip)
for artifact in "${@:-${artifacts[@]}}"; do
  "package_$artifact"
done
