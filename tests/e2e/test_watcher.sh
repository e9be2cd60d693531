#!/usr/bin/env bash
# The change watcher with real files: with the launcher open on "gamma",
#  0. the pointer resting on the used file's row shows its tooltip (its
#     lines checked, the screen kept as tooltip.png);
#  1. a matching file saved into the watched folder appears in the list
#     with nobody pressing anything (the time it took is printed);
#  2. a matching file deleted from it drops out of the list;
#  3. the watched folder renamed away: its file drops out; made again, a
#     file put into it appears, and so does the next one (watched again);
#  4. the folder deleted and made again: the same;
#  5. after "E&xit", velnor.dat still holds the deleted file's use count.
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
start_settled watcher
hot_key_launcher 2
keys type --delay 60 gamma
wait_for --timeout 10 -- probe_says 1 rows || fail "typing gamma did not narrow the list to one row"

step "the pointer on the row shows the file's tooltip"
probe result-row 0 || fail "no first row in the launcher"
read -r x y _ < <(probe_output)
# Two movements: the first over the list creates the tooltip, which shows
# a second after the next one.
xdotool mousemove --window "$DESKTOP" "$x" "$y" sleep 0.2 mousemove --window "$DESKTOP" $((x + 4)) "$y"
wait_for --timeout 10 -- probe tip || fail "no tooltip over the row"
screenshot "$WORK/tooltip.png"
python3 - "$WORK/probe.log" <<'PY' || fail "the tooltip says: $(probe_output)"
import sys, time
lines = open(sys.argv[1], encoding="utf-8").read().replace("\r", "").split("\n")
used = time.strftime("%m/%d/%y %H:%M:%S", time.localtime(1700000000))
assert lines[0] == "Name: gamma note.txt" and lines[1].startswith("Type: ") and lines[2] == "", lines
assert lines[3:5] == ["Frequency of use: 5 time(s)", "Last used: " + used], lines
PY

step "a new matching file appears by itself"
started=$(_velnor_now_ms)
touch "$WATCHED/gamma new.txt"
wait_for --timeout 10 --interval 0.02 -- probe_says 2 rows || fail "the new file never appeared"
echo "   the list showed it after $(($(_velnor_now_ms) - started)) ms (probe start-up included)"
screenshot "$WORK/launcher-new-file.png"

step "a deleted file drops out"
rm "$WATCHED/gamma note.txt"
wait_for --timeout 10 --interval 0.02 -- probe_says 1 rows || fail "the deleted file stayed in the list"

# NAME: the folder made again with one matching file, then another: the
# first is found when the folder is taken up again, the second only if it
# is watched again (a folder that did not change is never read again).
made_again() {
  mkdir "$WATCHED"
  touch "$WATCHED/gamma $1 one.txt"
  wait_for --timeout 15 --interval 0.1 -- probe_says 1 rows || fail "$1: the folder made again was not read"
  touch "$WATCHED/gamma $1 two.txt"
  wait_for --timeout 10 --interval 0.05 -- probe_says 2 rows || fail "$1: the folder made again is not watched"
}

step "the folder renamed away: its file drops out; made again, it is watched"
mv "$WATCHED" "$WATCHED-away"
wait_for --timeout 15 --interval 0.1 -- probe_says 0 rows || fail "the folder renamed away kept its file listed"
made_again renamed

step "the folder deleted and made again is watched again"
rm -r "$WATCHED"
wait_for --timeout 15 --interval 0.1 -- probe_says 0 rows || fail "the deleted folder kept its files listed"
made_again deleted

step "Exit keeps the deleted file's uses"
escape_launcher
exit_by_click watcher
"$CLI" dump "$DATABASE" >"$WORK/dump.json" || fail "velnor-cli dump failed"
python3 - "$WORK/dump.json" <<'PY' || fail "velnor.dat lost what the watcher saw"
import json, sys
files = {f["path"]: f for f in json.load(open(sys.argv[1]))["files"]}
assert files["C:\\watched\\gamma note.txt"]["useCount"] == 5, files
assert "C:\\watched\\gamma deleted two.txt" in files, files
PY
echo "PASS"
