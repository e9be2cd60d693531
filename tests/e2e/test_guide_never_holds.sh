#!/usr/bin/env bash
# A first start where the guide cannot open (velnor.exe copied alone, in a
# prefix with no program for .htm) reaches a working hot key: the start-up
# refresh ends and Ctrl+Alt+R lists what it found, with nobody answering
# anything.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"
source "$here/e2e_common.sh"

fresh_prefix
mkdir -p "$WINEPREFIX/drive_c/Alone"
cp "$VELNOR" "$WINEPREFIX/drive_c/Alone/velnor.exe"
touch "$(velnor_appdata_dir)/Microsoft/Windows/Start Menu/Programs/kappa tool.txt"

step "first start of velnor.exe alone"
start_settled alone 'C:\Alone\velnor.exe'
hot_key_launcher 1
screenshot "$WORK/launcher.png"
escape_launcher
exit_by_click alone
echo PASS
