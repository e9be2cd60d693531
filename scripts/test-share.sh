#!/usr/bin/env bash
# How large the tests are against everything: test lines (tests/ and
# cli/cli_test.sh) among all source lines, scripts/, bench/ and .ci/ not
# counted. Counts the files git knows, so a build tree never counts.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1
src_re='\.(c|cc|cpp|cxx|h|hpp|hh|inl|inc|sh|py|rc|cmake)$|CMakeLists\.txt$'
lines() { xargs -r cat 2>/dev/null | wc -l; }
files=$(git ls-files 2>/dev/null | grep -E "$src_re")
all=$(grep -v -E '^(scripts|bench|\.ci)/' <<<"$files" | lines)
tests=$(grep -E '^tests/|^cli/cli_test\.sh$' <<<"$files" | lines)
((all > 0)) || exit 0
echo "tests: $tests of $all source lines ($((100 * tests / all))%)"
