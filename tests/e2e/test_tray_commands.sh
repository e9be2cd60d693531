#!/usr/bin/env bash
# The tray menu and the hot key of a running velnor.exe, with real input:
#  1. Ctrl+Alt+R during the start-up refresh of a large folder shows the
#     (otherwise hidden) progress window;
#  2. "&Refresh Database" clicked in the tray menu runs a refresh with its
#     progress window shown, and "&Cancel Refresh" clicked while it runs
#     ends it;
#  3. "Send &Feedback" hands the feedback mail link to the mailer (Wine's
#     winebrowser, pointed here at a script that writes down what it gets);
#  4. autorun turned off, "E&xit" clicked: the Run value is deleted;
#  5. after a restart, autorun on again and "E&xit" typed as the menu's
#     mnemonic: the Run value holds the program's path in quotes;
#  6. a second copy gets no hot key and still works through its own icon;
#     the options are still those of the first run.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"
source "$here/e2e_common.sh"

BULK_FILES=${VELNOR_E2E_BULK_FILES:-200000}

fresh_prefix
MAIL_RECORD="$WORK/mail-link.txt"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" >>"%s"\n' "$MAIL_RECORD" >"$WORK/record-mail.sh"
chmod +x "$WORK/record-mail.sh"
wine_run "$WORK/reg.log" reg add 'HKCU\Software\Wine\WineBrowser' /v Mailers /d "$WORK/record-mail.sh" /f ||
  fail "could not point winebrowser at the recorder"

step "a folder of $BULK_FILES files, the only one in velnor.dat"
mkdir -p "$WINEPREFIX/drive_c/bulk" "$(dirname "$DATABASE")"
(cd "$WINEPREFIX/drive_c/bulk" && seq -f 'file%06g.txt' 1 "$BULK_FILES" | xargs touch)
printf '{"folders":[{"path":"C:\\\\bulk"}],"firstRun":false}' >"$WORK/seed.json"
"$CLI" load "$WORK/seed.json" "$DATABASE" || fail "velnor-cli load failed"
# As if an earlier exit had written it; this run turns autorun off.
wine_run "$WORK/reg-add.log" reg add "$RUN_KEY" /v "Plovant Velnor" /d '"C:\old\velnor.exe"' /f ||
  fail "could not seed the Run value"

start_refreshing() {  # NAME: started, and its start-up refresh runs unseen
  start_velnor "$1"
  wait_for --timeout 60 -- probe_says hidden dialog "$INIT_CAPTION" || fail "$1: no hidden start-up refresh seen"
}

step "1. Ctrl+Alt+R during the start-up refresh"
start_refreshing first
focus_desktop
xdotool key ctrl+alt+r
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

step "3. Send Feedback"
post_command "$CMD_FEEDBACK"
wait_for --timeout 30 -- test -s "$MAIL_RECORD" || fail "no mail link reached the mailer"
case "$(head -n 1 "$MAIL_RECORD")" in
  "mailto:feedback@plovant.example?subject=Feedback on Plovant Velnor" | \
    "mailto:feedback@plovant.example?subject=Feedback%20on%20Plovant%20Velnor") ;;
  *) fail "unexpected mail link '$(head -n 1 "$MAIL_RECORD")'" ;;
esac

step "4. autorun off, Exit clicked"
post_command "$CMD_AUTORUN"
exit_by_click first
if value=$(run_value); then fail "the Run value is still there: $value"; fi
dump_check autorun=false

step "5. restart: full path and autorun on, Exit typed as the mnemonic"
start_refreshing second
wait_refresh_end "$INIT_CAPTION"
post_command "$CMD_FULL_PATH"
post_command "$CMD_AUTORUN"  # off as stored, so on again
open_menu second-exit
xdotool key x
wait_exit second
value=$(run_value) || fail "no Run value after Exit with autorun on"
windows_exe="Z:${VELNOR_WINDOWS_DIR//\//\\}\\velnor.exe"
[[ "$value" == "\"$windows_exe\"" ]] || fail "Run value is '$value', expected '\"$windows_exe\"'"
dump_check autorun=true searchFullPath=true

step "6. a second copy: no hot key, works through its icon"
start_refreshing third
first_pid=$VELNOR_PID
wait_refresh_end "$INIT_CAPTION"
start_velnor fourth
wait_for --timeout 60 -- probe_says 2 frames || fail "the second copy has no frame"
wait_refresh_end "$INIT_CAPTION"
probe hotkey-free && fail "nobody holds Ctrl+Alt+R"
# The first copy ends without a word; what is left is the second. Only its
# own process: `timeout` would pass the signal to its whole group, Wine's
# desktop included.
first_exe=$(pgrep -P "$first_pid") || fail "no process under the first copy's timeout"
kill -KILL $first_exe
wait "$first_pid" 2>/dev/null || true
wait_for --timeout 30 -- probe_says 1 frames || fail "the first copy's frame outlived it"
probe hotkey-free || fail "the second copy holds Ctrl+Alt+R"
exit_by_click fourth
dump_check autorun=true searchFullPath=true
step passed
