#!/usr/bin/env bash
# Usage data against other programs: velnor.dat held open, shared with
# nobody, while the program starts keeps its exact bytes through "E&xit"
# (after one notice; the run's data goes to velnor.dat.new); two copies each
# starting a script with Enter both keep their use after both exits, the
# second through the hot key it took when the first exited.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"
source "$here/e2e_common.sh"

fresh_prefix
mkdir -p "$WINEPREFIX/drive_c/keep" "$WINEPREFIX/drive_c/markers" "$(dirname "$DATABASE")"
MARKERS="$WINEPREFIX/drive_c/markers/hits.txt"
for name in alpha bravo; do
  printf '@echo %s>>C:\\markers\\hits.txt\r\n' "$name" >"$WINEPREFIX/drive_c/keep/$name.bat"
done
echo '{"folders":[{"name":"Keep","path":"C:\\keep","enabled":true,"iconId":141}],"firstRun":false}' \
  >"$WORK/start.json"
"$CLI" load "$WORK/start.json" "$DATABASE" || fail "velnor-cli load failed"
cp "$DATABASE" "$WORK/original.dat"

step "velnor.dat held by another program at start-up"
rel=${DATABASE#"$WINEPREFIX/drive_c/"}
wine_start "$WORK/hold.log" "$PROBE" hold "C:\\${rel//\//\\}" 120
holder=$VELNOR_LAST_PID
wait_for --timeout 30 -- grep -q held "$WORK/hold.log" || fail "could not hold velnor.dat"
start_velnor held
wait_for --timeout 60 -- probe_says visible\|foreground dialog "Plovant Velnor" || fail "no notice that velnor.dat is unreadable"
# Keys after a probe started reach Wine only after a click: one into the
# notice (centred on the screen), then Enter for its OK button.
close_notice() {
  focus_desktop
  xdotool mousemove --window "$DESKTOP" 512 384 click 1
  xdotool key Return
  wait_for --timeout 3 -- not probe dialog "Plovant Velnor"
}
wait_for --timeout 30 -- close_notice || fail "the notice did not close"
exit_by_click held
kill "$holder" 2>/dev/null || true
cmp -s "$DATABASE" "$WORK/original.dat" || fail "velnor.dat was changed although it was never read"
[[ -s "$DATABASE.new" ]] || fail "this run's data was not saved beside it"
rm "$DATABASE.new"

launch_by_enter() {  # NAME: the launcher is open; NAME typed, Enter starts NAME.bat
  wait_for --timeout 30 -- probe_says 2 rows || fail "no launcher with both scripts"
  keys type --delay 60 "$1"
  wait_for --timeout 10 -- probe_says 1 rows || fail "typing $1 did not narrow the list"
  keys key Return
  wait_for --timeout 20 -- grep -qs "$1" "$MARKERS" || fail "Enter did not start $1.bat"
}
step "two copies, each starting a script"
start_velnor first
first=$VELNOR_PID
wait_for --timeout 60 -- probe_says 1 frames || fail "the first copy did not start"
start_velnor second
second=$VELNOR_PID
wait_for --timeout 60 -- probe_says 2 frames || fail "the second copy did not start"
wait_refresh_end "$INIT_CAPTION"
press_hot_key  # the first copy holds the hot key
launch_by_enter alpha
probe post-command 57665 || fail "could not post E&xit"  # to the copy started first
VELNOR_PID=$first wait_exit first
VELNOR_PID=$second
# The copy left takes Ctrl+Alt+R once the first let it go (it asks again
# every two seconds): pressed until a launcher answers.
hot_key_opens() {
  press_hot_key
  wait_for --timeout 3 -- probe rows
}
wait_for --timeout 30 -- hot_key_opens || fail "the second copy never took Ctrl+Alt+R"
launch_by_enter bravo
exit_by_click second
"$CLI" dump "$DATABASE" >"$WORK/dump.json" || fail "velnor-cli dump failed"
python3 - "$WORK/dump.json" <<'PY' || fail "a copy's use was lost: $(cat "$WORK/dump.json")"
import json, sys
uses = {f["path"]: f["useCount"] for f in json.load(open(sys.argv[1]))["files"]}
assert uses["C:\\keep\\alpha.bat"] == 1 and uses["C:\\keep\\bravo.bat"] == 1, uses
PY
echo PASS
