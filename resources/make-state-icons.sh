#!/usr/bin/env bash
# Draws the tray icon's looks for a link that is not up, from every image of
# kestrel.ico:
#   kestrel-greyed.ico   the service is not running: the icon without colour,
#                        lighter;
#   kestrel-warning.ico  the service does not answer, speaks another version or
#                        its pipe is not trusted: the icon with a warning
#                        triangle in its bottom-right corner, cut free by a
#                        transparent gap. The triangle's shape tells it apart
#                        without its colour.
# The triangle is drawn for each size on that size's pixel grid (8 times
# finer, then averaged), so that it stays sharp at 16 and 24 px.
# Usage: resources/make-state-icons.sh   (after make-icon.sh; needs ImageMagick)
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Per size, in pixels of that size: the triangle's left base corner (its right
# one is the icon's bottom-right corner) and apex top, the exclamation mark's
# left and right edges, its stroke's top and bottom and its dot's top and
# bottom, the outline's width and the gap's width.
declare -A marks=(
    [16]="6 6   10 12  9 12   13 15  1 1"
    [24]="10 12 16 18  15 20  21 23  1 1"
    [32]="14 16 22 24  20 26  27 29  1 1"
    [48]="22 24 34 36  30 40  42 44  1 2"
)
fill='#ffc21a'
ink='#3b2c00'
k=8

greyed=()
warning=()
count=$(identify kestrel.ico | wc -l)
for ((i = 0; i < count; i++)); do
    size=$(identify -format '%w' "kestrel.ico[$i]")
    [ -n "${marks[$size]:-}" ] || { echo "no warning mark drawn for ${size} px" >&2; exit 1; }
    read -r left top stemLeft stemRight stemTop stemBottom dotTop dotBottom outline gap \
        <<<"${marks[$size]}"
    convert "kestrel.ico[$i]" "$work/plain-$size.png"

    convert "$work/plain-$size.png" -modulate 100,0 +level 30%,85% \
        -define png:color-type=6 "$work/greyed-$size.png"
    greyed+=("$work/greyed-$size.png")

    fine=$((size * k))
    apex=$(((left + size) * k / 2))
    triangle="$apex,$((top * k)) $fine,$fine $((left * k)),$fine"
    g=$((gap * k))
    halo="$apex,$((top * k - 2 * g)) $((fine + 2 * g)),$((fine + g)) $((left * k - 2 * g)),$((fine + g))"
    convert -size ${fine}x${fine} xc:none -fill black -draw "polygon $halo" \
        -filter box -resize ${size}x${size} "$work/gap-$size.png"
    convert -size ${fine}x${fine} xc:none \
        -fill "$ink" -stroke "$ink" -strokewidth $((outline * k * 2)) -draw "polygon $triangle" \
        -fill "$fill" -stroke none -draw "polygon $triangle" \
        -fill "$ink" \
        -draw "rectangle $((stemLeft * k)),$((stemTop * k)) $((stemRight * k - 1)),$((stemBottom * k - 1))" \
        -draw "rectangle $((stemLeft * k)),$((dotTop * k)) $((stemRight * k - 1)),$((dotBottom * k - 1))" \
        -filter box -resize ${size}x${size} "$work/mark-$size.png"
    convert "$work/plain-$size.png" "$work/gap-$size.png" -compose DstOut -composite \
        "$work/mark-$size.png" -compose Over -composite "$work/warning-$size.png"
    warning+=("$work/warning-$size.png")
done
convert "${greyed[@]}" kestrel-greyed.ico
convert "${warning[@]}" kestrel-warning.ico
