#!/usr/bin/env bash
# Soak of the change watcher, run by `make bench`: 100,000 files indexed, the
# launcher open on "soak" while 10,000 files come and a quarter go again in
# four watched folders (the first holds 10,000 more). The list must end as a
# fresh scan's query, the program answer and exit, and its memory grow only
# by the new records. Prints the figures, the longest lock hold among them.
# Knobs: VELNOR_SOAK_FILES (10000), VELNOR_SOAK_BULK (90000).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"
VELNOR_E2E_DIR=${VELNOR_E2E_DIR:-$VELNOR_BUILD/e2e/soak_watcher}
VELNOR_WINE_MAX_LIFETIME=3600
source "$here/../../tests/e2e/e2e_common.sh"

FILES=${VELNOR_SOAK_FILES:-10000}
BULK=${VELNOR_SOAK_BULK:-90000}
BURST=20

fresh_prefix
SOAK="$WINEPREFIX/drive_c/soak"
rm -rf "$SOAK"
mkdir -p "$SOAK"/w{0,1,2,3}
(cd "$SOAK/w0" && seq -f 'base%05g.txt' 1 10000 | xargs touch)
for d in $(seq 1 30); do mkdir -p "$SOAK/bulk/d$d"; done
seq 1 "$BULK" | awk -v root="$SOAK/bulk" '{ printf "%s/d%d/item%06d.lnk\n", root, $1 % 30 + 1, $1 }' | xargs touch
mkdir -p "$(dirname "$DATABASE")"
folders=$(for n in w0 w1 w2 w3 bulk; do printf '{"name":"%s","path":"C:\\\\soak\\\\%s","enabled":true,"iconId":141},' $n $n; done)
echo "{\"folders\":[${folders%,}],\"firstRun\":false}" >"$WORK/start.json"
"$CLI" load "$WORK/start.json" "$DATABASE" || fail "velnor-cli load failed"

step "start-up: $((BULK + 10000)) files indexed"
WINEDEBUG=-all,+debugstr start_velnor soak
wait_for --timeout 60 -- probe_says 1 frames || fail "velnor.exe did not start"
wait_refresh_end "$INIT_CAPTION"
focus_desktop
xdotool key ctrl+alt+r
wait_for --timeout 60 -- probe rows || fail "Ctrl+Alt+R: no launcher"
keys type --delay 60 soak
wait_for --timeout 30 -- probe_says 0 rows || fail "typing soak did not empty the list"

velnor_rss_kb() {  # the resident memory of velnor.exe's process (not of its timeout or wine wrappers)
  local pid largest=0 kb
  for pid in $(pgrep -f 'velnor\.exe'); do
    kb=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status" 2>/dev/null) || continue
    ((${kb:-0} > largest)) && largest=$kb
  done
  echo "$largest"
}
rss_before=$(velnor_rss_kb)

step "$FILES files created across four folders, a quarter of them deleted, in bursts of $BURST"
started=$(_velnor_now_ms)
created=0
while ((created < FILES)); do
  for ((k = 0; k < BURST && created < FILES; k++, created++)); do
    : >"$SOAK/w$((created % 4))/soak$created.txt"
  done
  # Every other burst deletes the odd files of the burst before.
  if (((created / BURST) % 2 == 0)); then
    for ((k = created - 2 * BURST + 1; k < created - BURST; k += 2)); do
      ((k >= 0)) && rm -f "$SOAK/w$((k % 4))/soak$k.txt"
    done
  fi
  sleep 0.05
done
echo "   changes made in $(($(_velnor_now_ms) - started)) ms"

expected=$(find "$SOAK"/w{0,1,2,3} -name 'soak*' | wc -l)
deleted=$((FILES - expected))
step "the list settles on the $expected files left ($deleted deleted)"
settled=$(_velnor_now_ms)
wait_for --timeout 120 --interval 0.5 -- probe_says "$expected" rows ||
  fail "the launcher shows $(probe_output) rows, not $expected"
echo "   settled $(($(_velnor_now_ms) - settled)) ms after the last change"
screenshot "$WORK/soak-end.png"
fresh=$("$CLI" query --folder "$SOAK/w0" --folder "$SOAK/w1" --folder "$SOAK/w2" --folder "$SOAK/w3" soak | wc -l)
((fresh == expected)) || fail "a fresh scan finds $fresh files, the launcher $expected"
rss_after=$(velnor_rss_kb)
# A record with its share of the filter's indexes takes well under 1 kB; 2 kB
# for each file ever created, and 4 MB for indexes that double, leave room
# for the allocator, not for a leak that grows with every rescan.
(((rss_after - rss_before) <= FILES * 2 + 4096)) ||
  fail "memory grew by $((rss_after - rss_before)) kB for $FILES files created"

step "Exit answers and saves"
keys key Escape
wait_for --timeout 10 -- not probe rows || fail "Escape did not close the launcher"
exit_by_click soak
records=$("$CLI" dump "$DATABASE" | python3 -c 'import json,sys; print(len(json.load(sys.stdin)["files"]))')

rescans=$(grep -c 'rescanned folder' "$WORK/velnor-soak.log" || true)
longest=$(grep -o 'longest lock hold [0-9]*' "$WORK/velnor-soak.log" | awk '{ if ($4 > m) m = $4 } END { print m + 0 }')
longest_w0=$(grep 'rescanned folder 0,' "$WORK/velnor-soak.log" | grep -o 'longest lock hold [0-9]*' |
  awk '{ if ($4 > m) m = $4 } END { print m + 0 }')
cat <<REPORT
== soak figures
   records in velnor.dat after Exit: $records (started with $((BULK + 10000)); $FILES created, $deleted deleted;
   a file created and deleted between two rescans of its folder is never seen)
   rescans: $rescans; longest lock hold of any rescan: $longest us (of the 10,000-file folder: $longest_w0 us)
   resident memory: $rss_before kB with the launcher open, $rss_after kB at the end (+$((rss_after - rss_before)) kB for $FILES new records)
REPORT
echo PASS
