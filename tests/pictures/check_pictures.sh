#!/usr/bin/env bash
# Redraws the pictures into a scratch folder and compares them, byte for byte, with the files
# the program embeds, at their own size and at every larger scale it carries: a change to the
# generator must come with the pictures it draws.
#   check_pictures.sh MAKE_PICTURES FONT_FOLDER PICTURE_FOLDER
set -euo pipefail
make_pictures=$1 fonts=$2 pictures=$3
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
QT_QPA_PLATFORM=offscreen "$make_pictures" "$fonts" "$out" >/dev/null
status=0
count=0
while IFS= read -r drawn; do
    name=${drawn#"$out"/}
    count=$((count + 1))
    if ! cmp -s "$drawn" "$pictures/$name"; then
        echo "$name differs from what the generator draws (run: cmake --build build --target pictures)"
        status=1
    fi
done < <(find "$out" -name '*.png' | sort)
expected=$(find "$pictures" -name '*.png' | wc -l)
[ "$count" -eq 42 ] && [ "$expected" -eq 42 ] ||
    { echo "expected 6 pictures at 7 scales: the generator drew $count, $expected are carried"; status=1; }
[ $status -eq 0 ] && echo "$count pictures identical to their generator's output"
exit $status
