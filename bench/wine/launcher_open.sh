#!/usr/bin/env bash
# Measures, under Wine, the launcher over a Start Menu of
# VELNOR_LAUNCHER_FILES files (default 1,000,000) with real names in nested
# folders (copied from the shape of /usr by make_file_tree.py): the
# start-up refresh, the hot key to a filled list, a refill after typing
# VELNOR_LAUNCHER_QUERY (default "readme") and after clearing it, a repaint
# and a page of scrolling, and velnor.exe's memory (as Wine reports it to
# Windows programs, and as Linux counts the process: Wine 8 gives another
# process's private bytes as 0, so Linux's RssAnon, the process's own
# anonymous memory, stands for them). Prints the figures;
# fails only when the launcher cannot be opened. Not part of `make test` or
# `make bench` (a million files take minutes to make and to index). Needs
# the Windows tree with its tests built (`make build`); run it by hand:
#   bench/wine/launcher_open.sh
#   VELNOR_LAUNCHER_FILES=100000 bench/wine/launcher_open.sh
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# The program lives through the refresh of a million files and the runs.
export VELNOR_WINE_MAX_LIFETIME=${VELNOR_WINE_MAX_LIFETIME:-3600}
# Above the timing program's own limit of two minutes, so it tells of a timeout.
export VELNOR_WINE_TIMEOUT=${VELNOR_WINE_TIMEOUT:-180}
source "$here/../../scripts/wine-env.sh"

VELNOR="$VELNOR_WINDOWS_DIR/velnor.exe"
PROBE="$VELNOR_WINDOWS_DIR/velnor_probe.exe"
TIMING="$VELNOR_WINDOWS_DIR/velnor_launcher_timing.exe"
WORK="$VELNOR_BUILD/bench/wine/launcher_open"
FILES=${VELNOR_LAUNCHER_FILES:-1000000}
QUERY=${VELNOR_LAUNCHER_QUERY:-readme}
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
# report LABEL ARGS...: the timing program's figure for ARGS, or the end.
report() {
  local label=$1 out
  shift
  out=$(measure "$@") || {
    echo "$label: $out"
    exit 1
  }
  echo "$label: $out"
}

mkdir -p "$WORK"
ensure_display
new_prefix "$WORK/prefix"
warm_wineserver
# The guide the first start opens goes to a handler that shows nothing: its
# opener would race the measurement for the screen, and with no handler at
# all Wine's error box would hold the start-up.
wine_run "$WORK/reg.log" reg add 'HKCR\.htm' /ve /d htmlfile /f
wine_run "$WORK/reg.log" reg add 'HKCR\htmlfile\shell\open\command' /ve /d rundll32.exe /f
start_menu="$(velnor_appdata_dir)/Microsoft/Windows/Start Menu/Programs"
echo "files: $(python3 "$here/make_file_tree.py" "$start_menu" "$FILES")"

# The Linux process of velnor.exe in this prefix.
velnor_pid() {
  local p
  for p in /proc/[0-9]*; do
    # Its first word is the program; `timeout ... wine velnor.exe` is not it.
    [[ "$(tr '\0' '\n' <"$p/cmdline" 2>/dev/null | head -n 1)" == *velnor.exe ]] || continue
    tr '\0' '\n' <"$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    echo "${p#/proc/}"
    return 0
  done
  return 1
}
memory() {
  report "memory $1, from Windows" memory
  local pid
  pid=$(velnor_pid) || return 0
  echo "memory $1, from Linux: $(grep -E '^(VmRSS|RssAnon|VmHWM)' "/proc/$pid/status" | tr -s ' \t\n' ' ')"
}

started=$(date +%s%N)
wine_start "$WORK/velnor.log" "$VELNOR"
# The start-up refresh's (hidden) progress window exists exactly while it runs.
wait_for --timeout 60 -- probe dialog "$INIT_CAPTION" || fail "no start-up refresh seen"
wait_for --timeout 1800 --interval 1 -- refresh_over || fail "the start-up refresh never ended"
echo "start to the end of the start-up refresh (polled each second):" \
  "$((($(date +%s%N) - started) / 1000000)) ms"
memory "after the refresh"
for run in 1 2 3; do
  # The list is filled by one count message: its first rows are all of them.
  report "hot key to a filled list, run $run" time-open 1
  report "query '$QUERY' to its rows (400 ms typing delay included)" time-filter "$QUERY"
  report "query cleared to all rows (400 ms typing delay included)" time-filter ''
  report "repaint" time-paint 50
  report "scrolling" time-scroll 50
  memory "with the launcher open, run $run"
  # Escape ends the launcher; the next run opens a fresh one.
  xdotool windowfocus --sync "$(xdo_desktop_window)"
  probe query-box || fail "no query box"
  read -r x y < <(tr -d '\r' <"$WORK/probe.log")
  xdotool mousemove --window "$(xdo_desktop_window)" "$x" "$y" click 1
  xdotool key Escape
  wait_for --timeout 10 -- no_launcher || fail "Escape did not close the launcher"
done
probe post-command 57665 || true
