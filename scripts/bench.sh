#!/usr/bin/env bash
# Builds the Release benchmark tree and runs every benchmark program
# (targets named velnor_bench*). Results also go to build/bench/results/
# as JSON. Then the change watcher's soak under Wine (bench/wine/
# soak_watcher.sh; several minutes), unless VELNOR_SOAK=0.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/trees.sh"

build_tree bench
dir=$(tree_dir bench)
mapfile -t benches < <(find "$dir" -type f -executable -name 'velnor_bench*' \
  -not -path '*/CMakeFiles/*' | sort)
if ((${#benches[@]} == 0)); then
  echo "No benchmarks yet (no velnor_bench* program in $dir)."
  exit 0
fi

mkdir -p "$dir/results"
echo "CPU: $(nproc) cores; load average: $(cut -d' ' -f1-3 /proc/loadavg)"
rc=0
for b in "${benches[@]}"; do
  name=$(basename "$b")
  echo "== $name"
  "$b" --benchmark_out="$dir/results/$name.json" --benchmark_out_format=json "$@" </dev/null || rc=1
done

if [[ "${VELNOR_SOAK:-1}" != 0 ]]; then
  echo "== soak of the change watcher (VELNOR_SOAK=0 skips it)"
  { build_tree native && build_tree windows; } >"$dir/results/soak-build.log" 2>&1 || {
    echo "could not build the trees the soak runs; see $dir/results/soak-build.log"
    exit 1
  }
  "$VELNOR_ROOT/bench/wine/soak_watcher.sh" || rc=1
fi
exit "$rc"
