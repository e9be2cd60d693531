#!/bin/sh
# Runs the real velnor-cli: exit statuses, help, non-ASCII file names, a
# damaged file's offset, and that refused input leaves the database alone.
# Usage: cli_test.sh PATH-TO-VELNOR-CLI
set -u
CLI=$1
WORK=$(mktemp -d "${TMPDIR:-/tmp}/velnor-cli-test.XXXXXX") || exit 1
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1
FAILED=0

fail() {
  echo "FAIL: $*"
  FAILED=1
}

# expect STATUS COMMAND...: runs COMMAND with stdout in out, stderr in err.
expect() {
  want=$1
  shift
  "$@" >out 2>err
  got=$?
  [ "$got" -eq "$want" ] || fail "$* exited $got, expected $want (stderr: $(cat err))"
}

contains() {  # FILE TEXT
  grep -qF -- "$2" "$1" || fail "$1 lacks '$2': $(cat "$1")"
}

# refused TEXT COMMAND...: COMMAND fails with one line on stderr holding TEXT.
refused() {
  text=$1
  shift
  expect 1 "$@"
  [ "$(wc -l <err)" -eq 1 ] || fail "$* did not say one line: $(cat err)"
  contains err "$text"
}

# Help and usage.
for args in "--help" "-h" "help" "dump --help" "load --help" "help load" "dump -h x y z" "move --help"; do
  # shellcheck disable=SC2086
  expect 0 "$CLI" $args
  contains out "Usage: velnor-cli"
  [ -s err ] && fail "$args wrote to stderr"
done
for args in "" "frob" "--frob" "dump" "dump a b" "dump --frob a" "load a" "load a b c" "move a b"; do
  # shellcheck disable=SC2086
  expect 2 "$CLI" $args
  contains err "Usage: velnor-cli"
  [ -s out ] && fail "'$args' wrote to stdout"
done

# A database from JSON, named and fed through non-ASCII paths.
cat >"données.json" <<'JSON'
{"files":[{"path":"C:\\a.txt","useCount":3,"lastUsed":1009843200},{"path":"D:\\ü.txt","useCount":4,"lastUsed":5}],
 "folders":[{"name":"Musik","path":"D:\\Музыка","enabled":false,"iconId":141}],"firstRun":false}
JSON
expect 0 "$CLI" load "données.json" "base été.dat"
[ -s err ] && fail "load wrote to stderr: $(cat err)"
# The dump loads back to the same bytes.
expect 0 "$CLI" dump "base été.dat"
mv out dumped.json
expect 0 "$CLI" load - again.dat <dumped.json
cmp -s "base été.dat" again.dat || fail "dump, load: bytes differ"
# Loading over a database replaces it (a restore): its counts are not merged in.
sed 's/"useCount":3/"useCount":9/' dumped.json >nine.json
expect 0 "$CLI" load nine.json again.dat
expect 0 "$CLI" dump again.dat
grep -q '"useCount":9' out || fail "load over a database kept its old count: $(cat out)"

# Cut inside the second record's time: 2-byte count, 9-byte key, 15-byte class
# tag and 8-byte body, then a 10-byte key, 2-byte class reference, use count.
head -c 50 "base été.dat" >cut.dat
cp cut.dat cut.orig
refused "reading stopped at byte 50 of 50" "$CLI" dump cut.dat
contains err "cut.dat"
contains out '{"files":[{"path":"C:\\a.txt","useCount":3,"lastUsed":1009843200}],"folders":[]'
cmp -s cut.dat cut.orig || fail "dump changed the damaged file"
ls | grep -q '^cut\.dat\.' && fail "dump left a file (a backup?) beside the database"

refused "missing.dat" "$CLI" dump missing.dat

# A path listed twice (made here by renaming C:\b to C:\a in place) is dumped
# once, holding both records' uses, with a warning.
printf '%s' '{"files":[{"path":"C:\\a","useCount":3,"lastUsed":5},{"path":"C:\\b","useCount":4,"lastUsed":9}]}' >two.json
expect 0 "$CLI" load two.json two.dat
tr b a <two.dat >twice.dat
expect 0 "$CLI" dump twice.dat
[ "$(wc -l <err)" -eq 1 ] || fail "the warning is not one line: $(cat err)"
contains err "lists 1 path more than once"
contains out '{"files":[{"path":"C:\\a","useCount":7,"lastUsed":9}],'

# move: refusals leave the database as it was; a move shows in the dump.
printf '%s' '{"files":[{"path":"C:/Tools/a.exe","useCount":3,"lastUsed":7},{"path":"C:/Tools2/b","useCount":1}],
 "folders":[{"path":"C:/Tools"}]}' >tools.json
expect 0 "$CLI" load tools.json tools.dat
move_refused() {  # DB OLD NEW
  cp "$1" refused.orig
  refused "was not changed" "$CLI" move "$@"
  cmp -s "$1" refused.orig || fail "move $* changed the database"
}
move_refused tools.dat C:/Tools C:/Tools/Old
move_refused tools.dat C:/Tools C:/Tools/
move_refused tools.dat C:/Nowhere C:/Apps
move_refused tools.dat C:/Tools ""
move_refused cut.dat C:/a C:/b
expect 0 "$CLI" move tools.dat c:/tools C:/Apps/Tools
contains out "records 1, folders 1"
expect 0 "$CLI" dump tools.dat
contains out '{"files":[{"path":"C:/Apps/Tools/a.exe","useCount":3,"lastUsed":7},{"path":"C:/Tools2/b",'
contains out '"folders":[{"name":"C:/Apps/Tools","path":"C:/Apps/Tools",'
ls | grep -q '^tools\.dat\.' && fail "move left a file beside the database"

# Refused input leaves the database exactly as it was.
cp "base été.dat" before.dat
for json in '{"files":[' '{"files":[{"path":"a","useCount":2147483648}]}' '{"unknown":true}' \
    '{"files":[{"path":"a"}],"files":[]}'; do
  printf '%s' "$json" >bad.json
  refused "was not changed" "$CLI" load bad.json "base été.dat"
  cmp -s "base été.dat" before.dat || fail "load of $json changed the database"
done
refused "nothing.json" "$CLI" load nothing.json "base été.dat"
cmp -s "base été.dat" before.dat || fail "load of a missing file changed the database"
refused "cannot write" "$CLI" load dumped.json no-such-folder/x.dat

# scan, query and tag: the program's refresh and filter on a small real tree.
mkdir -p Docs/Sub
: >Docs/a.txt
: >"Docs/Sub/c.lnk"
printf '%0500d' 0 >Docs/b.mp3
printf 'TAG%-30s%-30s%-30s1969%-28s\000\007\021' "Come Together" "The Beatles" "Abbey Road" "" >>Docs/b.mp3
expect 0 "$CLI" scan Docs --db index.dat
contains out ", files 3, records 3"
expect 0 "$CLI" tag Docs/b.mp3
contains out '"track":7,'
refused "no ID3v1 tag" "$CLI" tag Docs/a.txt
expect 0 "$CLI" query --db index.dat "beatles 69"
contains out "Docs/b.mp3"
expect 0 "$CLI" query --db index.dat --no-mp3 "beatles"
[ -s out ] && fail "a tag matched with MP3 support off: $(cat out)"
expect 0 "$CLI" query --db index.dat "sub"
[ -s out ] && fail "a folder word matched a name: $(cat out)"
expect 0 "$CLI" query --db index.dat --full-path "sub"
contains out "c.lnk"
# Folded as the launcher folds: a decomposed folder name, ß, a full-width tag word.
zurich="Docs/$(printf 'Zu\314\210rich')"
mkdir -p "$zurich" && : >"$zurich/Straße.txt"
expect 0 "$CLI" query --folder Docs --full-path "ZÜRICH strasse"
contains out "rich/Straße.txt"
expect 0 "$CLI" query --db index.dat "ｂｅａｔｌｅｓ"
contains out "Docs/b.mp3"
refused "no such folder" "$CLI" scan no-such-folder --db index.dat
expect 2 "$CLI" query --db

# A FIFO named like a song is listed and never read (opening it would wait
# for a writer for good), by scan, query and tag; '--' lets a query begin
# with '-'.
mkdir special && mkfifo special/song.mp3 && : >special/-draft.txt
expect 0 timeout 10 "$CLI" scan special
contains out ", files 2, records 2"
expect 0 timeout 10 "$CLI" query --folder special -- "-draft"
[ "$(cat out)" = "$WORK/special/-draft.txt" ] || fail "query -- -draft printed: $(cat out)"
refused "cannot open" timeout 10 "$CLI" tag special/song.mp3
refused "cannot read" timeout 10 "$CLI" dump special/song.mp3

[ "$FAILED" -eq 0 ] && echo "velnor-cli: all checks passed"
exit "$FAILED"
