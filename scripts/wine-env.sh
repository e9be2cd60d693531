# shellcheck shell=bash
# Shared helpers for everything that runs Windows programs under Wine:
# the Makefile recipes, the test runner and the end-to-end scripts in
# tests/e2e/. Source it; it defines functions and exports a few variables,
# and starts nothing by itself.
#
#   source "$(dirname "$0")/../../scripts/wine-env.sh"
#   ensure_display                      # Xvfb when there is no usable display
#   new_prefix "$VELNOR_E2E_DIR/prefix" # fresh WINEPREFIX, exported
#   warm_wineserver                     # before anything reads wine's output
#   wine_start "$VELNOR_E2E_DIR/velnor.log" "$VELNOR_WINDOWS_DIR/velnor.exe"
#   wait_for --timeout 20 -- xdo_desktop_window
#   screenshot "$VELNOR_E2E_DIR/started.png"
#
# Cleanup (wineserver -k/-w for every prefix used here, the Xvfb started
# here) runs on exit. A script that needs its own cleanup registers it with
# `on_exit CMD ARGS...` rather than setting an EXIT trap, which would
# replace this one.
#
# Two rules every caller keeps, because Wine's background processes inherit
# the standard handles of the wine call that started them: never pipe or
# capture ($(...)) the output of a wine command, send it to a file; and put
# every wine call under a time limit (wine_run / wine_start do both).
# Bash runs a signal's trap only after the foreground command returns:
# wait in short steps (wait_for) or with `CMD & wait`, so that the runner's
# time limit still gets the cleanup done.

if [[ -n "${VELNOR_WINE_ENV_LOADED:-}" ]]; then
  return 0
fi
VELNOR_WINE_ENV_LOADED=1

VELNOR_ROOT="${VELNOR_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
VELNOR_BUILD="${VELNOR_BUILD:-$VELNOR_ROOT/build}"
VELNOR_NATIVE_DIR="${VELNOR_NATIVE_DIR:-$VELNOR_BUILD/native}"
VELNOR_WINDOWS_DIR="${VELNOR_WINDOWS_DIR:-$VELNOR_BUILD/windows}"
VELNOR_WINE_TEMPLATE="${VELNOR_WINE_TEMPLATE:-$VELNOR_BUILD/wine/template}"
# Upper bound for one wine call that is expected to finish on its own.
VELNOR_WINE_TIMEOUT="${VELNOR_WINE_TIMEOUT:-120}"
# Upper bound for a program started in the background (a resident program
# that a test forgets to end must not outlive the run).
VELNOR_WINE_MAX_LIFETIME="${VELNOR_WINE_MAX_LIFETIME:-600}"
# Where an end-to-end script keeps its prefix, logs and screenshots. The
# test runner sets it per script; standalone runs get one per script name.
if [[ -z "${VELNOR_E2E_DIR:-}" ]]; then
  VELNOR_E2E_DIR="$VELNOR_BUILD/e2e/$(basename "${0%.sh}")"
fi
export VELNOR_ROOT VELNOR_BUILD VELNOR_NATIVE_DIR VELNOR_WINDOWS_DIR \
  VELNOR_WINE_TEMPLATE VELNOR_E2E_DIR

# Wine decodes UTF-8 file names correctly only under an installed locale.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
# No Mono or Gecko: their installers would open modal dialogs nobody answers.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEDEBUG="${WINEDEBUG:--all}"
# Wine's own desktop integration (menu entries, file associations in the
# Linux user's home) has no business running from tests.
if [[ "$WINEDLLOVERRIDES" != *winemenubuilder* ]]; then
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES};winemenubuilder.exe=d"
fi

# Bump when the recipe below changes, so stale templates are rebuilt.
VELNOR_TEMPLATE_RECIPE=3

velnor_log() {
  printf '[wine-env] %s\n' "$*" >&2
}

# --- exit hooks ---------------------------------------------------------------

VELNOR_EXIT_HOOKS=()

# on_exit CMD ARGS...: run CMD when the shell exits (hooks run last-in,
# first-out, each once, failures ignored).
on_exit() {
  local quoted
  quoted=$(printf '%q ' "$@")
  VELNOR_EXIT_HOOKS+=("$quoted")
}

_velnor_run_exit_hooks() {
  local status=$?
  trap - EXIT
  local i
  for ((i = ${#VELNOR_EXIT_HOOKS[@]} - 1; i >= 0; i--)); do
    eval "${VELNOR_EXIT_HOOKS[$i]}" || true
  done
  VELNOR_EXIT_HOOKS=()
  return "$status"
}

trap _velnor_run_exit_hooks EXIT
# A signal ends the script through exit, so the hooks still run.
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# --- polling ----------------------------------------------------------------

_velnor_now_ms() {
  local ns
  ns=$(date +%s%N)
  echo $((ns / 1000000))
}

# wait_for [--timeout S] [--interval S] [--] CMD ARGS...
# wait_for CMD ARGS... --timeout S
# Runs CMD until it succeeds; fails (status 1, with a message) when the
# deadline passes first. S may be fractional. Default timeout 30 s.
wait_for() {
  local timeout=30 interval=0.1
  while [[ $# -gt 0 ]]; do
    case "$1" in
      --timeout) timeout="$2"; shift 2 ;;
      --interval) interval="$2"; shift 2 ;;
      --) shift; break ;;
      *) break ;;
    esac
  done
  local -a cmd=("$@")
  local n=${#cmd[@]}
  if ((n >= 2)) && [[ "${cmd[n - 2]}" == --timeout ]]; then
    timeout="${cmd[n - 1]}"
    cmd=("${cmd[@]:0:n-2}")
  fi
  if ((${#cmd[@]} == 0)); then
    velnor_log "wait_for: no command given"
    return 2
  fi
  local timeout_ms deadline
  timeout_ms=$(awk -v s="$timeout" 'BEGIN { printf "%d", s * 1000 }')
  deadline=$(($(_velnor_now_ms) + timeout_ms))
  while true; do
    if "${cmd[@]}"; then
      return 0
    fi
    if (($(_velnor_now_ms) >= deadline)); then
      velnor_log "timed out after ${timeout}s waiting for: ${cmd[*]}"
      return 1
    fi
    sleep "$interval"
  done
}

# --- display ----------------------------------------------------------------

VELNOR_XVFB_PID=""

_velnor_display_usable() {
  [[ -n "${1:-}" ]] && timeout 10 xdpyinfo -display "$1" >/dev/null 2>&1
}

_velnor_display_taken() {
  local n=$1
  [[ -e "/tmp/.X${n}-lock" || -e "/tmp/.X11-unix/X${n}" ]]
}

# start_xvfb [FIRST_NUMBER]: start an Xvfb on the first free display from
# FIRST_NUMBER (default 77) upwards, export DISPLAY, stop it on exit.
start_xvfb() {
  local n=${1:-77} last=$((${1:-77} + 100))
  local log_dir="$VELNOR_BUILD/logs"
  mkdir -p "$log_dir"
  for (( ; n <= last; n++)); do
    _velnor_display_taken "$n" && continue
    # A session of its own: Ctrl+C in the terminal must not end the display
    # under a program that is still saving its data. -noreset: by default
    # the server resets whenever its last client leaves, and refuses the
    # next one (a screenshot, xdotool) while it does.
    setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset \
      </dev/null >"$log_dir/xvfb-$n.log" 2>&1 &
    local pid=$!
    # Ready once a client can talk to it. It exits at once when another
    # server won the race for this number: then try the next one.
    local deadline=$(($(_velnor_now_ms) + 15000))
    while kill -0 "$pid" 2>/dev/null && (($(_velnor_now_ms) < deadline)); do
      if _velnor_display_usable ":$n"; then
        # setsid forks when started as a group leader (a shell with job
        # control); the server writes its own pid into the lock file.
        VELNOR_XVFB_PID=$(tr -dc '0-9' <"/tmp/.X${n}-lock" 2>/dev/null || true)
        VELNOR_XVFB_PID=${VELNOR_XVFB_PID:-$pid}
        export DISPLAY=":$n"
        # Children (test scripts) see this and reuse the server instead of
        # starting their own, even under CI=true.
        export VELNOR_XVFB_DISPLAY=":$n"
        on_exit stop_xvfb
        velnor_log "started Xvfb on :$n"
        return 0
      fi
      sleep 0.05
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  velnor_log "could not start Xvfb on any display from :${1:-77}"
  return 1
}

stop_xvfb() {
  if [[ -n "$VELNOR_XVFB_PID" ]]; then
    kill "$VELNOR_XVFB_PID" 2>/dev/null || true
    # Not necessarily our child (see above): poll for it to be gone.
    wait_for --timeout 10 --interval 0.05 -- _velnor_gone "$VELNOR_XVFB_PID" || true
    wait "$VELNOR_XVFB_PID" 2>/dev/null || true
    VELNOR_XVFB_PID=""
  fi
}

_velnor_gone() {
  ! kill -0 "$1" 2>/dev/null || [[ "$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null)" == Z ]]
}

# ensure_display: keep a usable $DISPLAY (a developer's desktop), reuse the
# Xvfb a parent script started, or start one. Under CI=true a display that
# happens to be set is not trusted: runs must not depend on it.
ensure_display() {
  if [[ -n "${VELNOR_XVFB_DISPLAY:-}" ]] &&
    _velnor_display_usable "$VELNOR_XVFB_DISPLAY"; then
    export DISPLAY="$VELNOR_XVFB_DISPLAY"
    return 0
  fi
  if [[ "${CI:-}" != true ]] && _velnor_display_usable "${DISPLAY:-}"; then
    return 0
  fi
  start_xvfb "${VELNOR_XVFB_FIRST:-77}"
}

# --- prefixes ---------------------------------------------------------------

VELNOR_PREFIXES_USED=()

_velnor_template_stamp() {
  printf 'recipe %s\n%s\n' "$VELNOR_TEMPLATE_RECIPE" \
    "$(wine --version 2>/dev/null </dev/null)"
}

# ensure_template_prefix: build the template prefix once: Wine's first-run
# setup (the slow part, ~15 s), a virtual desktop "Default" of 1024x768 so
# every window lives in one findable X window, Marlett for caption buttons,
# no crash dialog (a crash then prints its backtrace into the log and ends
# the program, where the dialog would wait for a click until the time
# limit), and the user's folders as real folders inside the prefix. Wine points
# Documents, Desktop and the rest at $HOME; tests must not read or fill the
# home of whoever runs them.
ensure_template_prefix() {
  local tpl=$VELNOR_WINE_TEMPLATE stamp
  stamp=$(_velnor_template_stamp)
  if [[ -f "$tpl/.velnor-template" && "$(cat "$tpl/.velnor-template")" == "$stamp" ]]; then
    return 0
  fi
  mkdir -p "$(dirname "$tpl")"
  local lock_fd
  # Parallel scripts must not build it twice or see half of it.
  exec {lock_fd}>"$tpl.lock"
  flock "$lock_fd"
  if [[ -f "$tpl/.velnor-template" && "$(cat "$tpl/.velnor-template")" == "$stamp" ]]; then
    exec {lock_fd}>&-
    return 0
  fi
  local started
  started=$(_velnor_now_ms)
  local tmp="$tpl.new.$$" log="$VELNOR_BUILD/logs/wine-template.log"
  mkdir -p "$VELNOR_BUILD/logs"
  rm -rf "$tmp"
  velnor_log "creating the template Wine prefix (once, ~20 s)"
  local ok=1
  (
    export WINEPREFIX="$tmp" WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    timeout -k 10 300 wineboot -i &&
      timeout -k 10 "$VELNOR_WINE_TIMEOUT" wine reg add 'HKCU\Software\Wine\Explorer' \
        /v Desktop /d Default /f &&
      timeout -k 10 "$VELNOR_WINE_TIMEOUT" wine reg add 'HKCU\Software\Wine\Explorer\Desktops' \
        /v Default /d 1024x768 /f &&
      timeout -k 10 "$VELNOR_WINE_TIMEOUT" wine reg add 'HKCU\Software\Wine\WineDbg' \
        /v ShowCrashDialog /t REG_DWORD /d 0 /f
    rc=$?
    # The registry reaches the prefix's files only when the server ends.
    timeout -k 5 60 wineserver -w
    exit "$rc"
  ) </dev/null >"$log" 2>&1 || ok=0
  if ((ok == 0)); then
    WINEPREFIX="$tmp" timeout 20 wineserver -k >/dev/null 2>&1 </dev/null || true
    velnor_log "creating the Wine prefix failed; last lines of $log:"
    tail -n 20 "$log" >&2
    exec {lock_fd}>&-
    return 1
  fi
  local marlett
  for marlett in /usr/share/wine/fonts/marlett.ttf /usr/lib/wine/fonts/marlett.ttf; do
    if [[ -f "$marlett" ]]; then
      cp "$marlett" "$tmp/drive_c/windows/Fonts/"
      break
    fi
  done
  local link
  while IFS= read -r -d '' link; do
    rm -f "$link" && mkdir -p "$link"
  done < <(find "$tmp/drive_c/users" -type l -print0)
  echo "$stamp" >"$tmp/.velnor-template"
  rm -rf "$tpl"
  mv "$tmp" "$tpl"
  exec {lock_fd}>&-
  velnor_log "template prefix ready in $(($(_velnor_now_ms) - started)) ms"
}

# new_prefix [DIR]: a fresh prefix at DIR (default $VELNOR_E2E_DIR/prefix),
# exported as WINEPREFIX and ended on exit. Wine's system folder (90% of
# the bytes, never written after set-up) is hard-linked from the template,
# everything else copied: ~0.2 s instead of ~2.5 s for a full copy.
new_prefix() {
  local dir=${1:-$VELNOR_E2E_DIR/prefix}
  ensure_template_prefix || return 1
  local started
  started=$(_velnor_now_ms)
  if [[ -e "$dir" ]]; then
    WINEPREFIX="$dir" timeout 20 wineserver -k >/dev/null 2>&1 </dev/null || true
    WINEPREFIX="$dir" timeout 30 wineserver -w >/dev/null 2>&1 </dev/null || true
    rm -rf "$dir"
  fi
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  local sys=drive_c/windows/system32
  (cd "$VELNOR_WINE_TEMPLATE" && tar --exclude="./$sys" -cf - .) |
    (cd "$dir" && tar -xpf -) || return 1
  cp -al "$VELNOR_WINE_TEMPLATE/$sys" "$dir/$sys" || return 1
  rm -f "$dir/.velnor-template"
  export WINEPREFIX="$dir"
  _velnor_track_prefix "$dir"
  velnor_log "prefix $dir ready in $(($(_velnor_now_ms) - started)) ms"
}

# use_prefix DIR: like new_prefix, but keeps DIR when it already exists
# (the persistent prefix of `make run`).
use_prefix() {
  local dir=$1
  if [[ -f "$dir/system.reg" ]]; then
    export WINEPREFIX
    WINEPREFIX=$(cd "$dir" && pwd)
    _velnor_track_prefix "$WINEPREFIX"
    return 0
  fi
  new_prefix "$dir"
}

_velnor_track_prefix() {
  local p
  for p in "${VELNOR_PREFIXES_USED[@]}"; do
    [[ "$p" == "$1" ]] && return 0
  done
  if ((${#VELNOR_PREFIXES_USED[@]} == 0)); then
    on_exit stop_wineservers
  fi
  VELNOR_PREFIXES_USED+=("$1")
}

# stop_wineservers: end every Wine process of every prefix used here and
# wait until each server is gone.
stop_wineservers() {
  local p
  for p in "${VELNOR_PREFIXES_USED[@]}"; do
    stop_wineserver "$p"
  done
}

stop_wineserver() {
  local p=${1:-${WINEPREFIX:-}}
  [[ -n "$p" && -d "$p" ]] || return 0
  WINEPREFIX="$p" timeout 20 wineserver -k >/dev/null 2>&1 </dev/null || true
  WINEPREFIX="$p" timeout 30 wineserver -w >/dev/null 2>&1 </dev/null || true
}

# warm_wineserver: start a persistent server and Wine's services for the
# current prefix, with their output going nowhere. Without this, the first
# wine call of a test starts them and they keep that call's stdout open, so
# whoever reads it (ctest, a pipe) waits for minutes.
warm_wineserver() {
  [[ -n "${WINEPREFIX:-}" ]] || { velnor_log "warm_wineserver: no WINEPREFIX"; return 1; }
  _velnor_track_prefix "$WINEPREFIX"
  timeout 20 wineserver -p </dev/null >/dev/null 2>&1 || true
  # The first program in a new prefix can fail while the server of the one
  # before is still going down (seen once on a loaded machine): try again.
  local attempt
  for attempt in 1 2 3; do
    timeout -k 10 "$VELNOR_WINE_TIMEOUT" wine cmd /c exit </dev/null >/dev/null 2>&1 && return 0
    velnor_log "warm_wineserver: wine did not start in $WINEPREFIX (attempt $attempt)"
    sleep 1
  done
  return 1
}

# --- running programs -------------------------------------------------------

# wine_run LOG PROGRAM ARGS...: run to completion (VELNOR_WINE_TIMEOUT at
# most), output to LOG; returns the program's exit status (124 on timeout).
wine_run() {
  local log=$1
  shift
  mkdir -p "$(dirname "$log")"
  timeout -k 10 "$VELNOR_WINE_TIMEOUT" wine "$@" </dev/null >"$log" 2>&1
}

# wine_start LOG PROGRAM ARGS...: start in the background, output to LOG.
# The pid is left in VELNOR_LAST_PID (not printed: capturing the output of
# this function would hand the program a pipe). `wait "$VELNOR_LAST_PID"`
# gives its exit status.
VELNOR_LAST_PID=""
wine_start() {
  local log=$1
  shift
  mkdir -p "$(dirname "$log")"
  timeout -k 10 "$VELNOR_WINE_MAX_LIFETIME" wine "$@" </dev/null >"$log" 2>&1 &
  VELNOR_LAST_PID=$!
}

# --- looking at the screen ----------------------------------------------------

# xdo_desktop_window: print the X window id of the Wine virtual desktop;
# fails while it does not exist (Wine maps it with the first window).
xdo_desktop_window() {
  # xdotool's search walks every X window; one destroyed during the walk
  # (a program starting or ending) fails the whole search, so it is asked
  # again a few times before the desktop counts as missing.
  local ids tries
  for tries in 1 2 3 4 5; do
    ids=$(timeout 10 xdotool search --name "Default - Wine desktop" 2>/dev/null) && [[ -n "$ids" ]] && break
    ids=
    sleep 0.2
  done
  [[ -n "$ids" ]] || return 1
  echo "${ids%%$'\n'*}"
}

# screenshot FILE: the whole screen as a PNG (look at it).
screenshot() {
  local file=$1
  mkdir -p "$(dirname "$file")"
  timeout 30 import -display "$DISPLAY" -window root "$file"
}

# --- where the program keeps its data inside a prefix -------------------------

# velnor_appdata_dir: the Windows %APPDATA% of the current prefix.
velnor_appdata_dir() {
  local user_dir
  for user_dir in "$WINEPREFIX/drive_c/users/$(id -un)" "$WINEPREFIX"/drive_c/users/*; do
    if [[ -d "$user_dir/AppData/Roaming" && "$(basename "$user_dir")" != Public ]]; then
      echo "$user_dir/AppData/Roaming"
      return 0
    fi
  done
  return 1
}

# velnor_database_file: where velnor.exe keeps velnor.dat in this prefix.
velnor_database_file() {
  local appdata
  appdata=$(velnor_appdata_dir) || return 1
  echo "$appdata/Plovant/velnor.dat"
}
