#!/usr/bin/env bash
# Draws the program's icon (resources/q7utility.ico) with ImageMagick: a dark
# transceiver front with a green display and a tuning knob, at 16, 32 and 48
# pixels. Run it again only to change the picture; the icon is kept in git.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for size in 16 32 48; do
  s=$(( size ))
  k=$(awk "BEGIN{print $s/32}")
  px() { awk "BEGIN{printf \"%d\", $1*$k+0.5}"; }
  convert -size ${s}x${s} xc:none \
    -fill '#1d2733' -stroke '#0b0f14' -strokewidth 1 \
    -draw "roundrectangle $(px 1),$(px 6) $(px 30),$(px 26) $(px 3),$(px 3)" \
    -fill '#3ddc84' -stroke none \
    -draw "rectangle $(px 4),$(px 10) $(px 17),$(px 16)" \
    -fill '#0b3d20' \
    -draw "rectangle $(px 6),$(px 12) $(px 8),$(px 14)" \
    -draw "rectangle $(px 10),$(px 12) $(px 12),$(px 14)" \
    -fill '#c9d1d9' -stroke '#0b0f14' -strokewidth 1 \
    -draw "circle $(px 24),$(px 16) $(px 24),$(px 11)" \
    -fill '#e8a33d' -stroke none \
    -draw "rectangle $(px 4),$(px 19) $(px 7),$(px 22)" \
    -draw "rectangle $(px 9),$(px 19) $(px 12),$(px 22)" \
    -draw "rectangle $(px 14),$(px 19) $(px 17),$(px 22)" \
    "$tmp/icon$s.png"
done
convert "$tmp/icon16.png" "$tmp/icon32.png" "$tmp/icon48.png" q7utility.ico
