#!/usr/bin/env bash
# The About box with real clicks: "&About && Update..." chosen in the tray
# menu opens it (screenshot about.png); a click on the banner hands the home
# page to the browser (winebrowser, pointed at a script that writes down
# what it is given) and leaves the box open; "&Close" ends it.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"
source "$here/e2e_common.sh"

ABOUT="About Plovant Velnor"
fresh_prefix
mkdir -p "$(dirname "$DATABASE")"
echo '{"files":[],"folders":[],"firstRun":false}' | "$CLI" load - "$DATABASE" || fail "velnor-cli load failed"
printf '#!/bin/sh\necho "$1" >>"%s"\n' "$WORK/browsed.txt" >"$WORK/browser.sh"
chmod +x "$WORK/browser.sh"
wine_run "$WORK/reg.log" reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$WORK/browser.sh" /f ||
  fail "could not point winebrowser at the script"

step "About & Update from the tray menu; the banner clicked"
start_settled about
open_menu about
choose about
wait_for --timeout 20 -- probe_says "visible|foreground" dialog "$ABOUT" || fail "the About box did not open"
sleep 0.5  # painted
screenshot "$WORK/about.png"
click_control 1014
wait_for --timeout 30 -- grep -qsxF "https://plovant.example/velnor" "$WORK/browsed.txt" ||
  fail "the browser was not given the home page"
probe_says "visible|foreground" dialog "$ABOUT" || fail "the banner's click closed the About box"
step "Close ends the box"
click_control 1
wait_for --timeout 10 -- not probe dialog "$ABOUT" || fail "Close did not end the About box"
exit_by_click about
echo "PASS"
