#!/usr/bin/env bash
# Draws the application icon for menus and launchers: the standby picture of the notification icon
# (a white almond with a dark iris on teal, resources/icons/make-icons.sh), at 256 and 128 px with
# ImageMagick and as an SVG from the same numbers. The smaller sizes are the tray pictures
# themselves. The files are committed; run this again only to change the drawing.
set -euo pipefail
cd "$(dirname "$0")"

convert -size 256x256 xc:none \
    -fill '#1f8a8a' -stroke none -draw "roundrectangle 8,8 247,247 56,56" \
    -fill white -draw "ellipse 128,128 100,58 0,360" \
    -fill '#0b3d3d' -draw "circle 128,128 128,170" \
    -fill white -draw "circle 142,112 142,124" \
    -depth 8 -strip -define png:exclude-chunks=date,time zelmora2nd-256.png
convert zelmora2nd-256.png -filter Lanczos -resize 128x128 \
    -depth 8 -strip -define png:exclude-chunks=date,time zelmora2nd-128.png

cat > zelmora2nd.svg <<'SVG'
<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">
  <rect x="8" y="8" width="240" height="240" rx="56" ry="56" fill="#1f8a8a"/>
  <ellipse cx="128" cy="128" rx="100" ry="58" fill="#ffffff"/>
  <circle cx="128" cy="128" r="42" fill="#0b3d3d"/>
  <circle cx="142" cy="112" r="12" fill="#ffffff"/>
</svg>
SVG
