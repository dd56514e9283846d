#!/usr/bin/env bash
# Draws the two built-in tray pictures (standby: an open eye, concealment: a closed eye) at 256 px
# with ImageMagick and scales them to the sizes a notification area asks for. The PNGs are
# committed; run this again only to change the drawing.
set -euo pipefail
cd "$(dirname "$0")"

draw() {  # draw NAME BACKGROUND EYE-COMMANDS...
    local name=$1 background=$2; shift 2
    convert -size 256x256 xc:none \
        -fill "$background" -stroke none -draw "roundrectangle 8,8 247,247 56,56" \
        "$@" "$name-256.png"
    for size in 16 22 24 32 48 64; do
        convert "$name-256.png" -filter Lanczos -resize "${size}x${size}" -depth 8 -strip \
            -define png:exclude-chunks=date,time "$name-$size.png"
    done
    rm "$name-256.png"
}

# Standby: a white almond with a dark iris on teal.
draw standby '#1f8a8a' \
    -fill white -draw "ellipse 128,128 100,58 0,360" \
    -fill '#0b3d3d' -draw "circle 128,128 128,170" \
    -fill white -draw "circle 142,112 142,124"

# Points of the lid's curve, a quadratic from (36,104) through (128,152) to (220,104). (A stroked
# "path" would be closed by ImageMagick 6.)
lid_points() {
    awk 'BEGIN { for (i = 0; i <= 16; i++) { t = i / 16;
        x = (1-t)*(1-t)*36 + 2*t*(1-t)*128 + t*t*220; y = (1-t)*(1-t)*104 + 2*t*(1-t)*200 + t*t*104;
        printf "%.1f,%.1f ", x, y } }'
}

# Concealment: the lid shut, a white arc with lashes on slate grey.
draw concealment '#4a5568' \
    -fill none -stroke white -strokewidth 22 \
    -draw "stroke-linecap round stroke-linejoin round polyline $(lid_points)" \
    -strokewidth 16 -draw "line 84,150 66,192" -draw "line 128,160 128,206" -draw "line 172,150 190,192"
