#!/usr/bin/env bash
# Nothing the user did is lost to a kill: three scripts started through the
# launcher with real keys, velnor.exe killed hard (kill -9 of its Linux
# process) within a second of the last Enter, and the three uses are there,
# for velnor-cli at once and for the program started again; a folder ticked
# in Folder Settings, the program killed after Close, and the change is
# there at the next start.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"
source "$here/e2e_common.sh"

fresh_prefix
mkdir -p "$WINEPREFIX/drive_c/keep" "$WINEPREFIX/drive_c/other" "$WINEPREFIX/drive_c/markers" "$(dirname "$DATABASE")"
MARKERS="$WINEPREFIX/drive_c/markers/hits.txt"
for name in alpha bravo charlie; do
  printf '@echo %s>>C:\\markers\\hits.txt\r\n' "$name" >"$WINEPREFIX/drive_c/keep/$name.bat"
done
touch "$WINEPREFIX/drive_c/other/delta.txt"
cat >"$WORK/start.json" <<'JSON'
{"folders":[{"name":"Keep","path":"C:\\keep","enabled":true,"iconId":141},
  {"name":"Other","path":"C:\\other","enabled":false,"iconId":141}],
 "firstRun":false}
JSON
"$CLI" load "$WORK/start.json" "$DATABASE" || fail "velnor-cli load failed"

# Every Linux process of this prefix's velnor.exe, killed with no warning.
kill_hard() {
  local pid killed=0
  for pid in $(pgrep -f 'velnor\.exe' || true); do
    grep -qzx "WINEPREFIX=$WINEPREFIX" "/proc/$pid/environ" 2>/dev/null || continue
    kill -9 "$pid" && killed=1
  done
  ((killed)) || fail "no velnor.exe process to kill"
  wait_for --timeout 30 -- exited "$VELNOR_PID" || fail "velnor.exe still running after kill -9"
  wait "$VELNOR_PID" 2>/dev/null || true
}
uses() {  # prints "alpha bravo charlie" use counts as velnor-cli dump reads them
  "$CLI" dump "$DATABASE" >"$WORK/dump.json" || fail "velnor-cli dump failed"
  python3 - "$WORK/dump.json" <<'PY'
import json, sys
uses = {f["path"]: f["useCount"] for f in json.load(open(sys.argv[1]))["files"]}
print(" ".join(str(uses.get("C:\\keep\\%s.bat" % n, 0)) for n in ("alpha", "bravo", "charlie")))
PY
}

step "three scripts started with Enter, then kill -9"
start_settled used
for name in alpha bravo charlie; do
  hot_key_launcher 3
  keys type --delay 40 "$name"
  wait_for --timeout 10 -- probe_says 1 rows || fail "typing $name did not narrow the list"
  keys key Return
  wait_for --timeout 20 -- grep -qs "$name" "$MARKERS" || fail "Enter did not start $name.bat"
  wait_for --timeout 10 -- not probe rows || fail "the launcher stayed open after Enter"
done
kill_hard
[[ "$(uses)" == "1 1 1" ]] || fail "velnor-cli after the kill: uses $(uses), not 1 1 1"

step "started again: the uses are there, and Exit keeps them"
start_settled again
hot_key_launcher 3
screenshot "$WORK/after-kill.png"
escape_launcher
exit_by_click again
[[ "$(uses)" == "1 1 1" ]] || fail "after a start and Exit: uses $(uses), not 1 1 1"

step "a folder ticked in Folder Settings, kill -9 after Close"
start_settled folders
probe post-command 32781 || fail "could not ask for the folder settings"
wait_for --timeout 20 -- probe_says 2 folder-rows || fail "Folder Settings did not open with two rows"
probe folder-row 1 || fail "row 1 not visible"
read -r x y state < <(probe_output)
[[ "$state" == unticked ]] || fail "row 1 should start unticked, is $state"
focus_desktop
click_at "$x" "$y"
row_ticked() { probe folder-row 1 && probe_output | grep -q ' ticked$'; }
wait_for --timeout 5 -- row_ticked || fail "the click did not tick row 1"
click_control 1
wait_for --timeout 20 -- not probe folder-rows || fail "Close did not close the folder settings"
wait_refresh_end "$REFRESH_CAPTION"
kill_hard
start_settled folders-again
hot_key_launcher 4  # the other folder's file is found
escape_launcher
exit_by_click folders-again
"$CLI" dump "$DATABASE" >"$WORK/dump.json" || fail "velnor-cli dump failed"
python3 - "$WORK/dump.json" <<'PY' || fail "the ticked folder was lost: $(cat "$WORK/dump.json")"
import json, sys
folders = json.load(open(sys.argv[1]))["folders"]
assert [f["enabled"] for f in folders] == [True, True], folders
PY
echo PASS
