#!/usr/bin/env bash
# Makes the folder tree of the picture folder scan benchmark, once: 4 x 3 folders, each with
# 25 JPEG files of 12 megapixels, 15 small PNG and 8 small GIF pictures, 5 text files and
# 3 binary files of 1 MiB that are no pictures, and a few pictures at the top.
# Arguments: a folder holding 12-megapixel JPEG files (*_4000x3000.jpg, *_3000x4000.jpg), the tree.
set -euo pipefail
inputs=$1
tree=$2
[ -f "$tree/.complete" ] && exit 0
rm -rf "$tree"
mkdir -p "$tree"
mapfile -t photos < <(ls "$inputs"/*_4000x3000.jpg "$inputs"/*_3000x4000.jpg 2>/dev/null)
[ "${#photos[@]}" -gt 0 ] || { echo "no 12-megapixel JPEG files in $inputs" >&2; exit 1; }
small="$tree/.small"
mkdir -p "$small"
convert -size 64x48 gradient:red-blue "$small/small.png"
convert -size 40x40 gradient:green-yellow "$small/small.gif"
head -c 1048576 /dev/urandom > "$small/binary.bin"
for top in A B C D; do
    for sub in one two three; do
        leaf="$tree/$top/$sub"
        mkdir -p "$leaf"
        for i in $(seq 1 25); do cp "${photos[$((i % ${#photos[@]}))]}" "$leaf/IMG_$i.JPG"; done
        for i in $(seq 1 15); do cp "$small/small.png" "$leaf/icon_$i.png"; done
        for i in $(seq 1 8); do cp "$small/small.gif" "$leaf/anim_$i.gif"; done
        for i in $(seq 1 5); do echo "notes $top $sub $i" > "$leaf/notes_$i.txt"; done
        for i in $(seq 1 3); do cp "$small/binary.bin" "$leaf/data_$i.bin"; done
    done
    cp "$small/small.png" "$tree/$top/cover.png"
done
rm -rf "$small"
touch "$tree/.complete"
