#!/usr/bin/env bash
# make screenshots: velnor.exe under Wine, on a database prepared to look
# lived-in, photographed where a new user looks, into docs/screenshots/:
# launcher.png, tray-menu.png, tooltip.png, context-menu.png,
# folder-settings.png, about.png and refresh.png. Each picture is cropped
# to the windows the program shows (and the tray icon under its menu).
# Always on a virtual display of its own: it types keys.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine-env.sh"
export VELNOR_E2E_DIR="$VELNOR_BUILD/screenshots"
source "$VELNOR_ROOT/tests/e2e/e2e_common.sh"
source "$VELNOR_ROOT/demo/seed_start_menu.sh"

OUT="$VELNOR_ROOT/docs/screenshots"
PHOTOS=${VELNOR_SCREENSHOT_PHOTOS:-100000}  # enough to see a refresh run
MARGIN=12
SCREEN_W=1024 SCREEN_H=768

# shoot NAME [tray]: the screen cut down to the program's windows (and the
# tray icon's corner), as docs/screenshots/NAME.png.
shoot() {
  local name=$1 left top right bottom
  probe shown || fail "$name: the program shows nothing"
  read -r left top right bottom < <(probe_output)
  if [[ "${2:-}" == tray ]]; then
    right=$SCREEN_W bottom=$SCREEN_H
  fi
  left=$((left - MARGIN < 0 ? 0 : left - MARGIN))
  top=$((top - MARGIN < 0 ? 0 : top - MARGIN))
  right=$((right + MARGIN > SCREEN_W ? SCREEN_W : right + MARGIN))
  bottom=$((bottom + MARGIN > SCREEN_H ? SCREEN_H : bottom + MARGIN))
  screenshot "$WORK/$name-screen.png"
  convert "$WORK/$name-screen.png" -crop "$((right - left))x$((bottom - top))+$left+$top" +repage \
    -strip "$OUT/$name.png"
  echo "docs/screenshots/$name.png ($((right - left))x$((bottom - top)))"
}

# launcher WORDS ROWS: the launcher opened by the hot key, WORDS typed,
# ROWS listed and their icons fetched (once a second).
launcher() {
  focus_desktop
  xdotool key ctrl+alt+r
  wait_for --timeout 30 -- probe rows || fail "Ctrl+Alt+R opened no launcher"
  keys type --delay 60 "$1"
  wait_for --timeout 10 -- probe_says "$2" rows || fail "'$1' did not list $2 rows ($(probe_output))"
  sleep 2.5
}
# point_at ROW: the pointer rests on a row's title.
point_at() {
  probe result-row "$1" || fail "row $1 is not on the screen"
  read -r x y _ < <(probe_output)
  echo "$x $y"
}

start_xvfb "${VELNOR_XVFB_FIRST:-77}"
fresh_prefix
seed_start_menu || fail "could not seed the Start Menu"
appdata=$(velnor_appdata_dir)
documents="$(dirname "$(dirname "$appdata")")/Documents"
mkdir -p "$documents/Photos"
for doc in "Annual Report 2024.docx" "Budget 2024.xlsx" "Meeting notes 2024-05-14.txt" \
    "Notes on the new office.txt" "Invoice 2024-031.pdf" "Letter to the landlord.docx" "Recipes.txt"; do
  printf 'A sample document.\r\n' >"$documents/$doc"
done
(cd "$documents/Photos" && seq -f 'DSC%06g.jpg' 1 "$PHOTOS" | xargs touch)

step "a first start makes the default folders; then they get a history"
mkdir -p "$(dirname "$DATABASE")"
echo '{"firstRun":false}' | "$CLI" load - "$DATABASE" || fail "velnor-cli load failed"
start_settled defaults
probe post-command 57665 >/dev/null || fail "could not ask the program to exit"
wait_exit defaults
"$CLI" dump "$DATABASE" >"$WORK/defaults.json" || fail "velnor-cli dump failed"
python3 - "$WORK/defaults.json" "$WORK/lived-in.json" <<'PY' || fail "could not prepare the database"
import json, sys, time
db = json.load(open(sys.argv[1]))
folders = {f["name"]: f for f in db["folders"]}
folders["My Documents"]["enabled"] = True
start_menu = folders["Start Menu"]["path"] + "\\Programs\\"
documents = folders["My Documents"]["path"] + "\\"
now, day = int(time.time()), 86400
uses = [  # path, uses, days since the last use
    (start_menu + "Accessories\\Notepad.lnk", 12, 0),
    (documents + "Meeting notes 2024-05-14.txt", 4, 1),
    (start_menu + "Accessories\\WordPad.lnk", 3, 2),
    (documents + "Budget 2024.xlsx", 2, 5),
    (start_menu + "Games\\Minesweeper.lnk", 2, 9),
    (start_menu + "Track 01.mp3", 1, 3),
]
used = {path: (count, days) for path, count, days in uses}
files = [f for f in db["files"] if f["path"] not in used]
db["files"] = [{"path": p, "useCount": c, "lastUsed": now - d * day - 3600} for p, (c, d) in used.items()] + files
# A launcher the user has made a little larger, in the corner it opens in.
db["placement"] = {"valid": True, "rect": [444, 538, 1024, 768], "titleWidth": 230, "folderWidth": 320}
json.dump(db, open(sys.argv[2], "w"))
PY
# Written afresh: a load over an existing file keeps that file's use counts.
rm -f "$DATABASE"
"$CLI" load "$WORK/lived-in.json" "$DATABASE" || fail "velnor-cli load failed"
mkdir -p "$OUT"

step "the launcher: 'note', its tooltip and its shell menu"
start_settled shots
launcher note 4
shoot launcher
read -r x y < <(point_at 0)
# On the folder column, so the menu leaves the titles readable.
xdotool mousemove --window "$DESKTOP" $((x + 260)) "$y" click 3
wait_for --timeout 15 -- probe menu-open || fail "no context menu"
sleep 0.3
shoot context-menu
keys key Escape  # the click into the query box has closed the menu
wait_for --timeout 10 -- not probe rows || fail "Escape did not close the launcher"

step "an MP3 found by its tag, and its tooltip"
launcher theme 1
read -r x y < <(point_at 0)
# The first movement over the list creates the tooltip; it shows a second
# after the next one.
xdotool mousemove --window "$DESKTOP" $((x + 40)) "$y" sleep 0.2 mousemove --window "$DESKTOP" $((x + 44)) "$y"
wait_for --timeout 10 -- probe tip || fail "no tooltip over the row"
shoot tooltip
keys key Escape
wait_for --timeout 10 -- not probe rows || fail "Escape did not close the launcher"

step "the tray menu with its Preferences"
open_menu tray
xdotool mousemove --window "$DESKTOP" $((MENU_LEFT + 30)) $((MENU_BOTTOM - 56))
sleep 1  # the submenu opens after a pause
shoot tray-menu tray
click_at 300 300
wait_for --timeout 10 -- not probe menu-open || fail "the tray menu stayed open"

step "folder settings"
probe post-command 32781 >/dev/null || fail "could not post Folder Settings"
wait_for --timeout 20 -- probe folder-rows || fail "no folder settings dialog"
sleep 0.5
shoot folder-settings
click_control 1
wait_for --timeout 10 -- not probe folder-rows || fail "Close did not end the folder settings"

step "About"
probe post-command 57664 >/dev/null || fail "could not post About"
wait_for --timeout 20 -- probe_says "visible|foreground" dialog "About Plovant Velnor" || fail "no About box"
sleep 0.5
shoot about
click_control 1
wait_for --timeout 10 -- not probe dialog "About Plovant Velnor" || fail "Close did not end the About box"

step "a refresh under way"
probe post-command 32776 >/dev/null || fail "could not post Refresh Database"
wait_for --timeout 60 --interval 0.2 -- probe_says "visible|foreground" dialog "$REFRESH_CAPTION" ||
  fail "no refresh progress window"
sleep 0.5
shoot refresh
wait_refresh_end "$REFRESH_CAPTION"

probe post-command 57665 >/dev/null || fail "could not ask the program to exit"
wait_exit shots
step "done: $OUT"
