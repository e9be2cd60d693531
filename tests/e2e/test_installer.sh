#!/usr/bin/env bash
# The installer and the uninstaller, silent, in a fresh prefix:
#  1. setup.exe /S installs the three files, the Start Menu shortcut and the
#     "Apps & features" key; the installed program starts, finds its guide
#     beside it and shows its tray icon (a real right click opens its menu);
#  2. uninstall.exe /S while it runs: the program is ended through its Exit
#     (so velnor.dat is saved), then its files, shortcut, key and Run value
#     go, and velnor.dat stays;
#  3. installed again, uninstall.exe /S /REMOVEDATA removes velnor.dat too.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"
source "$here/e2e_common.sh"

UNINSTALL_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\PlovantVelnor'

fresh_prefix
VELNOR_DIST_DIR="$WORK/dist" "$VELNOR_ROOT/scripts/dist.sh" >"$WORK/dist.log" 2>&1 ||
  fail "building the installer failed: $(tail -n 5 "$WORK/dist.log")"
SETUP=$(echo "$WORK"/dist/PlovantVelnor-*-setup.exe)
VERSION=$(<"$VELNOR_BUILD/windows/version.txt")
[[ "$SETUP" == *"-$VERSION-setup.exe" ]] || fail "the installer is named $SETUP, not after version $VERSION"

appdata=$(velnor_appdata_dir)
USER_WIN="C:\\users\\$(basename "$(dirname "$(dirname "$appdata")")")"
INSTDIR="$(dirname "$appdata")/Local/Programs/Plovant Velnor"
INSTDIR_WIN="$USER_WIN\\AppData\\Local\\Programs\\Plovant Velnor"
SHORTCUT="$appdata/Microsoft/Windows/Start Menu/Programs/Plovant Velnor.lnk"
HELP_SEEN="$WINEPREFIX/drive_c/help-opened.txt"

key_value() {  # NAME: the uninstall key's value's data
  wine_run "$WORK/key.log" reg query "$UNINSTALL_KEY" /v "$1" || return 1
  tr -d '\r' <"$WORK/key.log" | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"
}
key_gone() { ! wine_run "$WORK/key.log" reg query "$UNINSTALL_KEY"; }
install_silently() {
  wine_run "$WORK/setup.log" "$SETUP" /S || fail "setup.exe /S failed"
  local f
  for f in velnor.exe velnor-cli.exe help.htm uninstall.exe; do
    [[ -f "$INSTDIR/$f" ]] || fail "no $f in $INSTDIR"
  done
}
# The uninstaller hands over to a copy of itself and returns at once: done
# once the key, its last step but the data's, is gone.
uninstall_silently() {
  wine_run "$WORK/uninstall.log" "$INSTDIR_WIN\\uninstall.exe" /S "$@" || fail "uninstall.exe /S $* failed"
  wait_for --timeout 60 --interval 0.3 -- key_gone || fail "the uninstall key is still there"
  [[ ! -e "$INSTDIR" ]] || fail "left behind: $(ls "$INSTDIR")"
  [[ ! -e "$SHORTCUT" ]] || fail "the Start Menu shortcut is still there"
}

step "1. setup.exe /S"
install_silently
grep -aqF "$INSTDIR_WIN\\velnor.exe" "$SHORTCUT" || fail "the shortcut does not lead to the installed velnor.exe"
[[ "$(key_value DisplayName)" == "Plovant Velnor" ]] || fail "DisplayName: $(key_value DisplayName)"
[[ "$(key_value DisplayVersion)" == "$VERSION" ]] || fail "DisplayVersion: $(key_value DisplayVersion)"
[[ "$(key_value Publisher)" == "Plovant" ]] || fail "Publisher: $(key_value Publisher)"
[[ "$(key_value DisplayIcon)" == "$INSTDIR_WIN\\velnor.exe,0" ]] || fail "DisplayIcon: $(key_value DisplayIcon)"
[[ "$(key_value UninstallString)" == "\"$INSTDIR_WIN\\uninstall.exe\"" ]] ||
  fail "UninstallString: $(key_value UninstallString)"
size=$(key_value EstimatedSize)
((size > 100)) || fail "EstimatedSize: $size KB"

step "the installed program: its guide on the first start, its tray icon"
wine_run "$WORK/reg.log" reg add 'HKCR\.htm' /ve /d htmlfile /f
wine_run "$WORK/reg.log" reg add 'HKCR\htmlfile\shell\open\command' /ve /d 'cmd.exe /c echo %1>>C:\help-opened.txt' /f
# As an earlier exit would have left it: the uninstaller must remove it.
wine_run "$WORK/reg.log" reg add "$RUN_KEY" /v "Plovant Velnor" /d "\"$INSTDIR_WIN\\velnor.exe\"" /f
wine_start "$WORK/velnor-installed.log" "$INSTDIR_WIN\\velnor.exe"
VELNOR_PID=$VELNOR_LAST_PID
wait_for --timeout 60 -- probe_says 1 frames || fail "the installed velnor.exe did not start"
wait_refresh_end "$INIT_CAPTION"
wait_for --timeout 20 -- grep -qsF "$INSTDIR_WIN\\help.htm" "$HELP_SEEN" ||
  fail "the first start did not open the installed guide ($(cat "$HELP_SEEN" 2>/dev/null))"
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
