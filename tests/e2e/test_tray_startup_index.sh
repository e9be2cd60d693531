#!/usr/bin/env bash
# A first start of velnor.exe indexes the Start Menus: with no velnor.dat it
# adds the six default folders (only the two Start Menus enabled), runs its
# start-up refresh without showing the progress window, and after "E&xit"
# velnor.dat holds the folders and a record for each file of both Start
# Menus (the fresh prefix has none of its own; this script adds some, and
# enough of them that the refresh lasts long enough to be seen running).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"
source "$here/e2e_common.sh"

BULK_FILES=${VELNOR_E2E_BULK_FILES:-20000}

require_files "$VELNOR" "$PROBE" "$CLI"


mkdir -p "$WORK"
ensure_display
new_prefix "$WORK/prefix"
warm_wineserver

# No guide to open: the first-run help is another script's subject, and
# its opener would race this one for the screen.
wine_run "$WORK/reg.log" reg add 'HKCR\.htm' /ve /d velnortestnothing /f

database=$(velnor_database_file) || fail "no application-data folder in the prefix"
appdata=$(velnor_appdata_dir)
user_start="$appdata/Microsoft/Windows/Start Menu"
common_start="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu"
[[ -d "$user_start" && -d "$common_start" ]] || fail "the prefix has no Start Menus"
[[ ! -e "$database" ]] || fail "the fresh prefix already has $database"

step "Start Menu files: two shortcuts and $BULK_FILES others"
printf 'shortcut' >"$user_start/Programs/Velnor Notes.lnk"
printf 'shortcut' >"$common_start/Programs/Common Tool.lnk"
mkdir -p "$user_start/Programs/Bulk"
(cd "$user_start/Programs/Bulk" && seq -f 'item%05g.lnk' 1 "$BULK_FILES" | xargs touch)

wine_start "$WORK/velnor.log" "$VELNOR"
VELNOR_PID=$VELNOR_LAST_PID
# The hidden progress window exists exactly while the refresh runs.
wait_for --timeout 60 -- probe dialog "$INIT_CAPTION" || fail "no start-up refresh seen"
[[ "$(tr -d '\r' <"$PROBE_LOG")" == hidden ]] || fail "the start-up progress window is $(cat "$PROBE_LOG")"
step "start-up refresh running, its window hidden"
screenshot "$WORK/refreshing.png"
started=$(_velnor_now_ms)
wait_for --timeout 240 --interval 0.5 -- bash -c "! timeout 60 wine '$PROBE' dialog '$INIT_CAPTION' </dev/null >/dev/null 2>&1" ||
  fail "the start-up refresh never ended"
step "start-up refresh ended (seen for $(($(_velnor_now_ms) - started)) ms after it was first seen)"
probe tray-exists || fail "no tray icon after start-up"

probe post-command 57665 || fail "could not post Exit"
wait_for --timeout 60 -- exited "$VELNOR_PID" || fail "still running after Exit"
rc=0
wait "$VELNOR_PID" || rc=$?
((rc == 0)) || fail "exit code $rc"

"$CLI" dump "$database" >"$WORK/dump.json" || fail "velnor-cli dump failed"
python3 - "$WORK/dump.json" "$BULK_FILES" <<'PY' || fail "velnor.dat is not what a first start leaves"
import json, sys
db = json.load(open(sys.argv[1]))
bulk = int(sys.argv[2])
folders = [(f["name"], f["enabled"]) for f in db["folders"]]
expected = [("Desktop Directory", False), ("My Documents", False), ("Favorites", False),
            ("Start Menu", True), ("Common Start Menu", True), ("Recent Documents", False)]
assert folders == expected, folders
user, common = db["folders"][3]["path"], db["folders"][4]["path"]
paths = {f["path"] for f in db["files"]}
for p in (user + "\\Programs\\Velnor Notes.lnk", common + "\\Programs\\Common Tool.lnk",
          user + "\\Programs\\Bulk\\item00001.lnk", user + "\\Programs\\Bulk\\item%05d.lnk" % bulk):
    assert p in paths, p + " missing"
assert len(paths) == bulk + 2, len(paths)
assert db["firstRun"] is False
print("-- folders:", ", ".join(f["name"] + "=" + f["path"] for f in db["folders"]))
print("-- file records:", len(paths))
PY
step passed
