# shellcheck shell=bash
# What every end-to-end script of velnor.exe shares: the programs under test,
# the probe, and small helpers. Source it after scripts/wine-env.sh.

VELNOR="$VELNOR_WINDOWS_DIR/velnor.exe"
PROBE="$VELNOR_WINDOWS_DIR/velnor_probe.exe"
CLI="$VELNOR_NATIVE_DIR/velnor-cli"
WORK="$VELNOR_E2E_DIR"
PROBE_LOG="$WORK/probe.log"
INIT_CAPTION="Initialize Database - Plovant Velnor"
REFRESH_CAPTION="Refresh Database - Plovant Velnor"
RUN_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'

step() { printf -- '-- %s\n' "$*"; }
fail() {
  printf 'FAIL: %s\n' "$*"
  exit 1
}
require_files() {  # every program or file the script needs was built
  local f
  for f in "$@"; do
    [[ -f "$f" ]] || fail "missing $f (build both trees first)"
  done
}

probe() { wine_run "$PROBE_LOG" "$PROBE" "$@"; }
probe_output() { tr -d '\r' <"$PROBE_LOG"; }
probe_says() {  # probe CMD... answers $1, or one of its words "a|b"
  local expected=$1
  shift
  probe "$@" || return 1
  [[ "|$expected|" == *"|$(probe_output)|"* ]]
}
exited() {  # the background job ended (a zombie counts as ended)
  local state
  state=$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null) || return 0
  [[ -z "$state" || "$state" == Z ]]
}
