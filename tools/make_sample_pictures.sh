#!/usr/bin/env bash
# Draws the three sample pictures the program shows before the user picks any, into
# src/res/samples/. Run it again after changing a drawing; the JPEG files it writes are
# committed. Needs ImageMagick.
set -euo pipefail
out="$(cd "$(dirname "$0")/.." && pwd)/src/res/samples"
mkdir -p "$out"

# Dawn: a warm sky over dark hills with a low sun.
convert -size 320x320 gradient:'#ffb347-#4a2c6f' \
    -fill '#fff2b0' -draw 'circle 210,200 210,236' \
    -fill '#2b1d3a' -draw 'polygon 0,250 60,205 130,240 200,190 270,235 320,210 320,320 0,320' \
    -fill '#1a1226' -draw 'polygon 0,285 90,250 170,280 250,255 320,275 320,320 0,320' \
    -quality 80 "$out/sample_dawn.jpg"

# Sea: bands of water under a pale sky, with a sail.
convert -size 320x320 gradient:'#dff3ff-#1b6ca8' \
    -fill '#0e4d7a' -draw 'rectangle 0,170 320,320' \
    -fill '#2a7ab8' -draw 'rectangle 0,190 320,200' -draw 'rectangle 0,230 320,238' -draw 'rectangle 0,275 320,281' \
    -fill '#ffffff' -draw 'polygon 150,80 150,165 205,165' \
    -fill '#6b3e1f' -draw 'polygon 120,168 215,168 200,182 132,182' \
    -quality 80 "$out/sample_sea.jpg"

# Garden: a field of coloured blossoms on green.
args=()
for i in $(seq 0 47); do
    x=$(( (i * i * 37 + i * 101) % 300 + 10 )); y=$(( (i * i * 59 + i * 17) % 300 + 10 )); r=$(( i % 5 + 8 ))
    colours=('#ff5f7e' '#ffd23f' '#b084f5' '#ff9f1c' '#f7f7ff')
    args+=(-fill "${colours[$((i % 5))]}" -draw "circle $x,$y $((x + r)),$y")
done
convert -size 320x320 gradient:'#9be15d-#2e8b57' "${args[@]}" -quality 85 "$out/sample_garden.jpg"
ls -l "$out"
