#!/usr/bin/env bash
# Builds the program and its tests and runs every test under Wine.
# On a fresh Debian 12 machine it first installs what it needs. Q7_JOBS, when
# set, is how many build jobs and tests run at once (a shared machine).
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
cmake --build "$build" -j"${Q7_JOBS:-$(nproc)}"
# Most tests wait on the simulated line and the radio's mandated pauses, not
# on the processor: two cores run four of them at once.
jobs=$(nproc)
[ "$jobs" -ge 4 ] || jobs=4
jobs=${Q7_JOBS:-$jobs}
ctest --test-dir "$build" -j"$jobs" --output-on-failure
