#!/usr/bin/env bash
# Self-check of scripts/wine-env.sh, the harness every end-to-end script
# stands on: polling, exit hooks, the display, fresh prefixes that cannot
# leak into the template, a GUI program in the virtual desktop, and cleanup
# that leaves no Wine process behind.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine-env.sh"

failures=0
check() {
  local what=$1 started
  shift
  started=$(_velnor_now_ms)
  if "$@"; then
    echo "ok   $what ($(($(_velnor_now_ms) - started)) ms)"
  else
    echo "FAIL $what"
    failures=$((failures + 1))
  fi
}

work="$VELNOR_BUILD/harness-check"
rm -rf "$work"
mkdir -p "$work"

# --- polling ---
file_appears_later() {
  (sleep 0.3 && touch "$work/late") &
  wait_for --timeout 5 -- test -f "$work/late"
}
gives_up_at_deadline() {
  local started=$(_velnor_now_ms) rc=0
  wait_for --timeout 0.5 false 2>/dev/null || rc=$?
  local took=$(($(_velnor_now_ms) - started))
  ((rc == 1 && took >= 500 && took < 5000))
}
trailing_timeout_is_an_option() {
  # The command must be `test -f missing`, not `test -f missing --timeout 0.2`.
  local rc=0
  wait_for test -f "$work/never" --timeout 0.2 2>/dev/null || rc=$?
  ((rc == 1))
}
check "wait_for sees a condition that becomes true" file_appears_later
check "wait_for gives up at its deadline" gives_up_at_deadline
check "wait_for takes --timeout after the command" trailing_timeout_is_an_option

# --- exit hooks run last-in first-out, also when a signal ends the script ---
hooks_order() {
  local out
  out=$(bash -c "source '$here/wine-env.sh'; on_exit echo first; on_exit echo second; exit 3" 2>/dev/null || true)
  [[ "$out" == $'second\nfirst' ]]
}
hooks_on_signal() {
  bash -c "source '$here/wine-env.sh'; on_exit touch '$work/hook-ran'; sleep 30 & on_exit kill \$!; wait" 2>/dev/null &
  local pid=$!
  wait_for --timeout 5 -- pgrep -P "$pid" sleep >/dev/null || return 1
  kill -TERM "$pid"
  wait "$pid" || true
  [[ -f "$work/hook-ran" ]]
}
check "exit hooks run in reverse order" hooks_order
check "exit hooks run when the script is terminated" hooks_on_signal

# --- display ---
own_xvfb_stops_on_exit() {
  local pid
  pid=$(bash -c "source '$here/wine-env.sh'; start_xvfb 120 2>/dev/null && echo \$VELNOR_XVFB_PID") || return 1
  [[ -n "$pid" ]] && wait_for --timeout 10 -- _velnor_gone "$pid"
}
check "an Xvfb started by a script ends with it" own_xvfb_stops_on_exit
check "a usable display exists" ensure_display
clients_one_after_another() {
  # An X server that resets when its last client leaves refuses some of
  # these; tests connect and disconnect like this all the time.
  local i
  for i in $(seq 60); do
    _velnor_display_usable "$DISPLAY" || return 1
  done
}
check "the display answers clients one after another" clients_one_after_another

# --- prefixes ---
check "the template prefix is created" ensure_template_prefix
check "a fresh prefix is made" new_prefix "$work/prefix"
prefix_is_private() {
  [[ "$WINEPREFIX" == "$work/prefix" ]] || return 1
  # Registry and user files are copies: writing them must not reach the template.
  local f
  for f in system.reg user.reg drive_c/windows/win.ini; do
    [[ "$(stat -c %h "$WINEPREFIX/$f")" == 1 ]] || return 1
  done
  # The user's folders are folders of the prefix, not links into $HOME.
  [[ -z "$(find "$WINEPREFIX/drive_c/users" -type l)" ]] || return 1
  [[ -d "$(velnor_appdata_dir)" ]]
}
check "the prefix shares nothing writable with the template" prefix_is_private
check "the virtual desktop is configured" grep -q '"Desktop"="Default"' "$WINEPREFIX/user.reg"
check "Marlett is installed" test -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf"
remade_prefix_is_fresh() {
  touch "$WINEPREFIX/drive_c/stale-marker"
  new_prefix "$work/prefix" && [[ ! -e "$WINEPREFIX/drive_c/stale-marker" ]]
}
check "new_prefix on a used folder starts over" remade_prefix_is_fresh

# --- running programs ---
check "the wineserver warms up" warm_wineserver
console_output_reaches_log() {
  wine_run "$work/echo.log" cmd /c echo harness-says-hello && grep -q harness-says-hello "$work/echo.log"
}
exit_status_comes_back() {
  local rc=0
  wine_run "$work/exit.log" cmd /c exit 7 || rc=$?
  ((rc == 7))
}
crash_ends_with_backtrace() {
  # Without this a crash opens a dialog that waits until the time limit.
  local rc=0
  VELNOR_WINE_TIMEOUT=30 wine_run "$work/crash.log" rundll32 kernel32.dll,DebugBreak || rc=$?
  ((rc != 0 && rc != 124)) && grep -q "Unhandled exception" "$work/crash.log"
}
check "a console program's output reaches its log" console_output_reaches_log
check "a program's exit status comes back" exit_status_comes_back
check "a crash ends the program with its backtrace in the log" crash_ends_with_backtrace

# A window being listed does not mean it is painted yet: poll until the
# picture shows more than the plain desktop colour.
screen_shows_a_window() {
  screenshot "$work/notepad.png" || return 1
  [[ "$(head -c 8 "$work/notepad.png" | od -An -tx1 | tr -d ' \n')" == 89504e470d0a1a0a ]] || return 1
  (($(identify -format %k "$work/notepad.png") > 8))
}
gui_program_shows_in_desktop() {
  wine_start "$work/notepad.log" notepad
  local pid=$VELNOR_LAST_PID
  wait_for --timeout 30 -- xdo_desktop_window >/dev/null || { echo "no desktop window"; return 1; }
  wait_for --timeout 30 -- xdotool search --name "Notepad" >/dev/null || { echo "no Notepad window"; return 1; }
  wait_for --timeout 30 --interval 0.5 -- screen_shows_a_window || { echo "nothing painted"; return 1; }
  stop_wineserver "$WINEPREFIX"
  wait "$pid" 2>/dev/null || true
  ! kill -0 "$pid" 2>/dev/null || { echo "notepad outlived its server"; return 1; }
}
check "a GUI program appears in the Wine desktop and can be photographed" gui_program_shows_in_desktop

no_wine_left() {
  # Every process of this prefix is gone once its server is stopped.
  stop_wineservers
  ! pgrep -f "$work/prefix" >/dev/null 2>&1 &&
    ! WINEPREFIX="$work/prefix" timeout 5 wineserver -k >/dev/null 2>&1
}
check "cleanup leaves no Wine process behind" no_wine_left

echo "screenshot: $work/notepad.png"
if ((failures > 0)); then
  echo "$failures harness check(s) failed"
  exit 1
fi
echo "harness checks passed"
