#!/usr/bin/env bash
# Builds the program and every benchmark, runs each benchmark under Wine and
# prints each of its figures on one line: "benchmark figure: value unit".
# A figure never fails the run; a benchmark that cannot run says so. Each
# mean gap after a reply is also given as a multiple of this machine's floor
# (framework_turnaround_floor_benchmark), measured right before and after it.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${Q7_BUILD_DIR:-build}
[ -f "$build/CMakeCache.txt" ] ||
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-mingw.cmake >/dev/null
cmake --build "$build" -j"${Q7_JOBS:-4}" >/dev/null
floor_name=framework_turnaround_floor_benchmark

mapfile -t benchmarks < <(find "$build/tests" -name '*_benchmark.exe' ! -name "$floor_name.exe" | sort)
if [ ${#benchmarks[@]} -eq 0 ]; then
  echo "no benchmarks built"
  exit 0
fi

scripts/wine-session start "$build" >/dev/null
trap 'scripts/wine-session stop "$build" >/dev/null 2>&1 || true' EXIT

# Prints the program's figures, each line prefixed with its name; the
# program's exit status.
run() {
  local name output status
  name=$(basename "$1" .exe)
  # Wine's console ends lines with CR LF.
  output=$(scripts/wine-run "$build" "$1" 2>&1 | tr -d '\r'; exit "${PIPESTATUS[0]}") && status=0 || status=$?
  # A figure is "name: number [unit]"; other lines are the benchmark's own talk.
  grep -E '^[^:]+: -?[0-9][0-9.]*( .*)?$' <<<"$output" | sed "s/^/$name /" || true
  [ "$status" -eq 0 ] || echo "$name: failed with exit code $status"
}

# The first mean gap after a reply among figures.
mean_gap() {
  sed -n 's/.*mean gap after a reply \([0-9.]*\) ms.*/\1/p' | head -n 1
}

# The floor moves with the machine's load: each benchmark's gaps are set
# against the mean of the floors measured right before and right after it.
floor_program=$build/tests/framework/$floor_name.exe
figures=$(run "$floor_program")
echo "$figures"
before=$(mean_gap <<<"$figures")
for program in "${benchmarks[@]}"; do
  figures=$(run "$program")
  after=$(run "$floor_program" | mean_gap)
  if grep -q 'mean gap after a reply' <<<"$figures" && [ -n "$before" ] && [ -n "$after" ]; then
    figures=$(awk -v floor="$(awk -v a="$before" -v b="$after" 'BEGIN { print (a + b) / 2 }')" '{
      if (match($0, /mean gap after a reply [0-9.]+ ms/)) {
        gap = substr($0, RSTART + 23, RLENGTH - 26)
        $0 = substr($0, 1, RSTART + RLENGTH - 1) sprintf(" = %.2f x floor %.2f ms", gap / floor, floor) \
             substr($0, RSTART + RLENGTH)
      }
      print
    }' <<<"$figures")
  fi
  [ -z "$figures" ] || echo "$figures"
  before=$after
done
