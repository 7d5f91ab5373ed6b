#!/usr/bin/env bash
# screenshot-test.sh BUILD_DIR
# Starts Q7Utility.exe in the test session's Wine prefix and display, saves
# what the screen shows of its main window (the Port page) as
# BUILD_DIR/tests/shell/main-window.png, checks that the picture is not
# blank, and closes the program as a user would (exit code 1).
set -euo pipefail
build=$(cd "$1" && pwd)
# shellcheck disable=SC1091
. "$build/wine/env"
shot=$build/tests/shell/main-window.png
rm -f "$shot"

# No saved port: the Port page comes first. Only the value goes: deleting
# the key that other tests' processes hold open crashes Wine's server.
wine reg delete 'HKCU\Software\Zentrova\Q7 Utility' /v Port /f >/dev/null 2>&1 || true

wine "$build/Q7Utility.exe" >/dev/null 2>&1 &
program=$!
trap 'kill $program 2>/dev/null || true' EXIT

window=""
for _ in $(seq 200); do
  # This program's window: tests of the frame show the same title.
  window=$(xdotool search --onlyvisible --pid "$program" --name '^Zentrova Q7 Utility Version' 2>/dev/null |
           head -n1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "FAIL: no main window appeared" >&2
  exit 1
fi
sleep 1  # let it paint
# import holds the X server while it reads; it must not hold it for long.
timeout 20 import -window "$window" "$shot"

colours=$(identify -format '%k' "$shot")
spread=$(convert "$shot" -colorspace Gray -format '%[fx:int(1000*standard_deviation)]' info:)
size=$(identify -format '%wx%h' "$shot")
# Below the tab strip, left half: the Port page's labels, lists and buttons.
page=$(convert "$shot" -gravity NorthWest -crop 50%x40%+0+60 +repage -format '%k' info:)
echo "main window $size: $colours colours, grey spread $spread/1000, page area $page colours; saved as $shot"

wine taskkill /im Q7Utility.exe >/dev/null 2>&1 || true
status=0
wait $program || status=$?
trap - EXIT

failed=0
if [ "$colours" -lt 16 ]; then echo "FAIL: a blank window ($colours colours)" >&2; failed=1; fi
if [ "$spread" -lt 50 ]; then echo "FAIL: no contrast in the window" >&2; failed=1; fi
if [ "$page" -lt 8 ]; then echo "FAIL: the page area is empty ($page colours)" >&2; failed=1; fi
if [ "$status" -ne 1 ]; then echo "FAIL: the program ended with $status, not 1" >&2; failed=1; fi
exit $failed
