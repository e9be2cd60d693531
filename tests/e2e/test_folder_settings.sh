#!/usr/bin/env bash
# Folder settings with real clicks and keys:
#  1. "&Folder Settings..." chosen in the tray menu's Preferences opens the
#     dialog (screenshot);
#  2. "&Add..." shows the shell's folder browser, driven with keys to a new
#     folder, which is appended and named at once; the first folder's check
#     box is clicked off (screenshot);
#  3. "&Close" refreshes: the launcher finds the new folder's file and none
#     of the unticked folder's;
#  4. after "E&xit", velnor-cli dump shows the new folder list;
#  5. at 144 dpi the dialog still shows its check boxes (screenshot).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"
source "$here/e2e_common.sh"

fresh_prefix
mkdir -p "$WINEPREFIX/drive_c/programs" "$WINEPREFIX/drive_c/Added Folder"
touch "$WINEPREFIX/drive_c/programs/orange tool.txt" "$WINEPREFIX/drive_c/Added Folder/zebra song.txt"
mkdir -p "$(dirname "$DATABASE")"
# Six folders, as a first start makes them, the first one searched.
cat >"$WORK/start.json" <<'JSON'
{"files":[],
 "folders":[{"name":"Programs","path":"C:\\programs","enabled":true,"iconId":140},
  {"name":"Desktop","path":"C:\\users\\Public\\Desktop","enabled":false,"iconId":142},
  {"name":"Documents","path":"C:\\users\\Public\\Documents","enabled":false,"iconId":141},
  {"name":"Favorites","path":"C:\\favorites","enabled":false,"iconId":143},
  {"name":"Start Menu","path":"C:\\start","enabled":false,"iconId":140},
  {"name":"Recent","path":"C:\\recent","enabled":false,"iconId":139}],
 "firstRun":false}
JSON
"$CLI" load "$WORK/start.json" "$DATABASE" || fail "velnor-cli load failed"

row_state() {  # ROW: the row's check box as "x y ticked|unticked"
  probe folder-row "$1" || return 1
  probe_output
}
row_unticked() { row_state "$1" | grep -q unticked; }

step "Folder Settings from the tray menu"
start_settled folders
open_menu folders
main_menu="$MENU_LEFT $MENU_BOTTOM"
choose preferences
submenu_open() {  # the popup in front is another than the tray menu
  probe menu-open || return 1
  local left top right bottom
  read -r left top right bottom < <(probe_output)
  [[ "$left $bottom" != "$main_menu" ]]
}
wait_for --timeout 10 -- submenu_open || fail "no Preferences popup"
read -r sub_left sub_top _ _ < <(probe_output)
click_at $((sub_left + 30)) $((sub_top + 12))
wait_for --timeout 20 -- probe_says 6 folder-rows || fail "Folder Settings did not open with six rows"
screenshot "$WORK/folder-settings-96dpi.png"

step "a folder added through the shell's folder browser"
click_control 1007
wait_for --timeout 20 -- probe dialog "Browse for Folder" || fail "the folder browser did not open"
sleep 0.5
# The tree has the keys, Desktop selected: My Computer by its first
# letters, opened; drive C: opened; the folder by its first letters. The
# tree joins letters typed within half a second into one search.
xdotool type --delay 100 my
sleep 0.6
xdotool key --delay 200 Right Right Right
xdotool type --delay 100 added
sleep 0.6
screenshot "$WORK/folder-browser.png"
xdotool key Return
wait_for --timeout 20 -- probe_says 7 folder-rows || fail "the chosen folder was not added"
# The new row's name is being edited: a name typed now replaces its path.
xdotool type --delay 60 "Songs"
xdotool key Return

step "the first folder unticked with a click on its check box"
xdotool key --delay 100 Home
row_state 0 >"$WORK/row0" || fail "row 0 not visible"
read -r x y state <"$WORK/row0"
[[ "$state" == ticked ]] || fail "row 0 should start ticked, is $state"
click_at "$x" "$y"
wait_for --timeout 5 -- row_unticked 0 || fail "the click did not untick row 0"
screenshot "$WORK/folder-settings-changed.png"

step "Close refreshes: the new folder's file is found, the unticked one's is not"
click_control 1
wait_refresh_end "$REFRESH_CAPTION"
hot_key_launcher
keys type --delay 60 zebra
wait_for --timeout 10 -- probe_says 1 rows || fail "the new folder's file is not found"
keys key BackSpace BackSpace BackSpace BackSpace BackSpace
keys type --delay 60 orange
wait_for --timeout 10 -- probe_says 0 rows || fail "the unticked folder's file is still found"
escape_launcher

step "Exit saves the new folder list"
exit_by_click folders
"$CLI" dump "$DATABASE" >"$WORK/dump.json" || fail "velnor-cli dump failed"
python3 - "$WORK/dump.json" <<'PY' || fail "velnor.dat does not hold the new folder list"
import json, sys
folders = json.load(open(sys.argv[1]))["folders"]
assert len(folders) == 7, folders
assert not folders[0]["enabled"], folders[0]
added = folders[6]
assert added["path"] == "C:\\Added Folder" and added["name"] == "Songs" and added["enabled"], added
PY

step "at 144 dpi the check boxes still show"
wine_run "$WORK/dpi.log" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f ||
  fail "could not set 144 dpi"
start_settled folders-144
probe post-command 32781 || fail "could not ask for the folder settings"
wait_for --timeout 20 -- probe_says 7 folder-rows || fail "Folder Settings did not open at 144 dpi"
# One box of each kind in sight.
row_state 1 >"$WORK/row1" || fail "row 1 not visible at 144 dpi"
read -r x y _ <"$WORK/row1"
focus_desktop
click_at "$x" "$y"
wait_for --timeout 5 -- not row_unticked 1 || fail "the click did not tick row 1 at 144 dpi"
screenshot "$WORK/folder-settings-144dpi.png"
click_control 1
wait_refresh_end "$REFRESH_CAPTION"
wait_for --timeout 10 -- not probe folder-rows || fail "Close did not close the folder settings"
exit_by_click folders-144
echo "PASS"
