#!/usr/bin/env bash
# The change watcher with real files: with the launcher open on "gamma",
#  1. a matching file saved into the watched folder appears in the list
#     with nobody pressing anything (the time it took is printed);
#  2. a matching file deleted from it drops out of the list;
#  3. after "E&xit", velnor.dat still holds the deleted file's use count.
# Files are changed directly in the watched folder: Wine signals changes
# in subfolders that existed before the watch only once they are listed.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"
source "$here/e2e_common.sh"

fresh_prefix
WATCHED="$WINEPREFIX/drive_c/watched"
mkdir -p "$WATCHED"
touch "$WATCHED/gamma note.txt" "$WATCHED/delta.txt"
mkdir -p "$(dirname "$DATABASE")"
cat >"$WORK/start.json" <<'JSON'
{"files":[{"path":"C:\\watched\\gamma note.txt","useCount":5,"lastUsed":1700000000}],
 "folders":[{"name":"Watched","path":"C:\\watched","enabled":true,"iconId":141}],
 "firstRun":false}
JSON
"$CLI" load "$WORK/start.json" "$DATABASE" || fail "velnor-cli load failed"

step "the launcher open on 'gamma'"
start_velnor watcher
wait_for --timeout 60 -- probe_says 1 frames || fail "velnor.exe did not start"
wait_refresh_end "$INIT_CAPTION"
focus_desktop
xdotool key ctrl+alt+r
wait_for --timeout 30 -- probe_says 2 rows || fail "Ctrl+Alt+R: no launcher with both files"
keys type --delay 60 gamma
wait_for --timeout 10 -- probe_says 1 rows || fail "typing gamma did not narrow the list to one row"

step "a new matching file appears by itself"
started=$(_velnor_now_ms)
touch "$WATCHED/gamma new.txt"
wait_for --timeout 10 --interval 0.02 -- probe_says 2 rows || fail "the new file never appeared"
echo "   the list showed it after $(($(_velnor_now_ms) - started)) ms (probe start-up included)"
screenshot "$WORK/launcher-new-file.png"

step "a deleted file drops out"
rm "$WATCHED/gamma note.txt"
wait_for --timeout 10 --interval 0.02 -- probe_says 1 rows || fail "the deleted file stayed in the list"

step "Exit keeps the deleted file's uses"
keys key Escape
wait_for --timeout 10 -- not probe rows || fail "Escape did not close the launcher"
exit_by_click watcher
"$CLI" dump "$DATABASE" >"$WORK/dump.json" || fail "velnor-cli dump failed"
python3 - "$WORK/dump.json" <<'PY' || fail "velnor.dat lost what the watcher saw"
import json, sys
files = {f["path"]: f for f in json.load(open(sys.argv[1]))["files"]}
assert files["C:\\watched\\gamma note.txt"]["useCount"] == 5, files
assert "C:\\watched\\gamma new.txt" in files, files
PY
echo "PASS"
