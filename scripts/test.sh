#!/usr/bin/env bash
# Everything `make test` runs, in order: the native tree and its tests, the
# same tests under AddressSanitizer and UBSan, the fuzz targets for a short
# while, the Windows tree and its tests under Wine, the harness self-check
# and every end-to-end script. A failing step does not stop the others; the
# last line is the tally, and the exit status is non-zero if anything failed.
#
# Knobs (environment): VELNOR_FUZZ_SECONDS (20), VELNOR_E2E_TIMEOUT (300),
# VELNOR_CTEST_TIMEOUT (300, per test), VELNOR_SKIP (words among: asan tsan fuzz
# windows e2e), VELNOR_E2E_ONLY (a glob on script names).
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/trees.sh"
source "$here/wine-env.sh"

FUZZ_SECONDS="${VELNOR_FUZZ_SECONDS:-20}"
E2E_TIMEOUT="${VELNOR_E2E_TIMEOUT:-300}"
CTEST_TIMEOUT="${VELNOR_CTEST_TIMEOUT:-300}"
SKIP=" ${VELNOR_SKIP:-} "
LOGS="$VELNOR_BUILD/logs"
mkdir -p "$LOGS"

passed=0
failed=0
results=()
run_started=$(_velnor_now_ms)

seconds_since() {
  awk -v ms=$(($(_velnor_now_ms) - $1)) 'BEGIN { printf "%.1f", ms / 1000 }'
}

# unit NAME LOG CMD...: run one unit of the tally with its output in LOG;
# on success show the last lines (a test runner's own summary), on failure
# enough of the log to act on.
unit() {
  local name=$1 log=$2
  shift 2
  local started rc=0
  started=$(_velnor_now_ms)
  printf '== %s\n' "$name"
  mkdir -p "$(dirname "$log")"
  "$@" </dev/null >"$log" 2>&1 || rc=$?
  local took
  took=$(seconds_since "$started")
  if ((rc == 0)); then
    passed=$((passed + 1))
    results+=("PASS $name (${took} s)")
    tail -n "${VELNOR_TAIL_OK:-3}" "$log" | sed 's/^/   /'
    printf '   passed in %s s\n' "$took"
  else
    failed=$((failed + 1))
    results+=("FAIL $name (${took} s, exit $rc, log: ${log#"$VELNOR_ROOT"/})")
    tail -n "${VELNOR_TAIL_FAIL:-60}" "$log" | sed 's/^/   | /'
    printf '   FAILED (exit %s) in %s s; full log: %s\n' "$rc" "$took" "$log"
  fi
  return "$rc"
}

skipped() {
  [[ "$SKIP" == *" $1 "* ]]
}

note() {
  printf '== %s\n' "$*"
}

# --- native ---------------------------------------------------------------

run_ctest() {
  local dir=$1
  shift
  ctest --test-dir "$dir" --output-on-failure --timeout "$CTEST_TIMEOUT" \
    --no-tests=error "$@"
}

if unit "build native" "$LOGS/build-native.log" build_tree native; then
  unit "ctest native" "$LOGS/ctest-native.log" run_ctest "$(tree_dir native)" -j "$VELNOR_JOBS"
fi

# --- native under AddressSanitizer + UBSan --------------------------------

if ! skipped asan; then
  export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:halt_on_error=1:strict_string_checks=1}"
  export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
  if unit "build asan" "$LOGS/build-asan.log" build_tree asan; then
    unit "ctest asan" "$LOGS/ctest-asan.log" run_ctest "$(tree_dir asan)" -j "$VELNOR_JOBS"
  fi
fi

# --- the threaded tests under ThreadSanitizer -------------------------------

if ! skipped tsan; then
  if unit "build tsan" "$LOGS/build-tsan.log" build_tree tsan velnor_thread_tests; then
    unit "threads under tsan" "$LOGS/tsan.log" env TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
      "$(tree_dir tsan)/tests/unit/velnor_thread_tests"
  fi
fi

# --- fuzz targets: built with clang, each run for a bounded time ----------

run_fuzzer() {
  local name=$1 exe dir seeds=()
  dir=$(tree_dir fuzz)
  exe=$(find "$dir" -type f -executable -name "$name" | head -n 1)
  [[ -n "$exe" ]] || { echo "no executable for $name"; return 1; }
  # Seeds checked in under tests/fuzz/corpus/<name without the prefix> (or
  # the whole corpus folder); new inputs go to a corpus of the build's own.
  local short=${name#velnor_fuzz_} candidate
  for candidate in "$VELNOR_ROOT/tests/fuzz/corpus/$short" "$VELNOR_ROOT/tests/fuzz/corpus/$name" \
      "$dir/corpus-seed/$short"; do
    [[ -d "$candidate" ]] && seeds+=("$candidate")
  done
  if ((${#seeds[@]} == 0)) && [[ -d "$VELNOR_ROOT/tests/fuzz/corpus" ]] &&
      [[ -n "$(find "$VELNOR_ROOT/tests/fuzz/corpus" -maxdepth 1 -type f -print -quit)" ]]; then
    seeds+=("$VELNOR_ROOT/tests/fuzz/corpus")
  fi
  local corpus="$dir/corpus/$name" artifacts="$dir/artifacts/$name"
  mkdir -p "$corpus" "$artifacts"
  echo "seeds: ${seeds[*]:-none}"
  timeout -k 10 $((FUZZ_SECONDS + 120)) "$exe" -max_total_time="$FUZZ_SECONDS" \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$corpus" "${seeds[@]}"
}

if ! skipped fuzz; then
  if unit "configure fuzz" "$LOGS/configure-fuzz.log" configure_tree fuzz; then
    mapfile -t fuzzers < <(tree_targets fuzz 'velnor_fuzz_[A-Za-z0-9_]+')
    if ((${#fuzzers[@]} == 0)); then
      note "no fuzz targets yet"
    elif unit "build fuzz" "$LOGS/build-fuzz.log" build_tree fuzz "${fuzzers[@]}"; then
      for f in "${fuzzers[@]}"; do
        unit "fuzz $f (${FUZZ_SECONDS} s)" "$LOGS/fuzz-$f.log" run_fuzzer "$f"
      done
    fi
  fi
fi

# --- Windows tree and Wine -------------------------------------------------

windows_built=0
if ! skipped windows; then
  if unit "build windows" "$LOGS/build-windows.log" build_tree windows; then
    windows_built=1
  fi
fi

# One display and one template prefix for every Wine step below. Always a
# display of our own: tests type keys, and must neither steal a developer's
# keyboard nor depend on what their desktop shows.
wine_setup() {
  ensure_template_prefix && start_xvfb "${VELNOR_XVFB_FIRST:-77}"
}
wine_ready=0
if ((windows_built)) || ! skipped e2e; then
  if unit "wine setup" "$LOGS/wine-setup.log" wine_setup; then
    wine_ready=1
    echo "   display $DISPLAY"
  fi
fi

ctest_under_wine() {
  # Its own fresh prefix, warmed up so that ctest's pipe is not held by
  # Wine's background processes. Tests run one at a time: window tests
  # register the same hot key.
  new_prefix "$VELNOR_BUILD/wine/ctest" || return 1
  warm_wineserver || return 1
  local rc=0
  run_ctest "$(tree_dir windows)" -j 1 || rc=$?
  stop_wineserver "$WINEPREFIX"
  unset WINEPREFIX
  return "$rc"
}

if ((windows_built && wine_ready)); then
  unit "ctest windows (Wine)" "$LOGS/ctest-windows.log" ctest_under_wine
fi

# --- end-to-end -----------------------------------------------------------

# Safety net for a script that was killed before its own cleanup ran: end
# the Wine servers of every prefix it left in its folder.
stop_left_prefixes() {
  local reg
  while IFS= read -r -d '' reg; do
    stop_wineserver "$(dirname "$reg")"
  done < <(find "$1" -maxdepth 3 -name system.reg -print0 2>/dev/null)
}

run_e2e() {
  local script=$1 name=$2
  local dir="$VELNOR_BUILD/e2e/$name"
  VELNOR_E2E_DIR="$dir" timeout -k 15 "$E2E_TIMEOUT" "$script"
  local rc=$?
  stop_left_prefixes "$dir"
  ((rc == 124)) && echo "timed out after ${E2E_TIMEOUT} s"
  return "$rc"
}

if ! skipped e2e && ((wine_ready)); then
  unit "wine harness self-check" "$LOGS/harness-check.log" "$here/check-wine-env.sh"
  mapfile -t scripts < <(find "$VELNOR_ROOT/tests/e2e" -maxdepth 1 -name 'test_*.sh' \
    -type f -perm -u+x 2>/dev/null | sort)
  if ((${#scripts[@]} == 0)); then
    note "no end-to-end scripts yet"
  elif ((windows_built == 0)); then
    failed=$((failed + 1))
    results+=("FAIL end-to-end scripts (the Windows tree did not build)")
  else
    stop_left_prefixes "$VELNOR_BUILD/e2e"
    rm -rf "$VELNOR_BUILD/e2e"
    for script in "${scripts[@]}"; do
      if [[ -n "${VELNOR_E2E_ONLY:-}" && "$(basename "$script")" != ${VELNOR_E2E_ONLY} ]]; then
        continue
      fi
      name=$(basename "$script" .sh)
      unit "e2e $name" "$VELNOR_BUILD/e2e/$name.log" run_e2e "$script" "$name"
    done
  fi
fi

# --- tally ----------------------------------------------------------------

echo
echo "== summary ($(seconds_since "$run_started") s)"
for r in "${results[@]}"; do
  echo "   $r"
done
"$here/test-share.sh" | sed 's/^/   /'
# Also kept in a file: a caller that prints after us (make's own error line)
# can repeat it, so the tally still closes the output.
echo "$passed passed, $failed failed" | tee "$LOGS/test-summary.txt"
((failed == 0))
