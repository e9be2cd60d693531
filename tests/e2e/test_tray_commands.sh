#!/usr/bin/env bash
# The tray menu and the hot key of a running velnor.exe, with real input:
#  1. Ctrl+Alt+R during the start-up refresh of a large folder shows the
#     (otherwise hidden) progress window;
#  2. a right click on the tray icon opens the menu ("&Execute Files" bold);
#     "&Refresh Database" runs a refresh with its progress window shown, and
#     "&Cancel Refresh" chosen from the menu while it runs ends it;
#  3. "&Autorun On Startup" turned off and "E&xit" delete the Run value;
#     turned on again it is written with the program's path in quotes;
#  4. the options survive a restart;
#  5. a second copy gets no hot key and still works through its own icon.
# The Run value is deleted again at the end (wineboot would run it).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"
source "$here/e2e_common.sh"

BULK_FILES=${VELNOR_E2E_BULK_FILES:-200000}

require_files "$VELNOR" "$PROBE" "$CLI"

dialog_gone() { ! probe dialog "$1"; }
run_value() {  # prints the Run value's data; fails when it is absent
  wine_run "$WORK/reg-query.log" reg query "$RUN_KEY" /v "Plovant Velnor" || return 1
  tr -d '\r' <"$WORK/reg-query.log" | sed -n 's/^ *Plovant Velnor *REG_SZ *//p'
}
delete_run_value() {
  wine_run "$WORK/reg-delete.log" reg delete "$RUN_KEY" /v "Plovant Velnor" /f || true
}

mkdir -p "$WORK"
ensure_display
new_prefix "$WORK/prefix"
warm_wineserver
on_exit delete_run_value
database=$(velnor_database_file) || fail "no application-data folder in the prefix"
desktop=""

start_velnor() {  # start_velnor NAME: started, and its start-up refresh is running
  wine_start "$WORK/velnor-$1.log" "$VELNOR"
  VELNOR_PID=$VELNOR_LAST_PID
  wait_for --timeout 60 -- probe_says hidden dialog "$INIT_CAPTION" ||
    fail "$1: no hidden start-up refresh seen"
  desktop=$(xdo_desktop_window) || fail "no Wine desktop window"
  xdotool windowfocus --sync "$desktop"
}
wait_refresh_end() {  # wait_refresh_end CAPTION
  wait_for --timeout 240 --interval 0.3 -- dialog_gone "$1" || fail "the refresh '$1' never ended"
}
# open_menu NAME [post]: a real right click on the icon at the taskbar's far
# right, or (post) the icon's callback message, for when the progress window
# covers the icon: Wine's virtual desktop reports the whole screen as the
# work area, so the window's corner lies over the taskbar.
open_menu() {
  desktop=$(xdo_desktop_window) || fail "no Wine desktop window"
  xdotool windowfocus --sync "$desktop"
  if [[ "${2:-}" == post ]]; then
    probe post-tray-rbutton || fail "$1: could not post to the frame"
  else
    xdotool mousemove --window "$desktop" 1013 757 click 3
  fi
  wait_for --timeout 15 -- probe menu-open || fail "$1: the tray menu did not open"
  read -r menu_left menu_top menu_right menu_bottom < <(probe_output)
  screenshot "$WORK/menu-$1.png"
}
# choose ITEM: a left click on an item of the open menu. Typed mnemonics
# are at times dropped by Wine after another window of the program has
# come and gone; clicks are not. Rows counted up from the menu's bottom
# border (17 pixels an item, 9 a separator, with Wine's menu font).
choose() {
  local up
  case "$1" in
    exit) up=13 ;;
    help) up=38 ;;
    refresh) up=81 ;;
    *) fail "no such menu item: $1" ;;
  esac
  xdotool mousemove --window "$desktop" $((menu_left + 30)) $((menu_bottom - up)) click 1
}
exit_velnor() {  # exit_velnor NAME: "E&xit" from the menu, a clean end
  open_menu "$1-exit"
  choose exit
  wait_for --timeout 60 -- exited "$VELNOR_PID" || fail "$1: still running after Exit"
  local rc=0
  wait "$VELNOR_PID" || rc=$?
  ((rc == 0)) || fail "$1: exit code $rc"
}
dump_field() {  # dump_field KEY: one option of velnor.dat
  "$CLI" dump "$database" >"$WORK/dump.json" || fail "velnor-cli dump failed"
  python3 -c 'import json,sys; print(str(json.load(open(sys.argv[1]))[sys.argv[2]]).lower())' "$WORK/dump.json" "$1"
}

step "a folder of $BULK_FILES files, the only one in velnor.dat"
bulk="$WINEPREFIX/drive_c/bulk"
mkdir -p "$bulk"
(cd "$bulk" && seq -f 'file%06g.txt' 1 "$BULK_FILES" | xargs touch)
mkdir -p "$(dirname "$database")"
printf '{"folders":[{"path":"C:\\\\bulk"}],"firstRun":false}' >"$WORK/seed.json"
"$CLI" load "$WORK/seed.json" "$database" || fail "velnor-cli load failed"
# As if an earlier exit had written it; this run turns autorun off.
wine_run "$WORK/reg-add.log" reg add "$RUN_KEY" /v "Plovant Velnor" /d '"C:\old\velnor.exe"' /f ||
  fail "could not seed the Run value"

step "1. Ctrl+Alt+R during the start-up refresh"
start_velnor first
xdotool key ctrl+alt+r
wait_for --timeout 15 -- probe_says "visible|foreground" dialog "$INIT_CAPTION" ||
  fail "the hot key did not show the start-up progress window ($(probe_output))"
screenshot "$WORK/hotkey-progress.png"
step "progress window shown: $(probe progress "$INIT_CAPTION"; probe_output) (position, end)"
wait_refresh_end "$INIT_CAPTION"

step "2. the menu, Refresh Database, Cancel Refresh"
open_menu idle
choose refresh
wait_for --timeout 15 -- probe dialog "$REFRESH_CAPTION" || fail "Refresh Database started no refresh"
# The window shows once the counting pass has given the bar its range.
wait_for --timeout 120 --interval 0.3 -- probe_says "visible|foreground" dialog "$REFRESH_CAPTION" ||
  fail "Refresh Database showed no progress window"
screenshot "$WORK/refresh-progress.png"
open_menu refreshing post
probe progress "$REFRESH_CAPTION" || fail "no progress bar"
read -r position end < <(probe_output)
((position < end)) || fail "the refresh was over before it could be cancelled ($position of $end)"
step "refresh at $position of $end with the menu open; choosing Cancel Refresh"
choose refresh  # now "&Cancel Refresh"
cancelled_at=$(_velnor_now_ms)
wait_for --timeout 30 -- dialog_gone "$REFRESH_CAPTION" || fail "Cancel Refresh did not end the refresh"
step "refresh ended $(($(_velnor_now_ms) - cancelled_at)) ms after Cancel, $((end - position)) entries short"

# The Preferences items are checked in the window tests with the real menu;
# here they arrive as the commands the menu sends.
step "3. autorun off, then Exit"
probe post-command 32782 || fail "could not post Autorun"
exit_velnor first
if value=$(run_value); then fail "the Run value is still there: $value"; fi
[[ "$(dump_field autorun)" == false ]] || fail "autorun not stored as off"
step "Run value deleted; velnor.dat: autorun false"

step "4. a restart keeps the options; MP3 support off refreshes, full path on, autorun on"
start_velnor second
wait_refresh_end "$INIT_CAPTION"
probe post-command 32784 || fail "could not post MP3 support"
wait_for --timeout 15 -- probe dialog "$REFRESH_CAPTION" || fail "MP3 support did not start a refresh"
step "MP3 support toggled: a refresh runs"
wait_refresh_end "$REFRESH_CAPTION"
probe post-command 32786 || fail "could not post Search In Full Path"
probe post-command 32782 || fail "could not post Autorun"
exit_velnor second
value=$(run_value) || fail "no Run value after Exit with autorun on"
windows_exe="Z:${VELNOR_WINDOWS_DIR//\//\\}\\velnor.exe"
[[ "$value" == "\"$windows_exe\"" ]] || fail "Run value is '$value', expected '\"$windows_exe\"'"
step "Run value: $value"
for field in autorun:true mp3Support:false searchFullPath:true; do
  [[ "$(dump_field "${field%%:*}")" == "${field#*:}" ]] || fail "velnor.dat: ${field%%:*} is not ${field#*:}"
done
step "velnor.dat: autorun true, mp3Support false, searchFullPath true"
delete_run_value

step "5. a second copy: no hot key, works through its icon"
start_velnor third
first_pid=$VELNOR_PID
wait_refresh_end "$INIT_CAPTION"
wine_start "$WORK/velnor-fourth.log" "$VELNOR"
second_pid=$VELNOR_LAST_PID
wait_for --timeout 60 -- probe_says 2 frames || fail "the second copy has no frame"
wait_for --timeout 60 -- dialog_gone "$INIT_CAPTION" || fail "the second copy's refresh never ended"
probe hotkey-free && fail "nobody holds Ctrl+Alt+R"
# The first copy ends without a word; what is left is the second. Only its
# own process: `timeout` would pass the signal to its whole group, Wine's
# desktop included.
first_exe=$(pgrep -P "$first_pid") || fail "no process under the first copy's timeout"
kill -KILL $first_exe
wait "$first_pid" 2>/dev/null || true
wait_for --timeout 30 -- probe_says 1 frames || fail "the first copy's frame outlived it"
probe hotkey-free || fail "the second copy holds Ctrl+Alt+R"
step "second copy running without the hot key"
VELNOR_PID=$second_pid
exit_velnor fourth
probe tray-exists && fail "the second copy's tray icon stayed"
delete_run_value
step passed
