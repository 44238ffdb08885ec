#!/usr/bin/env bash
# Sets up, builds and starts Zorva on our own system ROM.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset default
cmake --build --preset default -j "$(nproc)"
# The build leaves our ROM as aquarius.rom beside the program, where it looks first.
cd build/default
exec ./zorva "$@"
