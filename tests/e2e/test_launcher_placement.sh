#!/usr/bin/env bash
# The launcher closed in the corner of a 1024x768 desktop, then opened after
# the desktop shrank to 800x600 (a laptop undocked, a monitor removed): it
# opens whole on the smaller screen with room for its rows, and closing it
# there keeps that place.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"
source "$here/e2e_common.sh"

fresh_prefix
mkdir -p "$WINEPREFIX/drive_c/Mine" "$(dirname "$DATABASE")"
for name in alpha beta; do echo "$name" >"$WINEPREFIX/drive_c/Mine/$name.txt"; done
echo '{"folders":[{"name":"Mine","path":"C:\\Mine"}],"firstRun":false}' >"$WORK/start.json"
"$CLI" load "$WORK/start.json" "$DATABASE" || fail "velnor-cli load failed"

launcher_rect() {  # sets L T R B and LIST (the list's height)
  probe launcher-rect || fail "no launcher to measure"
  read -r L T R B LIST < <(probe_output)
}

step "first opened, and closed, in the corner of 1024x768"
start_settled wide
hot_key_launcher 2
launcher_rect
((B > 600)) || fail "the launcher did not open low enough to test the shrink: $L $T $R $B"
screenshot "$WORK/wide.png"
escape_launcher
exit_by_click wide

step "the desktop shrinks to 800x600"
wine_run "$WORK/desktop.log" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f ||
  fail "could not set the desktop's size"
stop_wineserver "$WINEPREFIX"
warm_wineserver || fail "wine does not start again"
start_settled narrow
hot_key_launcher 2
launcher_rect
screenshot "$WORK/narrow.png"
((L >= 0 && T >= 0 && R <= 800 && B <= 600)) || fail "the launcher is not whole on 800x600: $L $T $R $B"
((LIST >= 40)) || fail "the launcher's list is only $LIST pixels high"
escape_launcher
probe post-command 57665 || fail "could not post E&xit"
wait_exit narrow
"$CLI" dump "$DATABASE" >"$WORK/dump.json" || fail "velnor-cli dump failed"
python3 - "$WORK/dump.json" <<'PY' || fail "the place kept is not on 800x600: $(cat "$WORK/dump.json")"
import json, sys
left, top, right, bottom = json.load(open(sys.argv[1]))["placement"]["rect"]
assert 0 <= left and 0 <= top and right <= 800 and bottom <= 600, (left, top, right, bottom)
PY
echo PASS
