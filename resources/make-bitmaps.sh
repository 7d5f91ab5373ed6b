#!/usr/bin/env bash
# Draws the calibration wizards' two pictures with ImageMagick, as 24-bit
# BMP files: calibration-wave.bmp (164 x 314: a carrier over a dark
# gradient, beside a wizard's exterior pages) and calibration-meter.bmp
# (49 x 49: a power meter, at the top of its interior pages). Run it again
# only to change them; the bitmaps are kept in git.
set -euo pipefail
cd "$(dirname "$0")"
wave=""
for x in $(seq 0 4 164); do
  y=$(awk "BEGIN{printf \"%d\", 200 + 28*sin($x/13.0)*exp(-$x/160.0)}")
  wave="$wave $x,$y"
done
convert -size 164x314 gradient:'#0d2840'-'#1f6f8b' \
  -fill none -stroke '#3ddc84' -strokewidth 3 -draw "polyline$wave" \
  -stroke '#c9d1d9' -strokewidth 2 -draw "line 20,120 144,120" \
  -fill '#e8a33d' -stroke '#0b0f14' -strokewidth 1 -draw "rectangle 62,108 102,132" \
  -draw "rectangle 20,116 30,124" -draw "rectangle 134,116 144,124" \
  -type TrueColor BMP3:calibration-wave.bmp
convert -size 49x49 xc:'#ffffff' \
  -fill '#1d2733' -stroke '#0b0f14' -strokewidth 1 -draw "roundrectangle 2,6 46,44 4,4" \
  -fill '#f2f2e6' -stroke none -draw "roundrectangle 6,10 42,32 2,2" \
  -fill none -stroke '#1d2733' -strokewidth 1 -draw "arc 10,16 38,44 200,340" \
  -stroke '#d23c3c' -strokewidth 2 -draw "line 24,30 33,17" \
  -fill '#3ddc84' -stroke none -draw "rectangle 8,36 16,40" \
  -fill '#e8a33d' -draw "rectangle 32,36 40,40" \
  -type TrueColor BMP3:calibration-meter.bmp
