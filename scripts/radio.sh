#!/usr/bin/env bash
# radio.sh [--control HOST:PORT] ACTION
#
# Does to the simulated transceiver of scripts/run.sh what a technician does
# at the bench while the program runs:
#     generator main|sub DBM|off   sets the signal generator on a receiver's
#                                  input to DBM (e.g. -73), or switches it off
#     switch test|norm             flips the TX TEST/NORM switch
#     unplug                       pulls the cable (the COM port goes away)
#     plug                         plugs it back in
#     power off|on                 the radio's power switch: off, nothing
#                                  answers and it stops transmitting; on, it
#                                  starts afresh, its settings kept
#     state                        prints the radio's state, a setting a line
# It reaches the simulator over the control line that run.sh opens on the
# loopback (its address is in BUILD/run/control; --control names another).
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  sed -n '2,16s/^# \{0,1\}//p' scripts/radio.sh >&2
  exit 2
}

control=""
if [ "${1:-}" = --control ]; then
  [ $# -ge 2 ] || usage
  control=$2
  shift 2
fi

case "${1:-} $#" in
  "generator 3")
    [[ $2 == main || $2 == sub ]] && [[ $3 == off || $3 =~ ^-?[0-9]+$ ]] || usage
    request="dsp signal $2 $3" ;;
  "switch 2")
    case $2 in
      test) request="set tx-test 1" ;;
      norm) request="set tx-test 0" ;;
      *) usage ;;
    esac ;;
  "power 2")
    [[ $2 == on || $2 == off ]] || usage
    request="power $2" ;;
  "unplug 1" | "plug 1" | "state 1") request=$1 ;;
  *) usage ;;
esac

if [ -z "$control" ]; then
  file=${Q7_BUILD_DIR:-build}/run/control
  if [ ! -s "$file" ]; then
    echo "No simulated transceiver is running: start scripts/run.sh first." >&2
    exit 1
  fi
  control=$(cat "$file")
fi

if ! { exec 3<>"/dev/tcp/${control%:*}/${control##*:}"; } 2>/dev/null; then
  echo "The simulated transceiver does not answer at $control." >&2
  exit 1
fi
printf '%s\n' "$request" >&3
answer=""
IFS= read -r -t 10 answer <&3 2>/dev/null || true
case $answer in
  ok) ;;
  "ok "*) tr ' ' '\n' <<<"${answer#ok }" ;;
  error*) echo "The simulated transceiver refused \"$request\": ${answer#error }" >&2; exit 1 ;;
  *) echo "The simulated transceiver gave no answer to \"$request\"." >&2; exit 1 ;;
esac
