#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, and only the
# missing ones: on a machine that has them all this takes a fraction of a
# second and touches no network.
set -euo pipefail

packages=(
  make cmake ninja-build g++ git
  clang libclang-rt-14-dev            # fuzz targets: libFuzzer and sanitizers for clang
  libgtest-dev libbenchmark-dev nlohmann-json3-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  wine wine64 fonts-wine
  xvfb xauth x11-utils xdotool imagemagick
  python3 procps                      # pgrep in the test scripts
  nsis zip                            # make dist: the installer and the portable zip
  ripgrep                             # make bench: the filter's point of comparison
)

installed=$(dpkg-query -W -f='${Package} ${db:Status-Status}\n' "${packages[@]}" 2>/dev/null |
  awk '$2 == "installed" { print $1 }' || true)
missing=()
for p in "${packages[@]}"; do
  if ! grep -qxF "$p" <<<"$installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} == 0)); then
  echo "All ${#packages[@]} packages are installed."
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=()
if ((EUID != 0)); then
  if command -v sudo >/dev/null; then
    sudo=(sudo)
  else
    echo "Not root and no sudo: install these as root: ${missing[*]}" >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update </dev/null
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y --no-install-recommends "${missing[@]}" </dev/null
