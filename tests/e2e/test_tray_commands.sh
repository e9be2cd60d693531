#!/usr/bin/env bash
# The tray menu and the hot key of a running velnor.exe, with real input:
#  1. Ctrl+Alt+R during the start-up refresh of a large folder shows the
#     (otherwise hidden) progress window;
#  2. "&Refresh Database" clicked in the tray menu runs a refresh with its
#     progress window shown, and "&Cancel Refresh" clicked while it runs
#     ends it;
#  3. "E&xit" clicked: the Run value an earlier exit wrote now holds this
#     program's path in quotes;
#  4. after a restart, "E&xit" typed as the menu's mnemonic ends it (typed
#     mnemonics can be lost once a window has come and gone, hence the
#     restart).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"
source "$here/e2e_common.sh"

# The cancel in step 2 needs the refresh's window on screen for longer than
# a few probes take on a busy machine: at 200,000 files it showed for about
# two seconds, and the script at times saw it only as it went. Links to one
# folder of a thousand files make the folder large at no cost in files.
BULK_LINKS=${VELNOR_E2E_BULK_LINKS:-600}

fresh_prefix

step "a folder of $BULK_LINKS links to a thousand files, the only one in velnor.dat"
mkdir -p "$WINEPREFIX/drive_c/bulk" "$WINEPREFIX/drive_c/thousand" "$(dirname "$DATABASE")"
(cd "$WINEPREFIX/drive_c/thousand" && touch file{000..999}.txt)
python3 -c 'import os, sys; [os.symlink("../thousand", os.path.join(sys.argv[1], "s%04d" % i)) for i in range(int(sys.argv[2]))]' \
  "$WINEPREFIX/drive_c/bulk" "$BULK_LINKS"
printf '{"folders":[{"path":"C:\\\\bulk"}],"firstRun":false}' >"$WORK/seed.json"
"$CLI" load "$WORK/seed.json" "$DATABASE" || fail "velnor-cli load failed"
# As if an earlier exit had written it from elsewhere.
wine_run "$WORK/reg-add.log" reg add "$RUN_KEY" /v "Plovant Velnor" /d '"C:\old\velnor.exe"' /f ||
  fail "could not seed the Run value"

step "1. Ctrl+Alt+R during the start-up refresh"
start_velnor tray
wait_for --timeout 60 -- probe_says hidden dialog "$INIT_CAPTION" || fail "no hidden start-up refresh seen"
press_hot_key
wait_for --timeout 15 -- probe_says "visible|foreground" dialog "$INIT_CAPTION" ||
  fail "the hot key did not show the start-up progress window ($(probe_output))"
screenshot "$WORK/hotkey-progress.png"
wait_refresh_end "$INIT_CAPTION"

step "2. Refresh Database, then Cancel Refresh, clicked in the menu"
open_menu idle
choose refresh
# The window shows once the counting pass has given the bar its range.
wait_for --timeout 120 --interval 0.3 -- probe_says "visible|foreground" dialog "$REFRESH_CAPTION" ||
  fail "Refresh Database showed no progress window"
open_menu refreshing post
probe progress "$REFRESH_CAPTION" || fail "no progress bar"
read -r position end < <(probe_output)
((position < end)) || fail "the refresh was over before it could be cancelled ($position of $end)"
choose refresh  # now "&Cancel Refresh"
cancelled_at=$(_velnor_now_ms)
wait_for --timeout 30 -- not probe dialog "$REFRESH_CAPTION" || fail "Cancel Refresh did not end the refresh"
step "cancelled at $position of $end; ended $(($(_velnor_now_ms) - cancelled_at)) ms later"

step "3. Exit clicked"
exit_by_click tray
value=$(run_value) || fail "no Run value after Exit"
windows_exe="Z:${VELNOR_WINDOWS_DIR//\//\\}\\velnor.exe"
[[ "$value" == "\"$windows_exe\"" ]] || fail "Run value is '$value', expected '\"$windows_exe\"'"

step "4. restart, Exit typed as the mnemonic"
start_velnor again
wait_for --timeout 60 -- probe dialog "$INIT_CAPTION" || fail "the restart has no start-up refresh"
wait_refresh_end "$INIT_CAPTION"
open_menu again-exit
xdotool key x
wait_exit again
step passed
