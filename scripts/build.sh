#!/usr/bin/env bash
# Builds the native tree (portable core, velnor-cli, unit tests) and the
# Windows tree (velnor.exe, velnor-cli.exe, the tests as .exe).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/trees.sh"

for tree in native windows; do
  echo "== building $tree ($(tree_dir "$tree"))"
  build_tree "$tree"
done

echo "== programs"
for program in native/velnor-cli windows/velnor.exe windows/velnor-cli.exe; do
  if [[ -f "$VELNOR_BUILD/$program" ]]; then
    echo "   build/$program"
  else
    echo "   build/$program (not built: its target does not exist yet)"
  fi
done
