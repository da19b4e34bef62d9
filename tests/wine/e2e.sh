#!/usr/bin/env bash
# End-to-end tests of the real tamrel.exe under Wine and Xvfb: launching and
# waiting, the marker file, the shutdown screen with its keys and clicks,
# the re-start, the shutdown request, and the message boxes of damaged or
# missing settings, each checked in the event and error logs line by line;
# then setup mode from no settings file to a file the next start runs,
# driven through the real menus, common dialogs and labels, and the help
# windows it opens.
#
#   tests/wine/e2e.sh TAMREL_EXE BOXDRIVER_EXE SLEEPER_EXE [SCREENSHOT_DIR]
#
# menuhook.dll must lie beside BOXDRIVER_EXE.
# Runs in a fresh Wine prefix of its own; c: is that prefix's drive_c. The
# shutdown request only ends the Wine session of that prefix.
set -uo pipefail

TAMREL_EXE="$(realpath "$1")"
BOXDRIVER_EXE="$(realpath "$2")"
SLEEPER_EXE="$(realpath "$3")"
SHOTS="${4:-}"
HERE="$(cd "$(dirname "$0")" && pwd)"
. "$HERE/harness.sh"

E2E_ROOT="$(mktemp -d /tmp/tamrel-wine.XXXXXX)"
cleanup() {
  stop_all
  rm -rf "$E2E_ROOT"
}
trap cleanup EXIT

screenshot() {
  [ -n "$SHOTS" ] || return 0
  mkdir -p "$SHOTS"
  import -window root "$SHOTS/$1" || fail "no screenshot $1"
}

# The front end runs while no window of tamrel exists, and the screen comes
# only after it ended ($1: the file the front end leaves at its end).
expect_screen_after() {
  wait_for_file "$CASE_DIR/sleeper-started.txt" 300 || { fail "the front end did not start"; return; }
  local seen
  seen="$(driver absent TamrelWindow)" || fail "a tamrel window is up while the front end runs: $seen"
  seen="$(driver window TamrelWindow appear 30000)" || { fail "$seen"; return; }
  [ -e "$CASE_DIR/$1" ] || fail "the shutdown screen appeared before the front end ended"
  [ "$seen" = "window: 1024x768" ] || fail "the shutdown screen does not cover the display: $seen"
}

case_batch_file_and_escape() {
  begin_case "a batch file is waited for; Escape cancels"
  new_folder batch
  write_front_bat 3000
  write_settings
  start_tamrel
  expect_screen_after front-ended.txt
  sleep 2.5
  xdotool key Escape
  wait_tamrel
  stopped_between "User canceled shutdown at" 5 9
  expect_whole_run front.bat "User canceled shutdown at $STOPPED seconds." "Tamrel ended."
  [ ! -e "$CASE_DIR/rerunta.bat" ] || fail "a re-start file was written"
  end_case
}

case_program_and_click_on_skin() {
  begin_case "a program is waited for; on the skin look a click on the box does nothing, on the background it cancels"
  new_folder program
  convert -size 800x600 gradient:'#102040-#3070a0' -fill '#e0b030' -draw 'circle 600,420 600,330' \
    -fill '#f0f0f0' -draw 'rectangle 60,500 360,540' BMP3:"$CASE_DIR/skin.bmp"
  write_settings "Program =${WIN_DIR}sleeper.exe" "Key to cancel =-1" "Skin =${WIN_DIR}skin.bmp" \
    "Countdown box X position = 1000" "Countdown box Y position = 3000" "Countdown box font =Comic Sans MS" \
    "Countdown box fontsize =48" "Countdown box bold font =True" "Countdown box color = 255"
  start_tamrel
  expect_screen_after sleeper-ended.txt
  # The click the screen injects at its start must not count.
  sleep 1.5
  tamrel_running || fail "the screen ended before any click"
  screenshot windows-skin.png
  # Drawn the right way up and in its own colours: the disc, lower right.
  local disc
  disc="$(import -window root -crop 1x1+600+440 -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -n 1)"
  [ "$disc" = "#E0B030" ] || fail "the skin's disc is $disc, not #E0B030"
  xdotool mousemove 250 110 click 1
  sleep 1
  tamrel_running || fail "a click on the countdown box cancelled"
  xdotool mousemove 900 700 click 1
  wait_tamrel
  stopped_between "User canceled shutdown at" 5 9
  expect_whole_run sleeper.exe "User canceled shutdown at $STOPPED seconds." "Tamrel ended."
  end_case
}

case_restart_by_click() {
  begin_case "on the default look a click on the frame does nothing; a click re-starts, Escape then cancels"
  new_folder restart
  write_front_bat 3000
  write_settings "Key to re-start =-1"
  start_tamrel
  expect_screen_after front-ended.txt
  sleep 1.5
  screenshot windows-default.png
  xdotool mousemove 512 384 click 1
  sleep 1
  tamrel_running || fail "a click on the frame re-started"
  rm -f "$CASE_DIR/sleeper-started.txt" "$CASE_DIR/front-ended.txt"
  xdotool mousemove 40 40 click 1
  # The new instance runs the whole cycle again; Wine may still be taking
  # the old one down meanwhile.
  expect_screen_after front-ended.txt
  wait_tamrel
  sleep 1.5
  xdotool key Escape
  local seen
  seen="$(driver window TamrelWindow vanish 20000)" || fail "$seen"
  wait_wine_idle
  printf '@echo off\r\nREM This file will restart The Tamrel.\r\nREM This file was created by The Tamrel.\r\nstart tamrel.exe\r\nexit\r\n' \
    >"$E2E_ROOT/rerunta.expected"
  cmp -s "$E2E_ROOT/rerunta.expected" "$CASE_DIR/rerunta.bat" || fail "rerunta.bat differs from its five lines"
  local first second
  stopped_between "User chose to cancel shutdown and re-start program at" 5 9 talog2.txt
  first=$STOPPED
  stopped_between "User canceled shutdown at" 5 9
  second=$STOPPED
  local -a screen
  mapfile -t screen < <(screen_log_lines)
  local -a start=(
    "Tamrel started."
    "In Tamrel.set, Run Setup = no"
    "Launching program: front.bat"
    "Path to the program: $WIN_DIR"
    "Program (front.bat) finished!"
    'c:\holdmark.tes not found.'
    "${screen[@]}"
  )
  expect_header talog2.txt
  expect_lines "event log of the first run" "$(events talog2.txt)" "${start[@]}" \
    "User chose to cancel shutdown and re-start program at $first seconds." \
    "Tamrel ended." \
    "Re-starting Tamrel"
  expect_header
  expect_lines "event log of the re-started run" "$(events)" "${start[@]}" \
    "User canceled shutdown at $second seconds." \
    "Tamrel ended."
  expect_lines "error log" "$(errors)"
  end_case
}

case_marker_file() {
  begin_case "with c:\\holdmark.tes present the run ends without the screen"
  new_folder marker
  write_front_bat 500
  write_settings
  echo marker >"$WINEPREFIX/drive_c/holdmark.tes"
  start_tamrel 60
  wait_tamrel
  rm -f "$WINEPREFIX/drive_c/holdmark.tes"
  [ -e "$CASE_DIR/front-ended.txt" ] || fail "the front end did not run"
  local -a launch
  mapfile -t launch < <(launch_lines front.bat)
  expect_lines "event log" "$(events)" \
    "${launch[@]}" \
    'c:\holdmark.tes is present, so tamrel will end without shutting PC down.' \
    "Tamrel ended."
  expect_lines "error log" "$(errors)"
  end_case
}

case_corrupt_settings() {
  begin_case "a settings file without a Program line is deleted after its message box"
  new_folder corrupt
  write_crlf "$CASE_DIR/tamrel.set" "Run Setup = no" "Shutdown method =1"
  start_tamrel 60
  answer_box tamrel \
    'There is something wrong in the tamrel.set file.\rTamrel.set will be deleted.\rSetup will run next time you start The tamrel.' \
    OK OK
  wait_tamrel
  [ ! -e "$CASE_DIR/tamrel.set" ] || fail "tamrel.set was not deleted"
  expect_lines "event log" "$(events)" \
    "Tamrel started." \
    "In Tamrel.set, Run Setup = no" \
    "The tamrel.set file is corrupt!! Deleting tamrel.set!" \
    "The damaged file was kept as tamrel.bad." \
    "Tamrel ended."
  expect_lines "error log" "$(errors)" " --The tamrel.set file is corrupt! Deleting tamrel.set."
  end_case
}

case_missing_settings() {
  begin_case "a missing settings file: Cancel, then the refusal"
  new_folder missing
  start_tamrel 60
  answer_missing_settings Cancel
  answer_box tamrel "The tamrel will not be able to run until you fix the problem." OK OK
  wait_tamrel
  expect_lines "event log" "$(events)" \
    "Tamrel started." \
    "Tamrel.set file not found!" \
    "User selected not to set up Tamrel at this time!!" \
    "Tamrel ended."
  expect_lines "error log" "$(errors)" "--Tamrel.set not found!"
  end_case
}

# The program-problem box answered Cancel, then the refusal answered OK.
refuse_setup_for_program() {
  answer_box "Tamrel has encountered a problem!" \
    "There is a problem with the program you are trying to launch, or it's path. You must run setup to correct it" \
    OK,Cancel Cancel
  answer_box tamrel "The tamrel will not be able to run until you fix the problem." OK OK
}

case_missing_program() {
  begin_case "a program that does not exist, or tamrel.exe itself: Cancel, then the refusal"
  new_folder noprogram
  local program expected=()
  for program in gone.exe tamrel.exe; do
    write_settings "Program =${WIN_DIR}$program"
    start_tamrel 60
    refuse_setup_for_program
    wait_tamrel
    expect_lines "event log" "$(events)" \
      "Tamrel started." \
      "In Tamrel.set, Run Setup = no" \
      "Problem trying to launch program. The problem is in Program = line of tamrel.set." \
      "User chose not to run setup."
    expected+=("--Problem with program or its path: Program =${WIN_DIR}$program")
  done
  expect_lines "error log" "$(errors)" "${expected[@]}"
  end_case
}

case_second_instance() {
  begin_case "a second tamrel.exe in the same folder waits, says Tamrel is already running, and touches no log"
  new_folder twice
  write_front_bat 12000
  write_settings
  start_tamrel
  local first=$TAMREL_PID
  wait_for_file "$CASE_DIR/sleeper-started.txt" 300 || fail "the front end did not start"
  cp "$CASE_DIR/talog1.txt" "$E2E_ROOT/talog1.before"
  local started=${EPOCHREALTIME/./}
  start_tamrel 60
  answer_box tamrel "Tamrel is already running in this folder." OK OK
  local waited=$(((${EPOCHREALTIME/./} - started) / 1000000))
  ((waited >= 5 && waited <= 15)) || fail "the box came after $waited s, not after about 5 s"
  wait_tamrel
  cmp -s "$E2E_ROOT/talog1.before" "$CASE_DIR/talog1.txt" || fail "the second instance wrote to talog1.txt"
  [ ! -e "$CASE_DIR/talog2.txt" ] && [ ! -e "$CASE_DIR/tamrel.txt" ] || fail "the second instance touched the logs"
  TAMREL_PID=$first
  expect_screen_after front-ended.txt
  sleep 1.5
  xdotool key Escape
  wait_tamrel
  [ "$(events | tail -n 1)" = "Tamrel ended." ] || fail "the first instance did not run to its end"
  end_case
}

case_rotation_blocked() {
  begin_case "a log rotation that fails names the file in the way, talog2.txt, not talog1.txt"
  new_folder rotation
  write_front_bat 200
  write_settings
  echo "an earlier run" >"$CASE_DIR/talog1.txt"
  mkdir "$CASE_DIR/talog2.txt"
  start_tamrel 60
  local seen
  seen="$(driver box tamrel OK 30000)" || fail "no message box: $seen"
  [[ "$seen" == *"encountered an error: "*"${WIN_DIR}talog2.txt ERR# "* ]] || fail "the box does not name talog2.txt: $seen"
  answer_box "Run Setup?" "Do you want to run setup?" Yes,No No
  wait_tamrel
  [ "$(head -n 1 "$CASE_DIR/talog1.txt")" = "an earlier run" ] || fail "talog1.txt was moved or replaced"
  [[ "$(errors)" == "--Error encountered: "*"${WIN_DIR}talog2.txt" ]] || fail "the error log does not name talog2.txt: $(errors)"
  end_case
}

case_bad_skins() {
  begin_case "a missing, unreadable, truncated or header-only skin bitmap ends the screen with a message box"
  new_folder skins
  write_front_bat 200
  printf 'BM this is no bitmap' >"$CASE_DIR/bad.bmp"
  # Headers that promise more rows than the file holds.
  convert -size 640x480 xc:'#204060' BMP3:"$E2E_ROOT/whole.bmp"
  head -c 20000 "$E2E_ROOT/whole.bmp" >"$CASE_DIR/truncated.bmp"
  head -c 54 "$E2E_ROOT/whole.bmp" >"$CASE_DIR/header.bmp"
  local skin expected=()
  for skin in missing.bmp bad.bmp truncated.bmp header.bmp; do
    write_settings "Skin =${WIN_DIR}$skin"
    start_tamrel 60
    local problem="File not found: ${WIN_DIR}$skin"
    [ "$skin" = missing.bmp ] || problem="Invalid picture: ${WIN_DIR}$skin"
    answer_box tamrel "Tamrel has encountered a problem and will end. (${problem})\\r Please check Tamrel.txt for help" \
      OK OK
    wait_tamrel
    expected+=("---Tamrel encountered error.  (${problem}). Please check for proper setup.")
    [ "$(events | tail -n 1)" = "In Tamrel.set, Skin =${WIN_DIR}$skin" ] ||
      fail "the event log of $skin ends otherwise: $(events | tail -n 1)"
  done
  expect_lines "error log" "$(errors)" "${expected[@]}"
  end_case
}

case_shortcut() {
  begin_case "a shortcut is started as it says and waited for; one that cannot be resolved is a program problem"
  new_folder shortcut
  write_crlf "$CASE_DIR/front.bat" "@echo off" "sleeper.exe %1" "echo done> front-ended.txt"
  mkdir "$CASE_DIR/links"
  # Arguments and working folder reach the target only through the link.
  step shortcut "${WIN_DIR}links\\front.lnk" "${WIN_DIR}front.bat" 3000 "${WIN_DIR%\\}"
  write_settings "Program =${WIN_DIR}links\\front.lnk"
  start_tamrel
  expect_screen_after front-ended.txt
  escape_and_expect_end front.lnk

  printf 'no shell link' >"$CASE_DIR/links/broken.lnk"
  write_settings "Program =${WIN_DIR}links\\broken.lnk"
  start_tamrel 60
  answer_box tamrel "The Tamrel had a problem running the program. Check tamrel.txt for more info." OK OK
  wait_tamrel
  expect_lines "error log" "$(errors)" "--Program did not launch properly: ${WIN_DIR}links\\broken.lnk"
  end_case
}

case_bad_programs() {
  begin_case "an invalid executable is named without \"%1\"; a program path without a drive letter says so"
  new_folder badprograms
  write_front_bat 200
  printf 'not a program' >"$CASE_DIR/fake.exe"
  local program seen expected=()
  for program in "${WIN_DIR}fake.exe" front.bat '.\front.bat'; do
    write_settings "Program =$program"
    start_tamrel 60
    seen="$(driver box tamrel OK 30000)" || fail "no message box for $program: $seen"
    if [ "$program" = "${WIN_DIR}fake.exe" ]; then
      [[ "$seen" == *"encountered an error: "*"fake.exe ERR# 193"* && "$seen" != *%* ]] ||
        fail "the box of fake.exe reads: $seen"
    else
      expected+=("--Error encountered: 15: The program path has no drive letter: $program")
      [[ "$seen" == *"encountered an error: The program path has no drive letter: $program ERR# 15"* ]] ||
        fail "the box of $program reads: $seen"
    fi
    answer_box "Run Setup?" "Do you want to run setup?" Yes,No No
    wait_tamrel
  done
  [[ "$(errors | head -n 1)" == "--Error encountered: 193: "*fake.exe && "$(errors | head -n 1)" != *%* ]] ||
    fail "the error log of fake.exe reads: $(errors | head -n 1)"
  expect_lines "error log after fake.exe" "$(errors | tail -n +2)" "${expected[@]}"
  end_case
}

case_read_only_log() {
  begin_case "a read-only talog1.txt rotates away over four runs, and every run still starts"
  new_folder readonly
  write_settings "Program =${WIN_DIR}gone.exe"
  echo "an earlier run" >"$CASE_DIR/talog1.txt"
  wine attrib +r "${WIN_DIR}talog1.txt" >/dev/null 2>&1
  local run
  for run in 1 2 3 4; do
    start_tamrel 60
    refuse_setup_for_program
    wait_tamrel
  done
  [ "$(events talog3.txt | head -n 1)" = "Tamrel started." ] || fail "talog3.txt is not a log of a run"
  ! grep -q "an earlier run" "$CASE_DIR"/talog?.txt || fail "the read-only log was never removed"
  expect_lines "error log" "$(errors)" \
    "--Problem with program or its path: Program =${WIN_DIR}gone.exe" \
    "--Problem with program or its path: Program =${WIN_DIR}gone.exe" \
    "--Problem with program or its path: Program =${WIN_DIR}gone.exe" \
    "--Problem with program or its path: Program =${WIN_DIR}gone.exe"
  end_case
}

case_greek_folder() {
  begin_case "a program folder named in Greek (outside the code page) logs, launches and waits"
  new_folder greekfront
  write_front_bat 1500
  local front="$CASE_DIR" front_win="$WIN_DIR"
  new_folder "Φάκελος"
  write_settings "Program =${front_win}front.bat"
  # File names reach Wine as UTF-8; the system code page stays without Greek.
  (cd "$CASE_DIR" && LC_ALL=C.UTF-8 exec timeout -k 5 60 wine tamrel.exe >"$CASE_DIR/wine.out" 2>&1) &
  TAMREL_PID=$!
  wait_for_file "$front/sleeper-started.txt" 300 || fail "the front end did not start"
  local seen
  seen="$(driver window TamrelWindow appear 30000)" || fail "no shutdown screen: $seen"
  [ -e "$front/front-ended.txt" ] || fail "the shutdown screen appeared before the front end ended"
  escape_and_expect_end front.bat
  end_case
}

case_countdown_to_shutdown() {
  begin_case "the countdown reaches 0 and asks for the shutdown (Wine ends its session)"
  new_folder shutdown
  write_front_bat 300
  write_settings "Seconds to cancel =5"
  start_tamrel 60
  wait_tamrel
  expect_whole_run front.bat "Shutting down PC, using shutdown method 1" "tamrel ended."
  wait_wine_idle
  end_case
}

SETUP_TITLE="The Tamrel (V1.10)........ SetUp Mode"

case_setup_closed() {
  begin_case "closing the setup window ends Tamrel and writes no settings"
  new_folder setupclosed
  start_tamrel 60
  answer_missing_settings OK
  step close "$SETUP_TITLE"
  wait_tamrel
  [ ! -e "$CASE_DIR/tamrel.set" ] || fail "a settings file was written"
  end_case
}

case_setup_round_trip() {
  begin_case "setup from no settings file, through the menus, common dialogs, drag and key chooser, to a file the next start runs"
  new_folder setup
  write_front_bat 300
  convert -size 800x600 gradient:'#203040-#406080' BMP3:"$CASE_DIR/skin.bmp"
  virtual_desktop on
  start_tamrel 120
  answer_missing_settings OK
  local form="$SETUP_TITLE" seen line
  seen="$(driver window TamrelWindow appear)"
  [[ "$seen" == *" maximised" ]] || fail "the setup window is not maximised: $seen"
  # Labels are STATIC controls whose text is their caption.
  driver labels "$form" | grep -qx "Your machine will shut down in" || fail "the preview's labels are not found"
  xdotool mousemove 1000 740 key --delay 150 F10 Down Down Right
  sleep 0.5
  screenshot windows-setup.png
  xdotool key --delay 150 Escape Escape Escape

  step menu "$form" "Tamrel Options" "Program to launch" "Choose a different Program to Launch"
  expect_driver "filter: Executable files (.exe .bat)" open "${WIN_DIR}front.bat"
  form="${WIN_DIR}front.bat"  # the window's caption shows the program now
  # The method from the keyboard alone, through the native menu.
  seen="$(driver menukeys "$form" "Tamrel Options" "Shutdown Method" "Shutdown")" || fail "$seen"
  xdotool key --delay 150 $seen
  step menu "$form" "Tamrel Options" "Time to cancel" "5 Seconds"
  seen="$(driver menus "$form")"
  for line in "    Launch: ${WIN_DIR}front.bat" "    >Shutdown" "    >5 Seconds"; do
    grep -qxF -- "$line" <<<"$seen" || fail "no menu item \"$line\" in: $seen"
  done

  step menu "$form" "Skin" "Open a skin"
  expect_driver "filter: Picture files (*.bmp)" open "${WIN_DIR}skin.bmp"
  # The countdown box shows the chosen time. A drop on itself moves
  # nothing; a drop on the background moves it there.
  local box x y w h
  box="$(driver label "$form" 5)" || fail "no countdown box: $box"
  read -r x y w h <<<"$box"
  xdotool mousemove $((x + 10)) $((y + 10)) mousedown 1 mousemove $((x + 20)) $((y + 20)) sleep 0.3 mouseup 1
  sleep 0.5
  [ "$(driver label "$form" 5)" = "$box" ] || fail "a drop on the box itself moved it"
  xdotool mousemove $((x + 10)) $((y + 10)) mousedown 1 mousemove $((x + 30)) $((y + 30)) mousemove 410 310 \
    sleep 0.3 mouseup 1
  sleep 0.5
  [ "$(driver label "$form" 5)" = "400 300 $w $h" ] || fail "the box is not where it was dropped: $(driver label "$form" 5)"

  # A font and a colour chosen are kept, and the dialogs open on them again
  # (the system's control numbers: face, style and size lists; red, green
  # and blue fields).
  local face=0x470 style=0x471 size=0x472 red=706 green=707 blue=708
  step menu "$form" "Countdown box" "Select font"
  step dialog Font OK "$face=DejaVu Sans" "$style=Bold" "$size=14"
  step menu "$form" "Countdown box" "Select font"
  expect_driver "$(printf 'DejaVu Sans\nBold\n14')" dialog Font Cancel "$face" "$style" "$size"
  step menu "$form" "Countdown box" "Select color"
  step dialog Color OK "$red=200" "$green=100" "$blue=50"
  step menu "$form" "Countdown box" "Select color"
  expect_driver "$(printf '200\n100\n50')" dialog Color Cancel "$red" "$green" "$blue"

  step menu "$form" "Tamrel Options" "Current Cancel Key:  27" "Choose a different Cancel Key"
  step key "$form" 97
  step click "$form" "   OK"
  driver menus "$form" | grep -qx "  Current Cancel Key:  97" || fail "the cancel key did not change"
  step menu "$form" "Tamrel Options" "Done!"
  wait_tamrel

  # The box's X is its top, its Y its left, in twips from the client area;
  # 14 points are whole pixels at 96 dpi as 14.25.
  local -a written
  mapfile -t written < <(tr -d '\r' <"$CASE_DIR/tamrel.set")
  [ "${#written[@]}" -eq 64 ] || fail "tamrel.set has ${#written[@]} lines, not 64"
  [ "$(tr -cd '\r' <"$CASE_DIR/tamrel.set" | wc -c)" -eq 64 ] || fail "tamrel.set has lines without CR LF"
  for line in "Run Setup = no" "Program =${WIN_DIR}front.bat" "Shutdown method =1" "Seconds to cancel =5" \
    "Key to cancel =97" "Key to re-start =0" "Countdown box X position = $(((300 - y) * 15))" \
    "Countdown box Y position = $(((400 - x) * 15))" "Countdown box font =DejaVu Sans" \
    "Countdown box fontsize =14.25" "Countdown box bold font =True" "Countdown box color = 3302600" \
    "Skin =${WIN_DIR}skin.bmp"; do
    printf '%s\n' "${written[@]}" | grep -qxF -- "$line" || fail "tamrel.set has no line \"$line\""
  done
  expect_lines "end of the setup's event log" "$(events | tail -n 2)" "Creating new Tamrel.set file" "Tamrel ended."

  # The next start runs the program, then counts down; the new key cancels.
  start_tamrel 60
  expect_screen_after front-ended.txt
  sleep 1.5
  xdotool key a
  wait_tamrel
  stopped_between "User canceled shutdown at" 1 4
  virtual_desktop off
  end_case
}

# The titles of the help windows open, the one in front first.
help_open() { driver windows TamrelWindow | cut -d' ' -f5- | grep -vxF "$SETUP_TITLE"; }

# Waits for the help window TITLE, then checks it is the only one open.
expect_only_help() {
  driver controls "$1" >/dev/null || fail "no window \"$1\""
  sleep 0.3
  expect_lines "help windows open" "$(help_open)" "$1"
}

case_help_windows() {
  begin_case "help from the Help menu: the topic chain by keys and buttons, one key-code table, the licence; the last window closed ends Tamrel"
  new_folder help
  virtual_desktop on
  start_tamrel 180
  answer_missing_settings OK
  local setup="$SETUP_TITLE" seen title
  local first="Help: Choosing program to launch" last="Help: Using Glaunch with The Tamrel"
  step menu "$setup" Help "Selecting program to launch"
  expect_only_help "$first"
  # The first button has the focus and Enter presses it; Tab and Shift+Tab
  # move between the buttons (Previous, Next, Close).
  xdotool key Return
  expect_only_help "Help: Choosing shutdown method"
  xdotool key --delay 150 Tab shift+Tab Tab Return
  expect_only_help "Help: Choosing cancel key"
  local -a chain=("$first" "Help: Choosing shutdown method" "Help: Choosing cancel key")
  title="${chain[-1]}"
  while [ "${#chain[@]}" -lt 20 ] && driver controls "$title" | grep -qx "Button|Next Topic"; do
    seen="$(driver press "$title" "Next Topic")" || { fail "$seen"; break; }
    title="$(head -n 1 <<<"$seen" | cut -d' ' -f5-)"
    chain+=("$title")
    [ "$(help_open)" = "$title" ] || fail "after Next Topic the help windows are: $(help_open)"
    if [ "$title" = "Help: Creating a new skin" ]; then
      driver controls "$title" | grep -qx "Static|1024" && driver controls "$title" | grep -qx "Static|768" ||
        fail "the skin topic does not show 1024 by 768"
      if [ -n "$SHOTS" ]; then
        local x y w h
        read -r x y w h _ <<<"$seen"
        mkdir -p "$SHOTS"
        import -window root -crop "${w}x${h}+${x}+${y}" +repage "$SHOTS/windows-help.png" || fail "no screenshot"
      fi
    fi
  done
  [ "${#chain[@]}" -eq 18 ] && [ "$title" = "$last" ] || fail "the chain is ${chain[*]}"
  [ -z "$(printf '%s\n' "${chain[@]}" | sort | uniq -d)" ] || fail "a topic comes twice in the chain"
  driver controls "$last" | grep -qx "Button|Previous Topic" || fail "the last topic has no Previous Topic"
  seen="$(driver press "$last" "Previous Topic")" || fail "$seen"
  expect_only_help "Help: Troubleshooting"

  # Asked for again, a window comes to the front: there is one table.
  local topic="Help: Choosing cancel key" table="Some common keyboard ASCII codes"
  step menu "$setup" Help "Select cancel key"
  seen="$(driver press "$topic" "Show some common ASCII codes")"
  [ "$(help_open | head -n 1)" = "$table" ] || fail "the key-code table is not in front: $(help_open)"
  step menu "$setup" Help "Select cancel key"
  sleep 0.5
  [ "$(help_open | head -n 1)" = "$topic" ] || fail "the topic did not come to the front: $(help_open)"
  seen="$(driver press "$topic" "Show some common ASCII codes")"
  expect_lines "help windows open" "$(help_open)" "$table" "$topic" "Help: Troubleshooting"

  local about="About The Tamrel (V1.10)"
  step menu "$setup" Help "About The Tamrel"
  driver controls "$about" | grep -qF 'Edit|MIT License\r\n\r\nCopyright (c) 2026 The Tamrel project\r\n' ||
    fail "the licence is not in About's text box, line by line"
  # Escape closes the window with the focus, whichever control has it.
  sleep 0.5
  xdotool key Escape
  sleep 0.5
  expect_lines "help windows open" "$(help_open)" "$table" "$topic" "Help: Troubleshooting"

  step press "$table" Close
  step press "$topic" Close
  step menu "$setup" "Tamrel Options" "Cancel and Exit"
  answer_box "Quit without saving?" "Your settings will not be saved. Are you sure you want to quit?" Yes,No Yes
  sleep 1
  tamrel_running || fail "Tamrel ended while a help window was open"
  step press "Help: Troubleshooting" Close
  wait_tamrel
  virtual_desktop off
  end_case
}

start_display || exit 1
echo "-- Wine prefix"
start_prefix || { echo "could not set up the Wine prefix" >&2; exit 1; }

# E2E_CASES may name a few of them, for a quicker look at one.
for name in ${E2E_CASES:-batch_file_and_escape program_and_click_on_skin restart_by_click marker_file
  corrupt_settings missing_settings missing_program second_instance rotation_blocked bad_skins shortcut bad_programs
  read_only_log greek_folder countdown_to_shutdown
  setup_closed setup_round_trip help_windows}; do
  "case_$name"
done

echo "wine e2e: $E2E_PASSED passed, $E2E_FAILED failed"
[ "$E2E_FAILED" -eq 0 ]
