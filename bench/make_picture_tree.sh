#!/usr/bin/env bash
# Makes a folder tree of many small photos, once: <count> JPEG files of 320 x 240 pixels in
# folders of 200 each. Arguments: the tree, the number of pictures.
set -euo pipefail
tree=$1
count=$2
[ -f "$tree/.complete" ] && exit 0
rm -rf "$tree"
mkdir -p "$tree"
convert -size 320x240 gradient:orange-navy -quality 85 "$tree/.photo.jpg"
for ((i = 0; i < count; ++i)); do
    folder="$tree/album_$((i / 200))"
    [ -d "$folder" ] || mkdir -p "$folder"
    cp "$tree/.photo.jpg" "$folder/photo_$i.jpg"
done
rm "$tree/.photo.jpg"
touch "$tree/.complete"
