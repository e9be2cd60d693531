#!/usr/bin/env bash
# Silent install and uninstall in a fresh prefix: files, shortcut, key; the
# installed program opens its guide and shows its tray icon; the uninstaller
# ends it through Exit (velnor.dat saved), removes it with its Run value and
# keeps velnor.dat, or with /REMOVEDATA removes that too.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"
source "$here/e2e_common.sh"

fresh_prefix
VELNOR_DIST_DIR="$WORK/dist" "$VELNOR_ROOT/scripts/dist.sh" >"$WORK/dist.log" 2>&1 || fail "no installer: see dist.log"
VERSION=$(<"$VELNOR_BUILD/windows/version.txt")
SETUP="$WORK/dist/PlovantVelnor-$VERSION-setup.exe"
KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\PlovantVelnor'
appdata=$(velnor_appdata_dir)
INSTDIR="$(dirname "$appdata")/Local/Programs/Plovant Velnor"
INSTDIR_WIN="C:\\users\\$(id -un)\\AppData\\Local\\Programs\\Plovant Velnor"
SHORTCUT="$appdata/Microsoft/Windows/Start Menu/Programs/Plovant Velnor.lnk"

key_value() { wine_run "$WORK/key.log" reg query "$KEY" /v "$1" && tr -d '\r' <"$WORK/key.log" | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"; }
install_silently() {
  wine_run "$WORK/setup.log" "$SETUP" /S || fail "setup.exe /S failed"
  for f in velnor.exe velnor-cli.exe help.htm uninstall.exe; do [[ -f "$INSTDIR/$f" ]] || fail "no $INSTDIR/$f"; done
}
# It hands over to a copy of itself and returns: done once the key (its last step but the data's) is gone.
uninstall_silently() {
  wine_run "$WORK/uninstall.log" "$INSTDIR_WIN\\uninstall.exe" /S "$@" || fail "uninstall.exe /S $* failed"
  wait_for --timeout 60 --interval 0.3 -- not wine_run "$WORK/key.log" reg query "$KEY" || fail "the key stays"
  [[ ! -e "$INSTDIR" && ! -e "$SHORTCUT" ]] || fail "left behind: $(ls "$INSTDIR" "$SHORTCUT" 2>&1)"
}

step "1. setup.exe /S"
install_silently
grep -aqF "$INSTDIR_WIN\\velnor.exe" "$SHORTCUT" || fail "the shortcut does not lead to the installed velnor.exe"
for pair in "DisplayName=Plovant Velnor" "DisplayVersion=$VERSION" "Publisher=Plovant" \
    "DisplayIcon=$INSTDIR_WIN\\velnor.exe,0" "UninstallString=\"$INSTDIR_WIN\\uninstall.exe\""; do
  value=$(key_value "${pair%%=*}") && [[ "$value" == "${pair#*=}" ]] || fail "${pair%%=*} is '$value'"
done
(($(key_value EstimatedSize) > 100)) || fail "EstimatedSize: $(key_value EstimatedSize) KB"

step "the installed program: its guide on the first start, its tray icon"
wine_run "$WORK/reg.log" reg add 'HKCR\.htm' /ve /d htmlfile /f
wine_run "$WORK/reg.log" reg add 'HKCR\htmlfile\shell\open\command' /ve /d 'cmd.exe /c echo %1>>C:\help.txt' /f
# As an earlier exit would have left it: the uninstaller must remove it.
wine_run "$WORK/reg.log" reg add "$RUN_KEY" /v "Plovant Velnor" /d "\"$INSTDIR_WIN\\velnor.exe\"" /f
start_velnor installed "$INSTDIR_WIN\\velnor.exe"
wait_for --timeout 60 -- probe_says 1 frames || fail "the installed velnor.exe did not start"
wait_for --timeout 20 -- grep -qsF "$INSTDIR_WIN\\help.htm" "$WINEPREFIX/drive_c/help.txt" || fail "no guide opened"
open_menu installed
click_at 300 300
wait_for --timeout 10 -- not probe menu-open || fail "a click beside the tray menu did not close it"

step "2. uninstall.exe /S while the program runs"
[[ ! -e "$DATABASE" ]] || fail "velnor.dat exists before any exit"
uninstall_silently
wait_exit "ended by the uninstaller"
[[ -s "$DATABASE" ]] || fail "the program's exit saved no velnor.dat"
! run_value >/dev/null || fail "the Run value is still there: $(run_value)"

step "3. installed again; uninstall.exe /S /REMOVEDATA"
install_silently
uninstall_silently /REMOVEDATA
wait_for --timeout 20 -- not test -e "$(dirname "$DATABASE")" || fail "usage data left: $(ls "$(dirname "$DATABASE")")"
step passed
