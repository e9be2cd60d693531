#!/usr/bin/env bash
# The real portable zip unpacked into C:\Tools\Velnor of a fresh prefix:
# started, a script opened through the launcher with real keys, Exit; the
# database is beside velnor.exe and nothing was written under
# %APPDATA%\Plovant; started again, the use is there.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"
source "$here/e2e_common.sh"

fresh_prefix
VELNOR_DIST_DIR="$WORK/dist" "$VELNOR_ROOT/scripts/dist.sh" >"$WORK/dist.log" 2>&1 || fail "no zip: see dist.log"
VERSION=$(<"$VELNOR_BUILD/windows/version.txt")
TOOLS="$WINEPREFIX/drive_c/Tools"
mkdir -p "$TOOLS"
(cd "$TOOLS" && unzip -q "$WORK/dist/PlovantVelnor-$VERSION-portable.zip" && mv "Plovant Velnor" Velnor) ||
  fail "could not unzip the portable zip"
[[ -f "$TOOLS/Velnor/portable.txt" ]] || fail "the zip has no portable.txt"
wine_run "$WORK/reg.log" reg add 'HKCR\.htm' /ve /d htmlfile /f
wine_run "$WORK/reg.log" reg add 'HKCR\htmlfile\shell\open\command' /ve /d rundll32.exe /f
user_start="$(velnor_appdata_dir)/Microsoft/Windows/Start Menu/Programs"
MARKERS="$WINEPREFIX/drive_c/markers/hits.txt"
mkdir -p "$(dirname "$MARKERS")"
printf '@echo omega>>C:\\markers\\hits.txt\r\n' >"$user_start/omega tool.bat"
PORTABLE_DB="$TOOLS/Velnor/velnor.dat"

start_portable() { start_settled "$1" 'C:\Tools\Velnor\velnor.exe'; }

step "first start from C:\\Tools\\Velnor, omega opened with Enter, Exit"
start_portable first
hot_key_launcher 1
keys type --delay 60 omega
keys key Return
wait_for --timeout 20 -- grep -qs omega "$MARKERS" || fail "Enter did not start omega tool.bat"
wait_for --timeout 10 -- not probe rows || fail "the launcher stayed open after Enter"
exit_by_click first
[[ -s "$PORTABLE_DB" ]] || fail "no velnor.dat beside the program: $(ls "$TOOLS/Velnor")"
[[ ! -e "$(dirname "$DATABASE")" ]] || fail "written under %APPDATA%\\Plovant: $(ls -a "$(dirname "$DATABASE")")"

step "started again: the use is there"
start_portable again
hot_key_launcher 1
escape_launcher
exit_by_click again
"$CLI" dump "$PORTABLE_DB" >"$WORK/dump.json" || fail "velnor-cli dump failed"
python3 - "$WORK/dump.json" <<'PY' || fail "the use was lost: $(cat "$WORK/dump.json")"
import json, sys
uses = {f["path"].rsplit("\\", 1)[-1]: f["useCount"] for f in json.load(open(sys.argv[1]))["files"]}
assert uses.get("omega tool.bat") == 1, uses
PY
[[ ! -e "$(dirname "$DATABASE")" ]] || fail "written under %APPDATA%\\Plovant at the second run"
echo PASS
