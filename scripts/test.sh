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
