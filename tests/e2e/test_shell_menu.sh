#!/usr/bin/env bash
# The shell's context menu on a launcher row, with a real right click:
#  1. the menu shows (screenshot);
#  2. "Open" clicked runs the file (a .bat that leaves a marker) and the
#     launcher stays open;
#  3. after "E&xit", velnor.dat counts that one use.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"
source "$here/e2e_common.sh"

fresh_prefix
TOOLS="$WINEPREFIX/drive_c/tools"
mkdir -p "$TOOLS"
printf '@echo off\r\necho ran> "%%~dp0marker.txt"\r\n' >"$TOOLS/marker run.bat"
mkdir -p "$(dirname "$DATABASE")"
cat >"$WORK/start.json" <<'JSON'
{"files":[], "folders":[{"name":"Tools","path":"C:\\tools","enabled":true,"iconId":140}], "firstRun":false}
JSON
"$CLI" load "$WORK/start.json" "$DATABASE" || fail "velnor-cli load failed"

step "a right click on the row shows the shell's menu"
start_settled menu
hot_key_launcher 1
probe result-row 0 || fail "row 0 not found"
read -r x y _ < <(probe_output)
xdotool mousemove --window "$DESKTOP" "$x" "$y" click 3
wait_for --timeout 15 -- probe menu-open || fail "no context menu"
read -r menu_left menu_top _ _ < <(probe_output)
screenshot "$WORK/context-menu.png"

step "Open runs the file and the launcher stays"
# Wine's menu for a file: "Select", then "Open" (17 pixels an item).
xdotool mousemove --window "$DESKTOP" $((menu_left + 30)) $((menu_top + 28)) click 1
wait_for --timeout 15 -- test -f "$TOOLS/marker.txt" || fail "the file did not run"
probe rows || fail "the launcher closed"
escape_launcher

step "Exit keeps the use"
exit_by_click menu
"$CLI" dump "$DATABASE" >"$WORK/dump.json" || fail "velnor-cli dump failed"
python3 - "$WORK/dump.json" <<'PY' || fail "velnor.dat does not count the use"
import json, sys
files = {f["path"]: f for f in json.load(open(sys.argv[1]))["files"]}
assert files["C:\\tools\\marker run.bat"]["useCount"] == 1, files
PY
echo "PASS"
