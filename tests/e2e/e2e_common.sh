# shellcheck shell=bash
# What the end-to-end scripts share: the programs under test, a prefix of
# their own, velnor.exe started and ended, the probe, and the tray menu under
# real clicks. Source it after scripts/wine-env.sh.

VELNOR="$VELNOR_WINDOWS_DIR/velnor.exe"
PROBE="$VELNOR_WINDOWS_DIR/velnor_probe.exe"
CLI="$VELNOR_NATIVE_DIR/velnor-cli"
WORK="$VELNOR_E2E_DIR"
INIT_CAPTION="Initialize Database - Plovant Velnor"
REFRESH_CAPTION="Refresh Database - Plovant Velnor"
RUN_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'

step() { printf -- '-- %s\n' "$*"; }
fail() {
  printf 'FAIL: %s\n' "$*"
  [[ -n "${WINEPREFIX:-}" ]] && screenshot "$WORK/failure.png" || true
  exit 1
}

# Every answer of the probe is a line. A run that printed nothing never got
# to answer (seen under full suites: an empty log where an answer was due,
# the state asked about plainly there on the screen) and is run once more.
probe() {
  local status=0
  wine_run "$WORK/probe.log" "$PROBE" "$@" || status=$?
  [[ -s "$WORK/probe.log" ]] && return "$status"
  wine_run "$WORK/probe.log" "$PROBE" "$@"
}
probe_output() { tr -d '\r' <"$WORK/probe.log"; }
probe_says() {  # EXPECTED CMD...: the probe answers EXPECTED, or one of "a|b"
  local expected=$1
  shift
  probe "$@" && [[ "|$expected|" == *"|$(probe_output)|"* ]]
}
not() { ! "$@"; }
wait_refresh_end() {  # CAPTION
  wait_for --timeout 240 --interval 0.3 -- not probe dialog "$1" || fail "the refresh '$1' never ended"
}

# fresh_prefix: a prefix of this script's own, and where velnor.dat goes in
# it ($DATABASE). Every normal exit writes the autorun value, which wineboot
# would run: it is deleted again at the end.
fresh_prefix() {
  local f
  for f in "$VELNOR" "$PROBE" "$CLI"; do
    [[ -f "$f" ]] || fail "missing $f (build both trees first)"
  done
  mkdir -p "$WORK"
  ensure_display
  new_prefix "$WORK/prefix"
  warm_wineserver || fail "wine does not start in the new prefix"
  on_exit delete_run_value
  DATABASE=$(velnor_database_file) || fail "no application-data folder in the prefix"
}
delete_run_value() { wine_run "$WORK/reg-delete.log" reg delete "$RUN_KEY" /v "Plovant Velnor" /f || true; }
run_value() {  # prints the Run value's data; fails when it is absent
  wine_run "$WORK/reg-query.log" reg query "$RUN_KEY" /v "Plovant Velnor" || return 1
  tr -d '\r' <"$WORK/reg-query.log" | sed -n 's/^ *Plovant Velnor *REG_SZ *//p'
}

# start_velnor NAME [EXE]: started in the background, its job in VELNOR_PID;
# EXE (a copy elsewhere, as Wine names it) instead of the build's velnor.exe.
start_velnor() {
  wine_start "$WORK/velnor-$1.log" "${2:-$VELNOR}"
  VELNOR_PID=$VELNOR_LAST_PID
}
# start_settled NAME [EXE]: started, and its start-up refresh over.
start_settled() {
  start_velnor "$@"
  wait_for --timeout 60 -- probe_says 1 frames || fail "$1: velnor.exe did not start"
  wait_refresh_end "$INIT_CAPTION"
}
press_hot_key() {
  focus_desktop
  xdotool key ctrl+alt+r
}
# hot_key_launcher [ROWS]: Ctrl+Alt+R opens the launcher (with ROWS rows).
hot_key_launcher() {
  press_hot_key
  if (($# == 0)); then
    wait_for --timeout 30 -- probe rows || fail "Ctrl+Alt+R: no launcher"
  else
    wait_for --timeout 30 -- probe_says "$1" rows || fail "Ctrl+Alt+R: no launcher with $1 row(s)"
  fi
}
escape_launcher() {  # Escape typed into the open launcher closes it
  keys key Escape
  wait_for --timeout 10 -- not probe rows || fail "Escape did not close the launcher"
}
exited() {  # the background job ended (a zombie counts as ended)
  local state
  state=$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null) || return 0
  [[ -z "$state" || "$state" == Z ]]
}
wait_exit() {  # NAME: the program ends, and with status 0
  wait_for --timeout 60 -- exited "$VELNOR_PID" || fail "$1: still running after Exit"
  local rc=0
  wait "$VELNOR_PID" || rc=$?
  ((rc == 0)) || fail "$1: exit code $rc"
}

# Typed keys go to whichever Wine window is in front once the desktop has
# the X focus; it gets it before every menu or batch of keys, or the focus
# change races the menu for the foreground.
focus_desktop() {
  DESKTOP=$(xdo_desktop_window) || fail "no Wine desktop window"
  xdotool windowfocus --sync "$DESKTOP"
}

# Under Xvfb without a window manager, keys typed after another Wine
# program (a probe) started are lost until the desktop gets a click: each
# batch starts with a click into the query box, as a user's hand on the
# mouse would. Focus and keys are separate xdotool commands: chained after
# windowfocus, the keys would go out as synthetic events, which Wine ignores.
keys() {
  probe query-box || fail "no query box to type into"
  local x y
  read -r x y < <(probe_output)
  focus_desktop
  xdotool mousemove --window "$DESKTOP" "$x" "$y" click 1
  xdotool "$@"
}
# open_menu NAME [post]: the tray menu opened by a real right click on the
# icon at the taskbar's far right, or (post) by the icon's callback posted
# to the frame, for when a progress window covers the icon: Wine's virtual
# desktop reports the whole screen as the work area, so the window's corner
# lies over the taskbar.
open_menu() {
  focus_desktop
  if [[ "${2:-}" == post ]]; then
    probe post-tray-rbutton || fail "$1: could not post to the frame"
  else
    xdotool mousemove --window "$DESKTOP" 1013 757 click 3
  fi
  wait_for --timeout 15 -- probe menu-open || fail "$1: the tray menu did not open"
  read -r MENU_LEFT _ _ MENU_BOTTOM < <(probe_output)
  screenshot "$WORK/menu-$1.png"
}
# choose ITEM: a left click on an item of the open menu, its row counted up
# from the menu's bottom border (17 pixels an item, 9 a separator, in Wine's
# menu font). Typed mnemonics are at times dropped by Wine after another
# program or window has come and gone; clicks are not.
choose() {
  local up
  case "$1" in
    about) up=141 ;;
    exit) up=13 ;;
    refresh) up=81 ;;
    preferences) up=56 ;;
    *) fail "no such menu item: $1" ;;
  esac
  xdotool mousemove --window "$DESKTOP" $((MENU_LEFT + 30)) $((MENU_BOTTOM - up)) click 1
}
click_at() { xdotool mousemove --window "$DESKTOP" "$1" "$2" click 1; }
click_control() {  # ID: a real click on a control of the open dialog that shows one
  # Waited for, as every other look at a window that is still opening.
  wait_for --timeout 10 -- probe control "$1" || fail "no control $1 in an open dialog: $(probe_output)"
  local x y
  read -r x y < <(probe_output)
  focus_desktop
  click_at "$x" "$y"
}
exit_by_click() {  # NAME: "E&xit" clicked in the tray menu
  open_menu "$1-exit"
  choose exit
  wait_exit "$1"
}
