#!/usr/bin/env bash
# Builds the program and every benchmark, runs each benchmark under Wine and
# prints each of its figures on one line: "benchmark figure: value unit".
# A figure never fails the run; a benchmark that cannot run says so.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${Q7_BUILD_DIR:-build}
[ -f "$build/CMakeCache.txt" ] ||
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-mingw.cmake >/dev/null
cmake --build "$build" -j"${Q7_JOBS:-4}" >/dev/null

mapfile -t benchmarks < <(find "$build/tests" -name '*_benchmark.exe' | sort)
if [ ${#benchmarks[@]} -eq 0 ]; then
  echo "no benchmarks built"
  exit 0
fi

scripts/wine-session start "$build" >/dev/null
trap 'scripts/wine-session stop "$build" >/dev/null 2>&1 || true' EXIT
for program in "${benchmarks[@]}"; do
  name=$(basename "$program" .exe)
  # Wine's console ends lines with CR LF.
  output=$(scripts/wine-run "$build" "$program" 2>&1 | tr -d '\r'; exit "${PIPESTATUS[0]}") && status=0 || status=$?
  # A figure is "name: number [unit]"; other lines are the benchmark's own talk.
  grep -E '^[^:]+: -?[0-9][0-9.]*( .*)?$' <<<"$output" | sed "s/^/$name /" || true
  [ "$status" -eq 0 ] || echo "$name: failed with exit code $status"
done
