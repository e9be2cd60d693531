#!/usr/bin/env bash
# Rows 0 (selected as the list opens) and 2 (ctrl+click) dragged by row 2
# with the real mouse onto the probe's drop target: it must get both files,
# in row order, as wide names (Cyrillic and Japanese intact), offered for
# copying only; velnor.exe must still end cleanly afterwards.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"
source "$here/e2e_common.sh"

fresh_prefix
mkdir -p "$WINEPREFIX/drive_c/dragged" "$(dirname "$DATABASE")"
touch "$WINEPREFIX/drive_c/dragged/"{"Привет мир.txt",plain.txt,"日本語.txt"}
cat >"$WORK/start.json" <<'JSON'
{"files":[{"path":"C:\\dragged\\Привет мир.txt","useCount":3,"lastUsed":1700000000},
          {"path":"C:\\dragged\\plain.txt","useCount":2,"lastUsed":1700000000},
          {"path":"C:\\dragged\\日本語.txt","useCount":1,"lastUsed":1700000000}],
 "folders":[{"name":"Dragged","path":"C:\\dragged","enabled":true,"iconId":141}],"firstRun":false}
JSON
"$CLI" load "$WORK/start.json" "$DATABASE" || fail "velnor-cli load failed"

step "a drop target, then the launcher with rows 0 and 2 selected"
wine_start "$WORK/drop-target.log" "$PROBE" drop-target 180 'C:\dropped.txt'
TARGET_PID=$VELNOR_LAST_PID
wait_for --timeout 30 -- grep -q '^ready' "$WORK/drop-target.log" || fail "the drop target did not open"
read -r _ TARGET_X TARGET_Y < <(tr -d '\r' <"$WORK/drop-target.log" | grep '^ready')
start_settled drag
hot_key_launcher 3
probe result-row 2 || fail "row 2 is not on the screen"
read -r X Y _ < <(probe_output)
focus_desktop
xdotool keydown ctrl mousemove --window "$DESKTOP" "$X" "$Y" click 1 keyup ctrl

step "dragged by row 2 onto the target"
# At a hand's pace, first a few pixels along the row: the list starts the
# drag only on moves it sees, over itself, past the drag threshold.
xdotool mousemove --window "$DESKTOP" "$X" "$Y" mousedown 1
for dx in 2 4 8 12 16; do
  xdotool mousemove --window "$DESKTOP" $((X + dx)) "$Y"
  sleep 0.1
done
for i in 1 2 3 4 5 6 7 8; do
  xdotool mousemove --window "$DESKTOP" $((X + (TARGET_X - X) * i / 8)) $((Y + (TARGET_Y - Y) * i / 8))
  sleep 0.1
done
wait_for --timeout 10 -- grep -q '^over' "$WORK/drop-target.log" || fail "the drag never entered the drop target"
screenshot "$WORK/dragging.png"
xdotool mouseup 1
wait_for --timeout 20 -- exited "$TARGET_PID" || fail "the drop target got no drop"
diff <(printf 'allowed 1\nwide\nC:\\dragged\\Привет мир.txt\nC:\\dragged\\日本語.txt\n') \
  "$WINEPREFIX/drive_c/dropped.txt" || fail "the drop was not as expected (expected <, received >)"

step "velnor.exe ends cleanly after the drag"
escape_launcher
exit_by_click drag
echo "PASS"
