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
cabinet() {
  (cd tests/machine && TAMREL_MACHINE_IMAGE="$image" TAMREL_MACHINE_RUNS="$out/runs" "$@")
}
if [ -n "${TAMREL_MACHINE_TESTS:-}" ]; then
  cabinet timeout 2400 python3 -m unittest -v $TAMREL_MACHINE_TESTS
else
  # The setup boot first; then two machines at a time, each scenario on its
  # own overlay of the disk setup left: much of a scenario is the machine
  # waiting (a countdown, an idle minute), which the other lane fills.
  cabinet timeout 900 python3 -m unittest -v test_cabinet.SetupBoot
  export TAMREL_MACHINE_SETUP_DISK="$out/runs/setup/disk.qcow2"
  lanes=(
    "test_idle_power_off test_the_front_end_ends_and_the_machine_powers_off
     test_the_restart_key_runs_the_front_end_again_and_escape_keeps_it_on
     test_the_power_button_lets_the_front_end_save test_setup_on_the_console_then_the_countdown_powers_off"
    "test_the_shutdown_screen_on_the_real_screen test_a_joystick_button_cancels_once_let_go
     test_a_block_inhibitor_holds_the_power_off_until_it_lets_go test_the_kiosk_under_cage
     test_closing_time_powers_off_and_sets_the_wake_up
     test_the_console_unit_shows_the_screen_and_escape_starts_it_again"
  )
  listed="$(echo ${lanes[*]} | tr ' ' '\n' | sort)"
  defined="$(sed -n 's/^    def \(test_[a-z_]*\)(self.*/\1/p' tests/machine/test_cabinet.py | grep -v '^test_setup_by' | sort)"
  [ "$listed" = "$defined" ] || { echo "Every scenario of test_cabinet.Cabinet must be in one lane." >&2; exit 1; }
  pids=()
  for lane in 0 1; do
    tests=()
    for test in ${lanes[$lane]}; do tests+=("test_cabinet.Cabinet.$test"); done
    cabinet timeout 2400 python3 -m unittest -v "${tests[@]}" >"$out/lane$lane.log" 2>&1 &
    pids+=($!)
  done
  failed=0
  for lane in 0 1; do
    wait "${pids[$lane]}" || failed=1
    echo "== Lane $lane"
    cat "$out/lane$lane.log"
  done
  [ "$failed" -eq 0 ] || { echo "A machine scenario failed (see above, and $out/runs)." >&2; exit 1; }
fi
echo "== The machine tests passed in $((SECONDS - started)) s"
