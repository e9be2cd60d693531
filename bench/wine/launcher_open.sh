#!/usr/bin/env bash
# Measures, under Wine, how long the launcher takes from the hot key to a
# filled list, and from a change in the query box to the refilled list, with
# a Start Menu of VELNOR_LAUNCHER_FILES files (default 100000). Prints the
# figures; fails only when the launcher cannot be opened. Needs the Windows
# tree with its tests built (`make build`); run it by hand:
#   bench/wine/launcher_open.sh
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"

VELNOR="$VELNOR_WINDOWS_DIR/velnor.exe"
PROBE="$VELNOR_WINDOWS_DIR/velnor_probe.exe"
TIMING="$VELNOR_WINDOWS_DIR/velnor_launcher_timing.exe"
WORK="$VELNOR_BUILD/bench/wine/launcher_open"
FILES=${VELNOR_LAUNCHER_FILES:-100000}
INIT_CAPTION="Initialize Database - Plovant Velnor"

fail() {
  printf 'FAIL: %s\n' "$*"
  exit 1
}
for f in "$VELNOR" "$PROBE" "$TIMING"; do
  [[ -f "$f" ]] || fail "missing $f (build the Windows tree first)"
done
probe() { wine_run "$WORK/probe.log" "$PROBE" "$@"; }
refresh_over() { ! probe dialog "$INIT_CAPTION"; }
no_launcher() { ! probe rows; }
measure() {
  wine_run "$WORK/measure.log" "$TIMING" "$@" || fail "$* failed: $(cat "$WORK/measure.log")"
  tr -d '\r' <"$WORK/measure.log"
}

mkdir -p "$WORK"
ensure_display
new_prefix "$WORK/prefix"
warm_wineserver
# No guide: its opener would race the measurement for the screen.
wine_run "$WORK/reg.log" reg add 'HKCR\.htm' /ve /d velnortestnothing /f
start_menu="$(velnor_appdata_dir)/Microsoft/Windows/Start Menu/Programs"
mkdir -p "$start_menu/Bulk"
(cd "$start_menu/Bulk" && seq -f 'item%06g.lnk' 1 "$FILES" | xargs touch)

wine_start "$WORK/velnor.log" "$VELNOR"
wait_for --timeout 60 -- probe dialog "$INIT_CAPTION" || fail "no start-up refresh seen"
wait_for --timeout 600 --interval 1 -- refresh_over || fail "the start-up refresh never ended"
for run in 1 2 3; do
  echo "hot key to $FILES rows, run $run: $(measure time-open "$FILES")"
  echo "query 'item0999' to its rows (400 ms typing delay included): $(measure time-filter item0999)"
  echo "query cleared to all rows (400 ms typing delay included): $(measure time-filter '')"
  # Escape ends the launcher; the next run opens a fresh one.
  xdotool windowfocus --sync "$(xdo_desktop_window)"
  probe query-box || fail "no query box"
  read -r x y < <(tr -d '\r' <"$WORK/probe.log")
  xdotool mousemove --window "$(xdo_desktop_window)" "$x" "$y" click 1
  xdotool key Escape
  wait_for --timeout 10 -- no_launcher || fail "Escape did not close the launcher"
done
probe post-command 57665 || true
