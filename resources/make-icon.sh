#!/usr/bin/env bash
# Draws the program icon: a white falcon seen from above, gliding across a blue
# disc. Drawn once at 256 px and scaled down to the sizes the program loads:
# 16 and 32 (small and large at 96 DPI), 24 and 48 (the same at 144 DPI).
# make-state-icons.sh draws the tray's link-state variants from the result.
# Usage: resources/make-icon.sh   (writes resources/kestrel.ico; needs ImageMagick)
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Left wing; the right one is its mirror image about x = 128.
left_wing='118,92 90,90 60,98 34,112 10,136 42,130 72,126 100,128 116,136'
right_wing=$(echo "$left_wing" | tr ' ' '\n' | awk -F, '{ printf "%d,%d ", 256 - $1, $2 }')

convert -size 256x256 xc:none -fill white \
    -draw "polygon $left_wing" -draw "polygon $right_wing" \
    -draw 'ellipse 128,118 15,42 0,360' \
    -draw 'circle 128,72 128,58' \
    -draw 'polygon 122,62 134,62 128,50' \
    -draw 'polygon 119,150 108,206 128,214 148,206 137,150' \
    -background none -rotate 24 -resize 80% -gravity center -extent 256x256 \
    "$work/bird.png"

convert -size 256x256 xc:none \
    -fill '#1c5fc4' -stroke '#0f3a80' -strokewidth 10 -draw 'circle 128,128 128,8' \
    "$work/bird.png" -gravity center -composite \
    "$work/kestrel-256.png"

for size in 48 32 24 16; do
    convert "$work/kestrel-256.png" -filter Lanczos -resize ${size}x${size} "$work/kestrel-$size.png"
done
convert "$work/kestrel-16.png" "$work/kestrel-24.png" "$work/kestrel-32.png" "$work/kestrel-48.png" \
    kestrel.ico
