#!/usr/bin/env bash
# Builds what a Windows user downloads, into build/dist/ (VELNOR_DIST_DIR):
#   PlovantVelnor-<version>-setup.exe     the installer (dist/velnor.nsi, NSIS)
#   PlovantVelnor-<version>-portable.zip  the same three files, a readme and
#                                         portable.txt (the data stays beside it)
# Both carry the programs of the Windows tree, the very ones `make test`
# tests, without their debugging information. The version is the project's,
# as CMake wrote it into the tree.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/trees.sh"

out="${VELNOR_DIST_DIR:-$VELNOR_BUILD/dist}"
build_tree windows velnor velnor-cli >/dev/null
win=$(tree_dir windows)
version=$(<"$win/version.txt")
name="PlovantVelnor-$version"

rm -rf "$out"
stage="$out/stage/Plovant Velnor"
mkdir -p "$stage"
for program in velnor.exe velnor-cli.exe; do
  x86_64-w64-mingw32-strip -o "$stage/$program" "$win/$program"
done
cp "$VELNOR_ROOT/resources/help.htm" "$stage/"

makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DICON="$VELNOR_ROOT/resources/velnor.ico" \
  -DOUTFILE="$out/$name-setup.exe" "$VELNOR_ROOT/dist/velnor.nsi"

sed -e "s/@VERSION@/$version/" -e 's/$/\r/' "$VELNOR_ROOT/dist/portable-readme.txt" >"$stage/readme.txt"
# Only the zip carries the marker: beside velnor.exe it keeps the data there.
sed -e 's/$/\r/' "$VELNOR_ROOT/dist/portable.txt" >"$stage/portable.txt"
(cd "$out/stage" && zip -q -X -r "$out/$name-portable.zip" "Plovant Velnor")
rm -rf "$out/stage"

for f in "$out/$name-setup.exe" "$out/$name-portable.zip"; do
  printf '%s (%s KB)\n' "${f#"$VELNOR_ROOT"/}" $(($(stat -c %s "$f") / 1024))
done
