#!/usr/bin/env bash
# Accents typed on a real keyboard: a Start Menu holds "Café Menu.txt" with
# é composed (as Windows writes it) and "Café Bar.txt" with é decomposed
# (e and a combining acute accent, as a Mac writes it). Typing "cafe" lists
# both and not the coffee; typing "café" lists both again.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"
source "$here/e2e_common.sh"

fresh_prefix
# The guide the first start opens goes to a handler that shows nothing.
wine_run "$WORK/reg.log" reg add 'HKCR\.htm' /ve /d htmlfile /f
wine_run "$WORK/reg.log" reg add 'HKCR\htmlfile\shell\open\command' /ve /d rundll32.exe /f

user_start="$(velnor_appdata_dir)/Microsoft/Windows/Start Menu/Programs"
[[ -d "$user_start" ]] || fail "the prefix has no Start Menu"
printf 'menu' >"$user_start/Caf"$'\xc3\xa9'" Menu.txt"
printf 'bar' >"$user_start/Cafe"$'\xcc\x81'" Bar.txt"
printf 'coffee' >"$user_start/Coffee.txt"

start_settled accents
hot_key_launcher 3
step "cafe finds the composed and the decomposed name"
keys type --delay 60 cafe
wait_for --timeout 10 -- probe_says 2 rows || fail "typing cafe did not list both cafes: $(probe_output) rows"
screenshot "$WORK/cafe.png"
keys key --delay 60 BackSpace BackSpace BackSpace BackSpace
wait_for --timeout 10 -- probe_says 3 rows || fail "the emptied query did not list all three files"
step "café finds them both too"
keys type --delay 60 "café"
wait_for --timeout 10 -- probe_says 2 rows || fail "typing café did not list both cafes: $(probe_output) rows"
screenshot "$WORK/cafe-accent.png"
escape_launcher
exit_by_click accents
step passed
