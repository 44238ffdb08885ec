#!/usr/bin/env bash
# Installs the Debian packages that Zorva's build, tests and benchmarks need.
# Idempotent: when every package is already installed it does nothing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libz80ex-dev pasmo
  libpng-dev libcli11-dev
  xvfb xdotool xclip
  clang libclang-rt-14-dev
  emscripten chromium nodejs
)
# The browser test's driver comes from npm. Debian's nodejs needs the npm
# package; a Node.js that brings its own npm (e.g. NodeSource's) conflicts with it.
if ! command -v npm >/dev/null 2>&1; then
  packages+=(npm)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  run=()
elif command -v sudo >/dev/null 2>&1; then
  run=(sudo)
else
  echo "setup: these Debian packages are missing: ${missing[*]}" >&2
  echo "setup: run this script as root, or install sudo, to install them." >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
"${run[@]}" apt-get update -qq
"${run[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
