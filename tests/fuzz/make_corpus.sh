#!/bin/sh
# Regenerates the seed databases of velnor_fuzz_database: a few written by
# velnor-cli from JSON, a few by hand for forms the writer never produces
# (legacy ANSI text, object references, a null object, a bool of 2).
# Usage: make_corpus.sh PATH-TO-VELNOR-CLI [OUTPUT-DIR]
set -eu
CLI=$1
OUT=${2:-$(dirname "$0")/corpus/database}
mkdir -p "$OUT"
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

load() {  # NAME JSON
  printf '%s' "$2" >"$TMP/in.json"
  "$CLI" load "$TMP/in.json" "$OUT/$1.dat"
}

load empty '{}'
load one_file_one_folder '{"files":[{"path":"C:\\a.txt","useCount":3,"lastUsed":1009843200}],
  "folders":[{"name":"Start Menu","path":"C:\\Start Menu","enabled":true,"iconId":140}]}'
load several '{"files":[{"path":"C:\\Users\\Zoë\\Desktop\\简历.docx","useCount":12,"lastUsed":1700000000},
  {"path":"C:\\Program Files\\Tool\\tool.exe"},{"path":"D:\\Музыка\\01 - Song.mp3","useCount":-1,"lastUsed":4294967295}],
  "folders":[{"name":"Recent Documents","path":"C:\\Recent","enabled":true,"iconId":139},
  {"name":"Favorites","path":"C:\\Favorites","enabled":false,"iconId":143},{"path":"E:\\Mine"}],
  "autorun":false,"mp3Support":false,"dpiWarningShown":true,"searchFullPath":true,"firstRun":false,
  "placement":{"valid":true,"rect":[100,-20,612,380],"titleWidth":192,"folderWidth":256}}'
LONG=$(printf '%0300d' 0)
load long_text "{\"files\":[{\"path\":\"C:\\\\$LONG.txt\",\"useCount\":1}]}"

# Options and an empty placement, after the folder count.
OPTIONS='\001\000\000\000\001\000\000\000\000\000\000\000\000\000\000\000\001\000\000\000'
PLACEMENT='\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000'
FILEINFO='\377\377\001\000\011\000CFileInfo'
# "café.txt" in Windows-1252, as an older build stored it.
printf "\001\000\010caf\351.txt$FILEINFO\001\000\000\000\000\000\000\000\000\000$OPTIONS$PLACEMENT" \
  >"$OUT/legacy_text.dat"
# "b" refers to the record of "a" (object 2); "c" has no record at all.
printf "\003\000\001a$FILEINFO\005\000\000\000\006\000\000\000\001b\002\000\001c\000\000\000\000$OPTIONS$PLACEMENT" \
  >"$OUT/references.dat"
# Bools stored as 2 read as true.
printf "\000\000\000\000\002\000\000\000\002\000\000\000\002\000\000\000\002\000\000\000\002\000\000\000$PLACEMENT" \
  >"$OUT/bool_two.dat"
