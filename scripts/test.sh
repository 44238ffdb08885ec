#!/usr/bin/env bash
# Sets up, builds and runs every test: the release build with its whole test
# suite (including the real-window check under Xvfb), then the core, machine
# and run tests again under AddressSanitizer and UndefinedBehaviorSanitizer,
# then the five libFuzzer targets for about a minute each, two at a time.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
jobs=$(nproc)

cmake --preset default
cmake --build --preset default -j "$jobs"
ctest --preset default -j "$jobs"

# The web page, compiled with Emscripten and driven in headless Chromium; it
# compares with build/default's zorva-run, built above.
if command -v emcc >/dev/null && command -v chromium >/dev/null && command -v npm >/dev/null; then
  cmake --preset web
  cmake --build --preset web -j "$jobs"
  ctest --preset web
else
  echo "test: skipping the web page: emcc, chromium or npm is missing (scripts/setup.sh installs them)"
fi

# The toolkit-free modules again, under AddressSanitizer and UndefinedBehaviorSanitizer.
# This build, of the whole tree, uses CMake's default generator (Unix Makefiles),
# so that the plain "cmake -S . -B build && cmake --build build" stays working.
cmake --preset asan
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs" -L '^(core|machine|run)$'

# The libFuzzer targets (clang), each for about a minute on a copy of its seed
# corpus; the test preset runs two at a time.
cmake --preset fuzz
cmake --build --preset fuzz -j "$jobs"
ctest --preset fuzz
