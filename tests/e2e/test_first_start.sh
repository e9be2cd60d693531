#!/usr/bin/env bash
# velnor.exe from a fresh profile to its exit, with real input:
#  1. the first start indexes both Start Menus without showing its progress
#     window (the prefix has no Start Menu files of its own; this script adds
#     three scripts, a shortcut, and enough others that the refresh is seen
#     running);
#  2. Ctrl+Alt+R opens the launcher, typing narrows the list, Enter starts
#     the script (it leaves a marker) and closes the launcher;
#  3. "E&xit" clicked in the tray menu writes velnor.dat: a record for every
#     file of both Start Menus, one use of the script.
# The guide the first start opens goes to a handler that shows nothing (which
# guide, and only on a first start, is the frame tests' to check).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"
source "$here/e2e_common.sh"

BULK_FILES=${VELNOR_E2E_BULK_FILES:-20000}

fresh_prefix
[[ ! -e "$DATABASE" ]] || fail "the fresh prefix already has $DATABASE"

wine_run "$WORK/reg.log" reg add 'HKCR\.htm' /ve /d htmlfile /f
wine_run "$WORK/reg.log" reg add 'HKCR\htmlfile\shell\open\command' /ve /d rundll32.exe /f

step "Start Menus: three scripts, a shortcut and $BULK_FILES others"
user_start="$(velnor_appdata_dir)/Microsoft/Windows/Start Menu/Programs"
common_start="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
[[ -d "$user_start" && -d "$common_start" ]] || fail "the prefix has no Start Menus"
MARKERS="$WINEPREFIX/drive_c/velnor-markers/hits.txt"
mkdir -p "$user_start/Bulk" "$(dirname "$MARKERS")"
for name in "alpha tool" "beta tool" "zulu marker"; do
  printf '@echo %s>>C:\\velnor-markers\\hits.txt\r\n' "${name%% *}" >"$user_start/$name.bat"
done
printf 'shortcut' >"$common_start/Common Tool.lnk"
(cd "$user_start/Bulk" && seq -f 'item%05g.lnk' 1 "$BULK_FILES" | xargs touch)
ROWS=$((BULK_FILES + 4))

step "1. first start: the Start Menus indexed unseen"
# The start-up refresh: its hidden progress window exists exactly while it
# runs, which here can be a third of a second. One probe, started first,
# watches it come and go; a probe run per look can miss it on a busy machine.
wine_start "$WORK/watch.log" "$PROBE" watch-dialog "$INIT_CAPTION" 60
watch_pid=$VELNOR_LAST_PID
start_velnor first
wait "$watch_pid" || true  # its answer says more than its status
watched=$(tr -d '\r' <"$WORK/watch.log")
[[ "$watched" == hidden ]] || fail "the start-up progress window was ${watched:-not reported on}, not hidden"
wait_refresh_end "$INIT_CAPTION"

step "2. Ctrl+Alt+R, zul, Enter"
hot_key_launcher "$ROWS"
screenshot "$WORK/launcher.png"
keys type --delay 60 zul
wait_for --timeout 10 -- probe_says 1 rows || fail "typing zul did not narrow the list to one row"
keys key Return
wait_for --timeout 20 -- test -s "$MARKERS" || fail "Enter did not start zulu marker.bat"
wait_for --timeout 10 -- not probe rows || fail "the launcher stayed open after the launch"

step "3. Exit clicked in the tray menu"
exit_by_click first
"$CLI" dump "$DATABASE" >"$WORK/dump.json" || fail "velnor-cli dump failed"
python3 - "$WORK/dump.json" "$BULK_FILES" <<'PY' || fail "velnor.dat is not what one use leaves"
import json, sys, time
db, bulk = json.load(open(sys.argv[1])), int(sys.argv[2])
assert [f["name"] for f in db["folders"] if f["enabled"]] == ["Start Menu", "Common Start Menu"], db["folders"]
files = {f["path"].rsplit("\\", 1)[-1]: f for f in db["files"]}
assert len(db["files"]) == len(files) == bulk + 4, len(db["files"])
assert {"alpha tool.bat", "Common Tool.lnk", "item%05d.lnk" % bulk} <= files.keys()
zulu = files["zulu marker.bat"]
assert zulu["useCount"] == 1 and abs(time.time() - zulu["lastUsed"]) < 300, zulu
print("-- velnor.dat: %d records; zulu marker.bat used once" % len(files))
PY
[[ "$(grep -c zulu "$MARKERS")" == 1 ]] || fail "zulu marker.bat ran more than once"
step passed
