#!/usr/bin/env bash
# Starts build/windows/velnor.exe under Wine, inside the Wine virtual
# desktop window, on the current display (Ctrl+Alt+R reaches the program
# while that window has the focus). Without a display it starts a virtual
# one and says how to look at it. Ends when the program exits (tray icon →
# Exit) or on Ctrl+C; either way Wine and the virtual display are stopped.
# A new prefix gets Start Menu shortcuts to Wine's programs first, so there
# is something to find.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine-env.sh"
source "$here/../demo/seed_start_menu.sh"
# Ctrl+C is how a user ends this: a normal end (the exit hooks still save
# and stop Wine), not a failure for make to report.
trap 'exit 0' INT

exe="$VELNOR_WINDOWS_DIR/velnor.exe"
log="$VELNOR_BUILD/logs/run.log"
mkdir -p "$(dirname "$log")"
if [[ ! -f "$exe" ]]; then
  echo "No $exe: build it first (make build)." >&2
  exit 1
fi

if [[ "${CI:-}" != true ]] && _velnor_display_usable "${DISPLAY:-}"; then
  echo "Using the display $DISPLAY."
else
  start_xvfb "${VELNOR_XVFB_FIRST:-77}"
  cat <<MSG
No usable display: started a virtual one (Xvfb) at $DISPLAY.
  Screenshot:   DISPLAY=$DISPLAY import -window root shot.png
  Hot key:      DISPLAY=$DISPLAY xdotool search --name "Default - Wine desktop" windowfocus --sync
                DISPLAY=$DISPLAY xdotool key ctrl+alt+r
  Type, Enter:  DISPLAY=$DISPLAY xdotool type note; DISPLAY=$DISPLAY xdotool key Return
(Two xdotool calls: keys chained after windowfocus go out as synthetic
events, and Wine then sees Ctrl+Alt+R held down.)
MSG
fi

prefix="$VELNOR_BUILD/wineprefix-run"
new_one=0
[[ -f "$prefix/system.reg" ]] || new_one=1
use_prefix "$prefix"
if ((new_one)); then
  warm_wineserver
  if seed_start_menu; then
    echo "New prefix: its Start Menu holds shortcuts to Wine's programs, a welcome note and an MP3."
  fi
  # The guide the first start opens goes to the desktop's browser (Wine's
  # winebrowser, which hands it to xdg-open). A new prefix has no handler
  # for .htm, and its error box would hold the start-up until answered.
  wine_run "$VELNOR_BUILD/logs/run-htm.log" reg add 'HKCR\.htm' /ve /d htmlfile /f || true
fi
# Ctrl+C ends the Windows session the way a log-off does, so the program
# saves its database before Wine is stopped.
run_pid=""
end_session() {
  if [[ -n "$run_pid" ]] && kill -0 "$run_pid" 2>/dev/null; then
    echo "Ending the Wine session (the program saves as at log-off; Wine gives other programs"
    echo "still open, such as a Notepad started from the launcher, up to 30 s to end)..."
    timeout 30 wineboot --end-session </dev/null >>"$log" 2>&1 || true
  fi
}
on_exit end_session
echo "Wine prefix: $WINEPREFIX"
if db=$(velnor_database_file); then
  echo "Database:    $db"
fi
echo "Wine output: $log"
echo "Starting velnor.exe in the \"Default - Wine desktop\" window. Ctrl+Alt+R opens the launcher;"
echo "the tray icon (bottom right of that window) has Exit. Ctrl+C here stops it too."

# A resident program: no time limit here (timeout 0 means none), but still
# under timeout so that Ctrl+C reaches the exit hooks, which end Wine.
rc=0
timeout 0 wine "$exe" "$@" </dev/null >"$log" 2>&1 &
run_pid=$!
wait "$run_pid" || rc=$?
echo "velnor.exe exited with status $rc."
exit "$rc"
