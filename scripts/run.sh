#!/usr/bin/env bash
# run.sh [DEVICE [COMn]]
#
# Builds the program and starts it under Wine in a private prefix
# (BUILD/run/prefix, not the tests' prefix). Without arguments the simulated
# transceiver answers on a COM port of that prefix, and the program's Port is
# set to it when none is set; with a serial device (e.g. /dev/ttyUSB0) the
# device becomes COMn (default COM20) and Port is set to it. It starts on the
# Port page, whatever tab was used last in this prefix. The program runs
# on the user's display when there is one, else on a private Xvfb display
# where it is closed again once the screenshot is taken. The screenshot of the
# main window is saved as BUILD/run/q7utility.png. The simulator also takes
# control lines on the loopback, at the address in BUILD/run/control, for
# scripts/radio.sh (the signal generator, TX TEST, the cable, the power, the
# state). With the simulator, a firmware folder of the program that holds no
# firmware is filled with simulated files (tests/firmware/BenchFirmware.h),
# and the simulated radio reports, after each load, the version of the
# folder's file it was sent; a real device has the simulated files removed
# first. Q7_JOBS, when set, is how many build jobs run at once.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps
build=${Q7_BUILD_DIR:-build}
mkdir -p "$build/run"
build=$(cd "$build" && pwd)
run=$build/run
device=${1:-}
com=${2:-COM20}

# One line a step; the tools' own output goes to the log, and only a failing
# step shows it.
log=$run/build.log
: >"$log"
quietly() {
  local what=$1
  shift
  echo "$what"
  if ! "$@" >>"$log" 2>&1; then
    echo "$what failed; the end of $log:" >&2
    tail -n 40 "$log" >&2
    exit 1
  fi
}
# A configured tree keeps its toolchain: passing it again only earns a warning.
[ -f "$build/CMakeCache.txt" ] ||
  quietly "Configuring $build" cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-mingw.cmake
jobs=${Q7_JOBS:-$(nproc)}
quietly "Building Q7Utility.exe" cmake --build "$build" -j"$jobs" --target Q7Utility
quietly "Building the simulated firmware's tool" cmake --build "$build" -j"$jobs" --target bench_firmware
# Only the simulator and the modem-line shim of the native test tree, none of
# its tests.
native=$build/native
[ -f "$native/CMakeCache.txt" ] ||
  quietly "Configuring the simulated transceiver" cmake -S tests/native -B "$native" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++
quietly "Building the simulated transceiver" cmake --build "$native" -j"$jobs" --target q7sim q7modem_i386 q7modem_x86_64
export WINEPREFIX=$run/prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
app_key='HKCU\Software\Zentrova\Q7 Utility'
serialcomm='HKLM\HARDWARE\DEVICEMAP\SERIALCOMM'
# Without it Wine cancels every wait for serial events on a pseudo-terminal;
# ld.so picks the build for each Wine process's word size ($LIB).
shim=""
[ -e "$build/native/lib/i386-linux-gnu/libq7modem.so" ] && shim="$build/native/\$LIB/libq7modem.so"

xvfb="" sim="" program="" mapped=""
cleanup() {
  [ -n "$program" ] && kill "$program" 2>/dev/null || true
  [ -n "$sim" ] && kill "$sim" 2>/dev/null || true
  rm -f "$run/control"
  # The device's COM port goes with the run.
  if [ -n "$mapped" ]; then
    rm -f "$WINEPREFIX/dosdevices/${mapped,,}"
    wine reg delete "$serialcomm" /v Q7UtilityRun /f >/dev/null 2>&1 || true
  fi
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT

# The user's display, or a private one.
if [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1; then
  echo "Display: $DISPLAY"
else
  rm -f "$run/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$run/xvfb.log" 2>&1 3>"$run/display" &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$run/display" ] && break; sleep 0.05; done
  export DISPLAY=:$(head -n1 "$run/display")
  echo "Display: $DISPLAY (Xvfb; no display of yours was found)"
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the Wine prefix $WINEPREFIX (once; about 15 s)"
  wineboot -i >"$run/wineboot.log" 2>&1 || true
  wineserver -w
fi
scripts/wine-fonts
# Without a window manager Wine draws the window frames itself.
if [ -n "$xvfb" ]; then
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
else
  wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
fi

# Runs the command every 0.1 s until it succeeds: at most N times, and only
# while process PID lives.
wait_until() {
  local pid=$1 times=$2
  shift 2
  for _ in $(seq "$times"); do
    "$@" && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
# The simulated firmware in the program's firmware folder: "fill" or
# "remove" (tests/firmware/BenchFirmwareTool.cpp); what it did is in
# $firmware_folder, $firmware_written and $firmware_removed, its requests to
# the simulator in $run/firmware.txt.
bench_firmware() {
  if ! wine "$build/tests/firmware/bench_firmware.exe" "$1" >"$run/firmware.txt" 2>>"$log"; then
    echo "The simulated firmware's tool failed; the end of $log:" >&2
    tail -n 5 "$log" >&2
    exit 1
  fi
  sed -i 's/\r$//' "$run/firmware.txt"
  firmware_folder=$(sed -n 's/^folder //p' "$run/firmware.txt")
  firmware_written=$(sed -n 's/^wrote //p' "$run/firmware.txt")
  firmware_removed=$(sed -n 's/^removed //p' "$run/firmware.txt")
}
saved_port() {
  { wine reg query "$app_key" /v Port 2>/dev/null || true; } | tr -d '\r' | awk '$1 == "Port" { print $3 }'
}
is_listed() {
  { wine reg query "$serialcomm" 2>/dev/null || true; } | tr -d '\r' | awk '{ print $NF }' | grep -qx "$1"
}

if [ -z "$device" ]; then
  "$build/native/simulator/q7sim" --prefix "$WINEPREFIX" --register --listen 127.0.0.1:0 --log "$run/q7sim.log" \
    2>"$run/q7sim.err" &
  sim=$!
  sim_port() { port=$(sed -n 's/^q7sim: \(COM[0-9]*\) is .*/\1/p' "$run/q7sim.err"); [ -n "$port" ]; }
  if ! wait_until "$sim" 200 sim_port; then
    echo "The simulated transceiver did not start:" >&2
    cat "$run/q7sim.err" >&2
    exit 1
  fi
  echo "Simulated transceiver on $port (commands it received: $run/q7sim.log)"
  sed -n 's/^q7sim: control on //p' "$run/q7sim.err" >"$run/control"
  echo "At the bench: scripts/radio.sh generator|switch|unplug|plug|power|state (no arguments: how)"
  bench_firmware fill
  if [ -n "$firmware_written" ]; then
    echo "The program's firmware folder held no firmware: simulated files written to $firmware_folder"
  fi
  while read -r request; do
    if [ "$(scripts/sim-control "$(cat "$run/control")" "$request")" != ok ]; then
      echo "The simulated transceiver refused \"$request\"" >&2
      exit 1
    fi
  done < <(grep '^loader ' "$run/firmware.txt")
  versions=$(sed -n 's/^versions //p' "$run/firmware.txt")
  [ -z "$versions" ] || echo "After a firmware load the simulated radio reports the folder's versions: $versions"
  # A saved port that this prefix no longer has counts as none.
  current=$(saved_port)
  if [ -z "$current" ] || ! is_listed "$current"; then
    wine reg add "$app_key" /v Port /t REG_SZ /d "$port" /f >/dev/null 2>&1
  fi
else
  if [ ! -e "$device" ]; then
    echo "No such device: $device" >&2
    exit 1
  fi
  # Random bytes that only the simulated radio may take.
  bench_firmware remove
  if [ -n "$firmware_removed" ]; then
    echo "Removed $firmware_removed simulated firmware files from $firmware_folder"
  fi
  port=$com
  ln -sfn "$device" "$WINEPREFIX/dosdevices/${port,,}"
  mapped=$port
  wine reg add "$serialcomm" /v Q7UtilityRun /t REG_SZ /d "$port" /f >/dev/null 2>&1
  wine reg add "$app_key" /v Port /t REG_SZ /d "$port" /f >/dev/null 2>&1
  echo "$device is $port"
fi

# The screenshot shows the Port page's status box: the program reopens on the
# tab used last, so this prefix's program starts on the Port page.
wine reg add "$app_key" /v ActivePage /t REG_DWORD /d 0 /f >/dev/null 2>&1

LD_PRELOAD="$shim" wine "$build/Q7Utility.exe" >"$run/wine.log" 2>&1 &
program=$!

main_window() {
  window=$(xdotool search --onlyvisible --pid "$program" --name '^Zentrova Q7 Utility Version' 2>/dev/null |
           head -n1 || true)
  [ -n "$window" ]
}
if ! wait_until "$program" 300 main_window; then
  echo "The program showed no main window (see $run/wine.log)" >&2
  exit 1
fi

# The radio found: the title names its serial number and the open port, and
# the Port page reports the MCU version in its status box.
radio_found() {
  title=$(xdotool getwindowname "$window" 2>/dev/null || true)
  [[ $title == *" - S/N "*" at "*" bit/s"* ]] && xdotool search --onlyvisible --pid "$program" --name '^Q7 Status$' >/dev/null 2>&1
}
wait_until "$program" 300 radio_found || true
sleep 1
# From the screen, so that the status box over the window is in the picture.
eval "$(xdotool getwindowgeometry --shell "$window")"
timeout 20 import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$run/q7utility.png"
echo "Title: $title"
echo "Screenshot: $run/q7utility.png"

status=0
if [ -n "$xvfb" ]; then
  wine taskkill /im Q7Utility.exe >/dev/null 2>&1 || true
  wait "$program" || status=$?
else
  echo "Close the program to end."
  wait "$program" || status=$?
fi
program=""
# A normal close ends the program with exit code 1.
if [ "$status" -ne 1 ]; then
  echo "Q7Utility.exe ended with exit code $status" >&2
  exit 1
fi
echo "Q7Utility.exe closed."
