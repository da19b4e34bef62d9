# Helpers for the end-to-end tests of tamrel.exe under Wine: a private X
# display and Wine prefix, one program folder per case, the logs read back
# without their dates, and the message boxes answered by boxdriver.exe.
# Sourced by e2e.sh.

E2E_FAILED=0
E2E_PASSED=0
E2E_CASE=""
E2E_CASE_FAILED=0

note() { printf '    %s\n' "$*"; }

fail() {
  printf '    FAIL (%s): %s\n' "$E2E_CASE" "$*"
  E2E_CASE_FAILED=1
}

begin_case() {
  E2E_CASE="$1"
  E2E_CASE_FAILED=0
  CASE_START=${EPOCHREALTIME/./}
  printf '%s\n' "-- $1"
}

end_case() {
  local tenths=$(((${EPOCHREALTIME/./} - CASE_START) / 100000))
  local seconds="$((tenths / 10)).$((tenths % 10))"
  if [ "$E2E_CASE_FAILED" -eq 0 ]; then
    E2E_PASSED=$((E2E_PASSED + 1))
    printf '   ok (%ss)\n' "$seconds"
  else
    E2E_FAILED=$((E2E_FAILED + 1))
    printf '   FAILED (%ss)\n' "$seconds"
  fi
}

# --- The X display and the Wine prefix -------------------------------------

start_display() {
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$E2E_ROOT/xvfb.log" 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    local tries
    for tries in $(seq 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && return 0
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "could not start Xvfb" >&2
  return 1
}

# TAMREL_E2E_PREFIX: a fresh prefix made for these tests; without it one is
# made here. Never a prefix in use: the tests write c:\holdmark.tes and end
# the prefix's Wine session.
start_prefix() {
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C
  if [ -n "${TAMREL_E2E_PREFIX:-}" ]; then
    export WINEPREFIX="$TAMREL_E2E_PREFIX"
    return 0
  fi
  WINEPREFIX="$(mktemp -d "$E2E_ROOT/prefix.XXXXXX")"
  export WINEPREFIX
  # Wine refuses a prefix folder that exists but is not its own yet.
  rmdir "$WINEPREFIX"
  timeout 300 wine wineboot -i >"$E2E_ROOT/wineboot.log" 2>&1
  timeout 120 wineserver -w
}

stop_all() {
  if [ -n "${WINEPREFIX:-}" ]; then timeout 20 wineserver -k >/dev/null 2>&1 || true; fi
  if [ -n "${XVFB_PID:-}" ]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
}

# Every Wine process of the prefix has ended (the server goes with them).
wait_wine_idle() { timeout 60 wineserver -w || fail "Wine processes still running"; }

# --- Program folders --------------------------------------------------------

# The Windows form of a path of this machine, through Wine's Z: drive.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# A new program folder with tamrel.exe and the stand-in front end.
new_folder() {
  CASE_DIR="$E2E_ROOT/$1"
  mkdir -p "$CASE_DIR"
  cp "$TAMREL_EXE" "$CASE_DIR/tamrel.exe"
  cp "$SLEEPER_EXE" "$CASE_DIR/sleeper.exe"
  WIN_DIR="$(winpath "$CASE_DIR")\\"
}

# Writes lines joined and ended by CR LF.
write_crlf() {
  local file="$1"
  shift
  : >"$file"
  local line
  for line in "$@"; do printf '%s\r\n' "$line" >>"$file"; done
}

# A front end as a batch file that runs the sleeper for $1 ms.
write_front_bat() {
  write_crlf "$CASE_DIR/front.bat" "@echo off" "sleeper.exe $1" "echo done> front-ended.txt"
}

# A complete settings file of the current version; "Key =value" arguments
# replace the line of the same key.
write_settings() {
  local -a lines=(
    "# Tamrel settings for an end-to-end test"
    "Run Setup = no"
    "Program =${WIN_DIR}front.bat"
    "Shutdown method =1"
    "Seconds to cancel =10"
    "Key to cancel =27"
    "Key to re-start =0"
    "Countdown box X position = 0"
    "Countdown box Y position = 0"
    "Countdown box font =arial"
    "Countdown box fontsize =20"
    "Countdown box bold font =False"
    "Countdown box italic =False"
    "Countdown box color = 0"
    "Skin =use default"
  )
  local override i key replaced
  for override in "$@"; do
    key="${override%%=*}="
    replaced=0
    for i in "${!lines[@]}"; do
      if [[ "${lines[$i],,}" == "${key,,}"* ]]; then
        lines[$i]="$override"
        replaced=1
      fi
    done
    [ "$replaced" -eq 1 ] || lines+=("$override")
  done
  write_crlf "$CASE_DIR/tamrel.set" "${lines[@]}"
}

# The event lines of a run that launched PROGRAM from the case folder.
launch_lines() {
  printf '%s\n' "Tamrel started." "In Tamrel.set, Run Setup = no" "Launching program: $1" \
    "Path to the program: $WIN_DIR" "Program ($1) finished!"
}

# The settings lines as the shutdown screen logs them, in file order.
screen_log_lines() {
  tr -d '\r' <"$CASE_DIR/tamrel.set" | grep -v -e '^#' -e '^Run Setup' -e '^Program' | sed 's/^/In Tamrel.set, /'
}

# --- Running tamrel.exe -----------------------------------------------------

start_tamrel() {
  (cd "$CASE_DIR" && exec timeout -k 5 "${1:-90}" wine tamrel.exe >"$CASE_DIR/wine.out" 2>&1) &
  TAMREL_PID=$!
}

# Waits for the tamrel.exe started last; fails if it had to be killed.
wait_tamrel() {
  local status=0
  wait "$TAMREL_PID" || status=$?
  [ "$status" -eq 0 ] || fail "tamrel.exe ended with status $status (124: killed after the time limit)"
}

tamrel_running() { kill -0 "$TAMREL_PID" 2>/dev/null; }

driver() { timeout 60 wine "$BOXDRIVER_EXE" "$@" 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }

# One action of the driver that must succeed.
step() {
  local seen
  seen="$(driver "$@")" || fail "boxdriver $*: $seen"
}

# One action of the driver that must succeed and print EXPECTED.
expect_driver() {
  local expected="$1" seen
  shift
  seen="$(driver "$@")" || { fail "boxdriver $*: $seen"; return; }
  [ "$seen" = "$expected" ] || fail "boxdriver $*: \"$seen\", not \"$expected\""
}

# Wine's own desktop window on the display, as large as it, where windows
# have frames and can be maximised (there is no window manager). Switched
# while no Wine process runs.
virtual_desktop() {
  wait_wine_idle
  if [ "$1" = on ]; then
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  else
    wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1
  fi
  wait_wine_idle
}

wait_for_file() {
  local file="$1" tries
  for tries in $(seq "${2:-200}"); do
    [ -e "$file" ] && return 0
    sleep 0.1
  done
  return 1
}

# Answers the next message box and checks what it showed. Arguments: title,
# expected prompt (CR and LF written as \r and \n), buttons ("OK,Cancel"),
# the button to press.
answer_box() {
  local title="$1" prompt="$2" buttons="$3" press="$4" seen expected
  seen="$(driver box "$title" "$press" 30000)" || { fail "message box \"$title\": $seen"; return; }
  expected="$(printf 'title: %s\nprompt: %s\nbuttons: %s\nicon: none' "$title" "$prompt" "$buttons")"
  if [ "$seen" != "$expected" ]; then
    fail "message box differs"
    diff <(printf '%s\n' "$expected") <(printf '%s\n' "$seen") | sed 's/^/      /'
  fi
}

# The box a start without tamrel.set shows, answered with BUTTON.
answer_missing_settings() {
  answer_box "Tamrel.set not found!" \
    "I could not find the config file, Tamrel.set. You must run setup to correct it" OK,Cancel "$1"
}

# --- The logs ---------------------------------------------------------------

# The event texts of an event log: after its six header lines, the text
# after " --- ".
events() {
  local name="${1:-talog1.txt}"
  local log="$CASE_DIR/$name"
  [ -e "$log" ] || { echo "<no $name>"; return; }
  tr -d '\r' <"$log" | tail -n +7 | sed 's/^.* --- //'
}

# The entries of the error log, without the date and time before them.
errors() {
  [ -e "$CASE_DIR/tamrel.txt" ] || return 0
  tr -d '\r' <"$CASE_DIR/tamrel.txt" |
    sed -E 's#^[0-9]{1,4}[./-][0-9]{1,2}[./-][0-9]{1,4} [0-9]{1,2}:[0-9]{2}(:[0-9]{2})?( ?[AaPp][Mm])?##'
}

# Compares a log, line by line, with the expected lines.
expect_lines() {
  local what="$1" actual="$2"
  shift 2
  local expected=""
  [ "$#" -gt 0 ] && expected="$(printf '%s\n' "$@")"
  if [ "$actual" != "${expected%$'\n'}" ]; then
    fail "$what differs (- expected, + actual)"
    diff <(printf '%s\n' "${expected%$'\n'}") <(printf '%s\n' "$actual") | sed 's/^/      /'
  fi
}

# The log's header must be exactly the six lines every event log starts with.
expect_header() {
  local header
  header="$(tr -d '\r' <"$CASE_DIR/${1:-talog1.txt}" | head -n 6)"
  expect_lines "header of ${1:-talog1.txt}" "$header" \
    "This is a log of events for when Tamrel ran." \
    "When Tamrel runs, it records events in file named talog1.txt." \
    "If talog1.txt already exists from a previous run, it is renamed talog2.txt" \
    "If talog2.txt already exists, it is renamed talog3.txt." \
    "So you can go back 3 runs to check the events. This can be helpful for troubleshooting." \
    " "
}

# The seconds shown when the user stopped the countdown, from the line that
# logged it (empty when there is none).
stopped_at() { events "${2:-talog1.txt}" | sed -n "s/^$1 \(-\?[0-9]*\) seconds\.$/\1/p" | tail -n 1; }

# Sets STOPPED to the second at which the run stopped (TEXT as in
# stopped_at), and fails unless it lies from LOW to HIGH.
stopped_between() {
  STOPPED="$(stopped_at "$1" "${4:-talog1.txt}")"
  [[ "$STOPPED" =~ ^[0-9]+$ ]] && ((STOPPED >= $2 && STOPPED <= $3)) || fail "stopped at '$STOPPED' seconds: $1"
}

# Escape on the screen that is up; the run of PROGRAM then ends cleanly.
escape_and_expect_end() {
  sleep 1.5
  xdotool key Escape
  wait_tamrel
  events | grep -qx "Program ($1) finished!" || fail "no end of $1 in the event log: $(events)"
  [ "$(events | tail -n 1)" = "Tamrel ended." ] || fail "the run did not end after the cancel"
  expect_lines "error log" "$(errors)"
}

# A whole run of PROGRAM in the event log: header, launch, marker, the
# screen's settings, then the LAST lines; and an empty error log.
expect_whole_run() {
  local program="$1"
  shift
  local -a launch screen
  mapfile -t launch < <(launch_lines "$program")
  mapfile -t screen < <(screen_log_lines)
  expect_header
  expect_lines "event log" "$(events)" "${launch[@]}" 'c:\holdmark.tes not found.' "${screen[@]}" "$@"
  expect_lines "error log" "$(errors)"
}
