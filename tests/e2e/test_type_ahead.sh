#!/usr/bin/env bash
# Typing ahead of the launcher, over a million files:
#  1. Ctrl+Alt+R and a word sent at once, with no wait between them, again
#     and again: every key lands in the query box, in order, although the
#     launcher is still being made and filled when the keys come;
#  2. "zzbravo" and Enter without waiting for the list to follow the typing
#     (40 ms a key and Enter at once; 120 ms a key and Enter 200 ms later;
#     and all of it right behind the hot key, sent once more if nothing
#     started, see below): each time zzbravo.bat starts,
#     never zzalpha.bat, the most used file and the top row before the
#     typing, and after "E&xit" only zzbravo's uses were counted.
# The million files are a thousand links to one folder of a thousand files:
# each path is a record of its own, and the links take a second to make.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"
source "$here/e2e_common.sh"

fresh_prefix
FILES="$WINEPREFIX/drive_c/files"
MARKERS="$WINEPREFIX/drive_c/markers/hits.txt"
mkdir -p "$FILES" "$WINEPREFIX/drive_c/thousand" "$(dirname "$MARKERS")" "$(dirname "$DATABASE")"
(cd "$WINEPREFIX/drive_c/thousand" && touch file{000..999}.txt)
python3 -c 'import os, sys; [os.symlink("../thousand", os.path.join(sys.argv[1], "s%03d" % i)) for i in range(1000)]' \
  "$FILES"
for name in zzalpha zzbravo; do
  printf '@echo %s>>C:\\markers\\hits.txt\r\n' "$name" >"$FILES/$name.bat"
done
cat >"$WORK/start.json" <<'JSON'
{"files":[{"path":"C:\\files\\zzalpha.bat","useCount":50,"lastUsed":1700000000}],
 "folders":[{"name":"Files","path":"C:\\files","enabled":true,"iconId":141}],
 "firstRun":false}
JSON
"$CLI" load "$WORK/start.json" "$DATABASE" || fail "velnor-cli load failed"
ROWS=1000002

start_settled type-ahead
hot_key_launcher "$ROWS"
escape_launcher

# Keys reach Wine after a probe ran only once the desktop got a click: one
# on the empty desktop, away from where the launcher opens, before the hot
# key. The hot key and the keys are one xdotool command: nothing waits
# between them.
hot_key_and() {
  focus_desktop
  click_at 100 100
  xdotool key ctrl+alt+r "$@"
}
box_holds() { probe_says "[$1]" query-text; }

step "1. the hot key and a word at once"
for word in quickbrownfox jumpsoverthe lazydog0123 pack6my9box xylophone; do
  for delay in 12 40; do
    hot_key_and type --delay "$delay" "$word"
    if ! wait_for --timeout 10 -- box_holds "$word"; then
      # Seen on a clean machine in about one run in five, never twice in a
      # row: no launcher at all, or a word with a letter moved or missing
      # ("acpk6my9box", "ylophone"). Under Wine's virtual desktop two
      # processes read the keys from X: explorer.exe while the desktop has
      # the X focus, velnor.exe once the launcher's own X window takes it.
      # Each hands its keys on when its thread gets to them, so around that
      # handover keys reach the system out of order (a logged run showed a
      # key's release before its press) or go to explorer's own window,
      # before any hook sees them; Windows has one input queue. The word is
      # sent once more; a second wrong box in a row fails. The first is
      # kept for a look.
      step "WRONG ONCE: '$word' at $delay ms a key gave $(probe_output); the hot key and the word once more"
      screenshot "$WORK/wrong-once-$word-$delay.png"
      if [[ "$(probe_output)" != "no launcher" ]]; then
        escape_launcher
      fi
      hot_key_and type --delay "$delay" "$word"
      wait_for --timeout 10 -- box_holds "$word" ||
        fail "'$word' at $delay ms a key right after the hot key, twice in a row: the box holds $(probe_output)"
    fi
    escape_launcher
  done
done

step "2. zzbravo and Enter before the list follows the typing"
# xdotool's type takes the rest of its line as text: Enter is a command of
# its own, sent as soon as the typing command returns (or after a pause).
launches=0
started() { [[ -f "$MARKERS" ]] && (($(grep -c . "$MARKERS") >= launches)); }
launched_bravo() {  # ACTION...: the next launch is zzbravo.bat's
  launches=$((launches + 1))
  "$@"
  wait_for --timeout 20 -- started || fail "$*: nothing was started"
  [[ "$(tail -n 1 "$MARKERS" | tr -d '\r ')" == zzbravo ]] || fail "$*: started $(tail -n 1 "$MARKERS")"
  wait_for --timeout 10 -- not probe rows || fail "$*: the launcher stayed open"
}
fast_enter() { keys type --delay 40 zzbravo && xdotool key Return; }
human_enter() { keys type --delay 120 zzbravo && xdotool sleep 0.2 key Return; }
hot_key_fast_enter() { hot_key_and type --delay 40 zzbravo && xdotool key Return; }
# Right behind the hot key the keys meet the same handover as in step 1: if
# nothing at all starts, the word is sent once more (a wrong file started
# still fails). Escape closes what the spoiled word left: the shell's box
# for a name it could not open, then the launcher.
hot_key_fast_enter_once_more() {
  hot_key_fast_enter
  wait_for --timeout 20 -- started && return 0
  probe query-text || true
  step "WRONG ONCE: zzbravo and Enter right behind the hot key started nothing (box: $(probe_output)); once more"
  screenshot "$WORK/wrong-once-enter.png"
  local tries
  for tries in 1 2 3; do
    probe rows || break
    keys key Escape
    sleep 0.5
  done
  wait_for --timeout 10 -- not probe rows || fail "Escape did not close the launcher"
  hot_key_fast_enter
}
hot_key_launcher "$ROWS"
launched_bravo fast_enter
hot_key_launcher "$ROWS"
launched_bravo human_enter
launched_bravo hot_key_fast_enter_once_more
grep -q zzalpha "$MARKERS" && fail "zzalpha.bat was started: $(tr -d '\r' <"$MARKERS")"

exit_by_click type-ahead
"$CLI" dump "$DATABASE" >"$WORK/dump.json" || fail "velnor-cli dump failed"
python3 - "$WORK/dump.json" <<'PY' || fail "the wrong uses were counted"
import json, sys
uses = {f["path"]: f["useCount"] for f in json.load(open(sys.argv[1]))["files"] if f["useCount"]}
assert uses == {"C:\\files\\zzalpha.bat": 50, "C:\\files\\zzbravo.bat": 3}, uses
PY
echo PASS
