#!/usr/bin/env bash
# Builds the release artifacts into dist/, each from a fresh build tree:
#   deb   dist/tamrel_<version>_amd64.deb (Linux, CPack's DEB generator)
#   zip   dist/tamrel-<version>-windows-x64.zip and -x86.zip (scripts/package-windows.sh)
# With arguments, only the artifacts named (scripts/package.sh deb).
# Needs (Debian): what scripts/install-deps.sh run installs, and dpkg-dev.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="$(nproc)"
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

package_zip() {
  scripts/package-windows.sh
}

artifacts=(deb zip)
for artifact in "${@:-${artifacts[@]}}"; do
  "package_$artifact"
done
