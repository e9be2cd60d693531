#!/usr/bin/env bash
# The main road, with real keystrokes: Ctrl+Alt+R opens the launcher over
# the indexed Start Menu, typing part of a name narrows the list, Enter
# starts that script (it leaves a marker) and closes the launcher; after
# "E&xit" velnor.dat counts one use with a fresh time, and after a restart
# the used script is the first row: Enter alone starts it again.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"
source "$here/e2e_common.sh"

LAUNCHER_PROBE="$VELNOR_WINDOWS_DIR/velnor_launcher_probe.exe"

fail() {
  printf 'FAIL: %s\n' "$*"
  [[ -n "${WINEPREFIX:-}" ]] && screenshot "$WORK/failure.png" || true
  exit 1
}
require_files "$VELNOR" "$PROBE" "$LAUNCHER_PROBE" "$CLI"

rows_are() {
  wine_run "$WORK/rows.log" "$LAUNCHER_PROBE" rows || return 1
  [[ "$(tr -d '\r' <"$WORK/rows.log")" == "$1" ]]
}
no_launcher() { ! wine_run "$WORK/rows.log" "$LAUNCHER_PROBE" rows; }
refresh_over() { ! probe dialog "$INIT_CAPTION"; }
marker_lines() { [[ -f "$MARKERS" ]] && [[ "$(grep -c zulu "$MARKERS")" == "$1" ]]; }
# Keys for the launcher's query box. Under Xvfb without a window manager,
# keys typed after another Wine program (a probe) started are lost until
# the desktop gets a click, so each batch starts with a click into the box,
# as a user's hand on the mouse would. Focus and keys are separate xdotool
# commands: chained after windowfocus, the keys would go out as synthetic
# events, which Wine ignores.
keys() {
  wine_run "$WORK/box.log" "$LAUNCHER_PROBE" query-box || fail "no query box to type into"
  local x y
  read -r x y < <(tr -d '\r' <"$WORK/box.log")
  xdotool windowfocus --sync "$DESKTOP"
  xdotool mousemove --window "$DESKTOP" "$x" "$y" click 1
  xdotool "$@"
}
hotkey() {
  xdotool windowfocus --sync "$DESKTOP"
  xdotool key ctrl+alt+r
}

start_velnor() {
  wine_start "$WORK/velnor-$1.log" "$VELNOR"
  VELNOR_PID=$VELNOR_LAST_PID
  wait_for --timeout 60 -- probe tray-exists || fail "no tray icon"
  wait_for --timeout 60 -- refresh_over || fail "the start-up refresh never ended"
  DESKTOP=$(xdo_desktop_window) || fail "no Wine desktop window"
}
open_launcher() {
  hotkey
  wait_for --timeout 20 -- rows_are "$1" || fail "no launcher with $1 rows after Ctrl+Alt+R"
}
exit_velnor() {
  probe post-command 57665 || fail "could not post Exit"
  wait_for --timeout 60 -- exited "$VELNOR_PID" || fail "still running after Exit"
  local rc=0
  wait "$VELNOR_PID" || rc=$?
  ((rc == 0)) || fail "exit code $rc"
}
check_uses() {
  "$CLI" dump "$DATABASE" >"$WORK/dump-$1.json" || fail "velnor-cli dump failed"
  python3 - "$WORK/dump-$1.json" "$1" <<'PY' || fail "velnor.dat does not count $1 use(s) of the script"
import json, sys, time
db = json.load(open(sys.argv[1]))
uses = int(sys.argv[2])
files = {f["path"].rsplit("\\", 1)[-1]: f for f in db["files"]}
zulu = files["zulu marker.bat"]
assert zulu["useCount"] == uses, zulu
assert abs(time.time() - zulu["lastUsed"]) < 300, zulu
for name in ("alpha tool.bat", "beta tool.bat"):
    assert files[name]["useCount"] == 0, files[name]
print("-- zulu marker.bat: useCount %d, lastUsed %d s ago" % (zulu["useCount"], time.time() - zulu["lastUsed"]))
PY
}

mkdir -p "$WORK"
ensure_display
new_prefix "$WORK/prefix"
warm_wineserver
# No guide to open on the first run: its opener would race for the screen.
wine_run "$WORK/reg.log" reg add 'HKCR\.htm' /ve /d velnortestnothing /f

DATABASE=$(velnor_database_file) || fail "no application-data folder in the prefix"
start_menu="$(velnor_appdata_dir)/Microsoft/Windows/Start Menu/Programs"
MARKERS="$WINEPREFIX/drive_c/velnor-markers/hits.txt"
mkdir -p "$start_menu" "$(dirname "$MARKERS")"
for name in "alpha tool" "beta tool" "zulu marker"; do
  printf '@echo %s>>C:\\velnor-markers\\hits.txt\r\n' "${name%% *}" >"$start_menu/$name.bat"
done

step "first start"
start_velnor first
open_launcher 3
step "Ctrl+Alt+R: the launcher lists the three scripts"
screenshot "$WORK/launcher-open.png"
keys type --delay 60 "zul"
wait_for --timeout 10 -- rows_are 1 || fail "typing zul did not narrow the list to one row"
screenshot "$WORK/launcher-typed.png"
step "typed zul: one row"
keys key Return
wait_for --timeout 20 -- marker_lines 1 || fail "Enter did not start zulu marker.bat"
wait_for --timeout 10 -- no_launcher || fail "the launcher stayed open after the launch"
step "Enter started the script and closed the launcher"
exit_velnor
check_uses 1

step "restart"
start_velnor second
open_launcher 3
screenshot "$WORK/launcher-restarted.png"
keys key Return
wait_for --timeout 20 -- marker_lines 2 || fail "Enter on the first row after a restart did not start zulu marker.bat"
step "the used script is the first row after a restart"
wait_for --timeout 10 -- no_launcher || fail "the launcher stayed open after the launch"
exit_velnor
check_uses 2
step passed
