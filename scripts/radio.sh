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
#     state                        prints the radio's state, a setting a line,
#                                  after a line on the names
# It reaches the simulator over the control line that run.sh opens on the
# loopback (its address is in BUILD/run/control; --control names another).
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  sed -n '2,17s/^# \{0,1\}//p' scripts/radio.sh >&2
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

status=0
answer=$(scripts/sim-control "$control" "$request") || status=$?
if [ "$status" -eq 1 ]; then
  echo "The simulated transceiver does not answer at $control." >&2
  exit 1
fi
case $answer in
  ok) ;;
  "ok "*)
    if [ "$request" = state ]; then
      echo "# fa fb VFOs A and B in Hz, bn band, pc power in W, an antenna, rt xt ro RIT, XIT and its offset," \
        "q5 q7 command modes, tt text output, ai auto information, sb second receiver on, ln VFO link," \
        "md ra pa rg sq bw mode, attenuator, preamp, RF gain, squelch and bandwidth (\$: the second receiver's)," \
        "menu the menu shown, db VFO B display, tx keyed, mNNN menu NNN's setting," \
        "dsp-main dsp-sub the receivers' RF gain tables, signal-main signal-sub the generator in dBm"
    fi
    tr ' ' '\n' <<<"${answer#ok }" ;;
  error*) echo "The simulated transceiver refused \"$request\": ${answer#error }" >&2; exit 1 ;;
  *) echo "The simulated transceiver gave no answer to \"$request\"." >&2; exit 1 ;;
esac
