#!/usr/bin/env bash
# Redraws the desktop icons into a scratch folder and compares them, byte for byte, with the
# files the package installs: a change to the icon's drawing must come with the icons it draws.
#   check_icons.sh MAKE_ICONS ICON_FOLDER NAME
set -euo pipefail
make_icons=$1 icons=$2 name=$3
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
QT_QPA_PLATFORM=offscreen "$make_icons" "$out" "$name" >/dev/null
status=0 count=0
for drawn in "$out"/*/apps/"$name".png; do
    file=${drawn#"$out"/}
    count=$((count + 1))
    if ! cmp -s "$drawn" "$icons/$file"; then
        echo "$file differs from what the generator draws (run: cmake --build build --target icons)"
        status=1
    fi
done
[ $count -eq 4 ] || { echo "expected 4 icons, got $count"; status=1; }
[ $status -eq 0 ] && echo "$count icons identical to their generator's output"
exit $status
