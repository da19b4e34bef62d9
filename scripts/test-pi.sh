#!/usr/bin/env bash
# The Raspberry Pi packages: each architecture cross-built once by
# scripts/package.sh (program, tests and .deb from one tree), its tests run
# under qemu-user from that tree, its package checked with lintian. arm64 runs
# the unit tests and the Qt widget tests (offscreen); armhf runs
# `tamrel --version` and the unit tests. Prints each step's seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
version="$(sed -n 's/^project(tamrel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
stage_start="$SECONDS"

# What qemu-user cannot do as the kernel does, by test name:
skipped_unit=(
  # posix_spawn's child shares no memory with the parent under qemu-user, so
  # a start that fails is not told; and the subreaper is not emulated.
  "Posix.TheLaunchedProgram*" "Posix.TheWaitLasts*" "Posix.AWatchedWait*"
  # /proc/self/exe is qemu itself for stat(): the test program is not "itself".
  PlatformTest.TheCheckerTellsWhatEachReaderDoesWithABadFile
  RunSequence.TamrelItselfOrAnEmptyProgramIsRefusedAndDecliningEndsWithoutEndedLine
)
skipped_qt=(
  # Death tests execute the test program again: a foreign binary without binfmt_misc.
  QtToolkitStart.TheWatchdogEndsAHangingStartAtItsLimitOrOnAStopRequest
  # Qt's offscreen platform frames every window with 2 pixels; the tests measure a frameless X server.
  QtBackendTest.ControlsArePlacedInTwipsTakeTheirClicksAndFontsAndLeaveTheKeysToTheWindow
  QtBackendTest.MaximisedWindowLeavesCloseRequestsToTheFormAndHasItsDialogsModalOverIt
)
except() { local IFS=:; echo "-$*"; }

for arch in arm64 armhf; do
  tree="build-package-$arch"
  scripts/package.sh "$arch"
  step_start="$SECONDS"
  emulator="$(sed -n 's/^TAMREL_QEMU:[A-Z]*=//p' "$tree/CMakeCache.txt")"
  [ -x "$emulator" ] || { echo "no qemu-user for $arch: scripts/install-deps.sh cross installs it." >&2; exit 1; }
  [ "$("$emulator" "$tree/tamrel" --version)" = "tamrel $version" ] || { echo "$arch: tamrel --version is wrong." >&2; exit 1; }
  timeout 600 "$emulator" "$tree/tests/unit/tamrel_unit_tests" --gtest_brief=1 --gtest_filter="$(except "${skipped_unit[@]}")"
  if [ "$arch" = arm64 ]; then
    env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen timeout 600 "$emulator" \
      "$tree/tests/qt/tamrel_qt_tests" --gtest_brief=1 --gtest_filter="$(except "${skipped_qt[@]}")"
  fi
  echo "$arch tests: $((SECONDS - step_start)) s"
  step_start="$SECONDS"
  deb="dist/tamrel_${version}_${arch}.deb"
  [ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] || { echo "$deb is not for $arch." >&2; exit 1; }
  # Every library the program links is the target's own package.
  depends="$(dpkg-deb -f "$deb" Depends)"
  for needed in libqt6widgets6 libc6 qt6-wayland; do
    grep -qw "$needed" <<<"$depends" || { echo "$deb does not depend on $needed: $depends" >&2; exit 1; }
  done
  if ! lintian --fail-on error "$deb"; then echo "lintian reports errors in $deb." >&2; exit 1; fi
  echo "$arch lintian: $((SECONDS - step_start)) s"
done
echo "== Raspberry Pi packages passed in $((SECONDS - stage_start)) s"
