#!/usr/bin/env bash
# "Send &Feedback" hands the shell the feedback mail link with its subject.
# Wine gives mail links to winebrowser, which is pointed here at a script
# that writes down what it was given.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"
source "$here/e2e_common.sh"


require_files "$VELNOR" "$PROBE" "$CLI"

mkdir -p "$WORK"
ensure_display
new_prefix "$WORK/prefix"
warm_wineserver
on_exit wine_run "$WORK/reg-delete.log" reg delete "$RUN_KEY" /v "Plovant Velnor" /f

MAIL_RECORD="$WORK/mail-link.txt"
mailer="$WORK/record-mail.sh"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" >>"%s"\n' "$MAIL_RECORD" >"$mailer"
chmod +x "$mailer"
rm -f "$MAIL_RECORD"
wine_run "$WORK/reg.log" reg add 'HKCU\Software\Wine\WineBrowser' /v Mailers /d "$mailer" /f ||
  fail "could not point winebrowser at the recorder"

database=$(velnor_database_file) || fail "no application-data folder in the prefix"
mkdir -p "$(dirname "$database")"
printf '{"folders":[{"path":"C:\\\\nothing-here"}],"firstRun":false}' >"$WORK/seed.json"
"$CLI" load "$WORK/seed.json" "$database" || fail "velnor-cli load failed"

wine_start "$WORK/velnor.log" "$VELNOR"
VELNOR_PID=$VELNOR_LAST_PID
wait_for --timeout 30 -- probe tray-exists || fail "no tray icon"
probe post-command 32785 || fail "could not post Send Feedback"
wait_for --timeout 30 -- test -s "$MAIL_RECORD" || fail "no mail link reached the mailer"
link=$(head -n 1 "$MAIL_RECORD")
step "mail link: $link"
case "$link" in
  "mailto:feedback@plovant.example?subject=Feedback on Plovant Velnor" | \
    "mailto:feedback@plovant.example?subject=Feedback%20on%20Plovant%20Velnor") ;;
  *) fail "unexpected mail link '$link'" ;;
esac
probe post-command 57665 || fail "could not post Exit"
wait_for --timeout 30 -- exited "$VELNOR_PID" || fail "still running after Exit"
step passed
