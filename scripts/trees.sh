# shellcheck shell=bash
# The build trees and how each is configured. Sourced by build.sh, test.sh
# and bench.sh so that every entry point configures a tree the same way.

VELNOR_ROOT="${VELNOR_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
VELNOR_BUILD="${VELNOR_BUILD:-$VELNOR_ROOT/build}"
VELNOR_JOBS="${VELNOR_JOBS:-2}"

# tree_args NAME: the cmake arguments of one tree, one per line.
tree_args() {
  case "$1" in
    native)
      printf '%s\n' -DCMAKE_BUILD_TYPE=RelWithDebInfo ;;
    windows)
      printf '%s\n' -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        "-DCMAKE_TOOLCHAIN_FILE=$VELNOR_ROOT/cmake/mingw-w64-x86_64.cmake" ;;
    asan)
      # -O1: the sanitizers' own advice; at -O2 with debug information some
      # test files take several times longer to compile for no gain.
      printf '%s\n' -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELNOR_SANITIZE=ON \
        "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g" "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g" ;;
    tsan)
      printf '%s\n' -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELNOR_TSAN=ON \
        "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g" "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g" ;;
    fuzz)
      printf '%s\n' -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
        -DCMAKE_CXX_COMPILER=clang++ -DVELNOR_FUZZ=ON -DVELNOR_TESTS=ON ;;
    bench)
      printf '%s\n' -DCMAKE_BUILD_TYPE=Release -DVELNOR_BENCH=ON -DVELNOR_TESTS=OFF ;;
    *)
      echo "unknown build tree: $1" >&2
      return 1 ;;
  esac
}

tree_dir() {
  echo "$VELNOR_BUILD/$1"
}

# configure_tree NAME: run cmake only for a tree that is not configured yet;
# afterwards ninja re-runs cmake by itself whenever a CMakeLists.txt changes.
configure_tree() {
  local name=$1 dir
  dir=$(tree_dir "$name")
  if [[ -f "$dir/CMakeCache.txt" && -f "$dir/build.ninja" ]]; then
    return 0
  fi
  local -a args
  mapfile -t args < <(tree_args "$name")
  ((${#args[@]} > 0)) || return 1
  cmake -S "$VELNOR_ROOT" -B "$dir" -G Ninja "${args[@]}"
}

# build_tree NAME [TARGET...]: configure if needed, then build (all by
# default, so targets that do not exist yet never break a build).
build_tree() {
  local name=$1
  shift
  configure_tree "$name" || return 1
  local -a targets=()
  local t
  for t in "$@"; do
    targets+=(--target "$t")
  done
  cmake --build "$(tree_dir "$name")" -j "$VELNOR_JOBS" "${targets[@]}"
}

# tree_targets NAME PATTERN: the targets of a configured tree whose names
# match an extended regular expression (anchored), one per line.
tree_targets() {
  local dir
  dir=$(tree_dir "$1")
  # Re-run cmake first if a CMakeLists.txt changed since the tree was
  # configured, so targets added since then are listed.
  ninja -C "$dir" build.ninja >/dev/null || return 1
  ninja -C "$dir" -t targets all 2>/dev/null |
    sed -n 's/^\([^/:[:space:]]*\): phony$/\1/p' |
    grep -E "^($2)\$" | sort -u || true
}
