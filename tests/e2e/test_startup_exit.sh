#!/usr/bin/env bash
# velnor.exe from a fresh profile to a clean exit and back: the first start
# opens the guide once, hides its frame, holds Ctrl+Alt+R and shows the tray
# icon; "E&xit" chosen in the tray menu with real input writes velnor.dat
# with firstRun false, removes the icon and frees the hot key; the second
# start opens no guide, and "Starter Help" still does.
#
# Opening help.htm is observed by pointing the .htm file type at
# `velnor_probe_w record-open`, which writes each path it is given to a file.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"
source "$here/e2e_common.sh"

OPEN_HANDLER="$VELNOR_WINDOWS_DIR/velnor_probe_w.exe"

require_files "$VELNOR" "$PROBE" "$OPEN_HANDLER" "$VELNOR_WINDOWS_DIR/help.htm"

windows_path() {  # a Linux path as Wine's Z: drive sees it
  local p
  p=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
  printf 'Z:%s' "${p//\//\\}"
}

no_other_probes() {  # every "open" handler the program started has finished
  probe others-running && return 1
  [[ "$(tr -d '\r' <"$PROBE_LOG")" == 0 ]]
}
frame_gone() { ! probe find-frame; }
tray_icon_gone() { ! probe tray-exists; }

mkdir -p "$WORK"
ensure_display
new_prefix "$WORK/prefix"
warm_wineserver
# Every normal exit writes the autorun value; wineboot would run it.
on_exit wine_run "$WORK/reg-delete.log" reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v "Plovant Velnor" /f

HELP_RECORD="$WORK/help-opened.txt"
rm -f "$HELP_RECORD" "$WORK"/*.png
step "point the .htm file type at the probe"
wine_run "$WORK/reg.log" reg add 'HKCR\.htm' /ve /d htmlfile /f
wine_run "$WORK/reg.log" reg add 'HKCR\htmlfile\shell\open\command' /ve \
  /d "\"$(windows_path "$OPEN_HANDLER")\" record-open \"$(windows_path "$HELP_RECORD")\" \"%1\"" /f

expected_help="$(windows_path "$VELNOR_WINDOWS_DIR/help.htm")"
database=$(velnor_database_file) || fail "no application-data folder in the prefix"
[[ ! -e "$database" ]] || fail "the fresh prefix already has $database"

# start_velnor N: start velnor.exe and wait until start-up has reached its
# tray icon (every earlier step, the first-run guide included, is done).
start_velnor() {
  wine_start "$WORK/velnor-$1.log" "$VELNOR"
  VELNOR_PID=$VELNOR_LAST_PID
  wait_for --timeout 30 -- probe find-frame || fail "start $1: no main frame"
  probe_says hidden find-frame || fail "start $1: the main frame is visible"
  wait_for --timeout 15 -- probe tray-exists || fail "start $1: no tray icon"
  probe hotkey-free && fail "start $1: Ctrl+Alt+R is not held by the program"
  wait_for --timeout 15 -- no_other_probes || fail "start $1: the help opener never finished"
  # Keys typed later go to whichever Wine window is in front once the
  # desktop has the X focus; give it the focus now, before the menu opens,
  # or the focus change races the menu for the foreground.
  local desktop
  desktop=$(xdo_desktop_window) || fail "no Wine desktop window"
  xdotool windowfocus --sync "$desktop"
}

# exit_through_tray_menu N OPEN CHOOSE: open the tray menu (OPEN: click = a
# real right click on the icon, post = the tray callback posted to the
# frame), look at it, choose "E&xit" (CHOOSE: key = its mnemonic typed on the
# keyboard, click = a left click on it), and wait for the process to end.
exit_through_tray_menu() {
  local n=$1 open=$2 choose=$3 desktop
  desktop=$(xdo_desktop_window) || fail "no Wine desktop window"
  if [[ $open == click ]]; then
    # The icon is the only one in the tray: the taskbar's far right.
    xdotool mousemove --window "$desktop" 1013 757 click 3
  else
    probe post-tray-rbutton || fail "could not post to the frame"
  fi
  wait_for --timeout 10 -- probe menu-open || fail "start $n: the tray menu did not open"
  local left top right bottom
  read -r left top right bottom < <(tr -d '\r' <"$PROBE_LOG")
  screenshot "$WORK/tray-menu-$n.png"
  step "tray menu open at ($left,$top)-($right,$bottom); screenshot $WORK/tray-menu-$n.png"
  if [[ $choose == key ]]; then
    xdotool key x
  else
    # "E&xit" is the last item, right above the menu's bottom border.
    xdotool mousemove --window "$desktop" $((left + 30)) $((bottom - 12)) click 1
  fi
  wait_for --timeout 30 -- exited "$VELNOR_PID" || fail "start $n: still running after Exit"
  local rc=0
  wait "$VELNOR_PID" || rc=$?
  ((rc == 0)) || fail "start $n: exit code $rc, expected 0"
  frame_gone || fail "start $n: the frame outlived the process"
  wait_for --timeout 10 -- tray_icon_gone || fail "start $n: the tray icon stayed"
  probe hotkey-free || fail "start $n: Ctrl+Alt+R still taken after exit"
}

check_database_first_run_false() {
  [[ -f "$database" ]] || fail "$database was not written"
  local size
  size=$(stat -c %s "$database")
  ((size >= 52)) || fail "$database has $size bytes, fewer than an empty database"
  if [[ -x "$CLI" ]]; then
    "$CLI" dump "$database" >"$WORK/dump.json" || fail "velnor-cli dump failed"
    grep -q '"firstRun":false' "$WORK/dump.json" || fail "firstRun is not false: $(cat "$WORK/dump.json")"
    step "velnor.dat: $(cat "$WORK/dump.json")"
  else
    step "velnor.dat: $size bytes (no velnor-cli to read it)"
  fi
}

step "first start"
start_velnor 1
screenshot "$WORK/started-1.png"
[[ -f "$HELP_RECORD" ]] || fail "the first start did not open help.htm"
[[ "$(tr -d '\r' <"$HELP_RECORD")" == "$expected_help" ]] ||
  fail "help opened as '$(cat "$HELP_RECORD")', expected '$expected_help' (once)"
[[ ! -e "$database" ]] || fail "velnor.dat was written before the exit"
step "help opened once: $expected_help"

# Right after a program the help opener started has ended, Wine at times
# drops typed keys meant for the open menu; this exit clicks its way out
# and the next one, with no opener before it, types.
exit_through_tray_menu 1 click click
check_database_first_run_false

step "second start"
rm -f "$HELP_RECORD"
start_velnor 2
[[ ! -e "$HELP_RECORD" ]] || fail "the second start opened help again"
step "no help on the second start"
exit_through_tray_menu 2 post key
check_database_first_run_false

step "third start: Starter Help"
start_velnor 3
[[ ! -e "$HELP_RECORD" ]] || fail "the third start opened help"
probe post-command 32787 || fail "could not post Starter Help"
wait_for --timeout 15 -- test -s "$HELP_RECORD" || fail "Starter Help opened nothing"
[[ "$(tr -d '\r' <"$HELP_RECORD")" == "$expected_help" ]] || fail "Starter Help opened '$(cat "$HELP_RECORD")'"
wait_for --timeout 15 -- no_other_probes || fail "the help opener never finished"
exit_through_tray_menu 3 click click
check_database_first_run_false
step "passed"
