#!/usr/bin/env bash
# Not a test: measures, under Wine, how long the launcher takes from the hot
# key to a filled list, and from a change in the query box to the refilled
# list, with a Start Menu of VELNOR_LAUNCHER_FILES files (default 100000).
# Prints the figures; fails only when the launcher cannot be opened.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"

VELNOR="$VELNOR_WINDOWS_DIR/velnor.exe"
PROBE="$VELNOR_WINDOWS_DIR/velnor_probe.exe"
LAUNCHER_PROBE="$VELNOR_WINDOWS_DIR/velnor_launcher_probe.exe"
WORK="$VELNOR_E2E_DIR"
FILES=${VELNOR_LAUNCHER_FILES:-100000}
INIT_CAPTION="Initialize Database - Plovant Velnor"

fail() {
  printf 'FAIL: %s\n' "$*"
  exit 1
}
probe() { wine_run "$WORK/probe.log" "$PROBE" "$@"; }
refresh_over() { ! probe dialog "$INIT_CAPTION"; }
measure() {
  wine_run "$WORK/measure.log" "$LAUNCHER_PROBE" "$@" || fail "$* failed: $(cat "$WORK/measure.log")"
  tr -d '\r' <"$WORK/measure.log"
}

mkdir -p "$WORK"
ensure_display
new_prefix "$WORK/prefix"
warm_wineserver
wine_run "$WORK/reg.log" reg add 'HKCR\.htm' /ve /d velnortestnothing /f
start_menu="$(velnor_appdata_dir)/Microsoft/Windows/Start Menu/Programs"
mkdir -p "$start_menu/Bulk"
(cd "$start_menu/Bulk" && seq -f 'item%06g.lnk' 1 "$FILES" | xargs touch)

wine_start "$WORK/velnor.log" "$VELNOR"
wait_for --timeout 60 -- probe tray-exists || fail "no tray icon"
wait_for --timeout 600 --interval 1 -- refresh_over || fail "the start-up refresh never ended"
for run in 1 2 3; do
  echo "hot key to $FILES rows, run $run: $(measure time-open "$FILES")"
  echo "query 'item0999' to its rows (400 ms typing delay included): $(measure time-filter item0999)"
  echo "query cleared to all rows (400 ms typing delay included): $(measure time-filter '')"
  # Escape ends the launcher; the next run opens a fresh one.
  xdotool windowfocus --sync "$(xdo_desktop_window)"
  wine_run "$WORK/box.log" "$LAUNCHER_PROBE" query-box || fail "no query box"
  read -r x y < <(tr -d '\r' <"$WORK/box.log")
  xdotool mousemove --window "$(xdo_desktop_window)" "$x" "$y" click 1
  xdotool key Escape
  wait_for --timeout 10 -- bash -c "! timeout 20 wine '$LAUNCHER_PROBE' rows </dev/null >/dev/null 2>&1" || fail "Escape did not close the launcher"
done
probe post-command 57665 || true
