#!/bin/sh
# Draws Lumo's icon (a detector ring around a point source and the star of its
# back-projection strips) with ImageMagick and writes the PNG sizes that are installed.
# The PNGs are kept in the repository; run this again only to change the picture.
set -e
cd "$(dirname "$0")/icons"
big=$(mktemp --suffix=.png)
trap 'rm -f "$big"' EXIT
# Drawn at 512 x 512 and reduced, so the small sizes stay smooth.
convert -size 512x512 xc:none \
  -fill '#1f4e8c' -draw 'roundrectangle 16,16 496,496 72,72' \
  -fill none -stroke '#e8f0ff' -strokewidth 26 -draw 'circle 256,256 256,70' \
  -stroke '#ffd84d' -strokewidth 10 \
  -draw 'line 256,110 256,402' -draw 'line 110,256 402,256' \
  -draw 'line 153,153 359,359' -draw 'line 153,359 359,153' \
  -stroke none -fill '#ff3b30' -draw 'circle 256,256 256,222' \
  -fill '#ffffff' -draw 'circle 248,248 248,238' \
  "$big"
for size in 48 128 256; do
  convert "$big" -filter Lanczos -resize ${size}x${size} -strip PNG32:lumo-$size.png
done
