#!/usr/bin/env bash
# Builds the program and its tests and runs every test under Wine.
# On a fresh Debian 12 machine it first installs what it needs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps
build=${Q7_BUILD_DIR:-build}
# The toolchain is given once: a configured tree keeps it (and warns if told again).
if [ -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" >/dev/null
else
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-mingw.cmake >/dev/null
fi
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" -j"$(nproc)" --output-on-failure
