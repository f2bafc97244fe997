#!/usr/bin/env bash
# Redraws the pictures into a scratch folder and compares them, byte for byte, with the files
# the program embeds: a change to the generator must come with the pictures it draws.
#   check_pictures.sh MAKE_PICTURES FONT_FOLDER PICTURE_FOLDER
set -euo pipefail
make_pictures=$1 fonts=$2 pictures=$3
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
QT_QPA_PLATFORM=offscreen "$make_pictures" "$fonts" "$out" >/dev/null
status=0
for drawn in "$out"/*.png; do
    name=$(basename "$drawn")
    if ! cmp -s "$drawn" "$pictures/$name"; then
        echo "$name differs from what the generator draws (run: cmake --build build --target pictures)"
        status=1
    fi
done
[ "$(ls "$out" | wc -l)" -eq 6 ] || { echo "expected 6 pictures, got $(ls "$out" | wc -l)"; status=1; }
[ $status -eq 0 ] && echo "6 pictures identical to their generator's output"
exit $status
