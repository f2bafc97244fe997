#!/usr/bin/env bash
# End-to-end test of the display, on an Xvfb server of its own with a 1920 x 1200 screen:
#   a) the window opens at the largest factor its screen holds (x2 here);
#   b) Ctrl+-, Ctrl+0, Ctrl++ and Ctrl+= step through x1.75, x1.5, x1, x1.25, x1.5: the layout
#      (the speed marks move) and the drawing (drawn at the factor's scale) change;
#   c) Ctrl+C puts on the clipboard a PNG equal to the drawing on screen (read with xclip), at
#      x1.5 and, after two Ctrl++, at x2;
#   d) Ctrl+S and the file dialog write a PNG of the drawing's size, equal to it;
#   e) F11 shows the layout full screen at the largest factor that fits to the hundredth, centred
#      (x2.13 here, and x1.91 on a 1920 x 1080 screen: its drawing area 1480 pixels wide);
#      Échap leaves;
#   f) a save into a folder the program may not write to says so in a French message box and
#      leaves nothing there. As root, who may write anywhere, the program is run as the
#      unprivileged user nobody for this part.
#
#   usage: e2e_display.sh PATH/TO/pll
# Quiet on success (one summary line); on failure it keeps its work folder (screenshots, files,
# program and server logs); E2E_KEEP=1 keeps it on success too.
set -uo pipefail

PLL=${1:-}
WORK=""
source "$(dirname "$0")/x_session.sh"
handle_exit

require_program Xvfb xdotool xdpyinfo xclip "$CONVERT" "$IMPORT"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/pll-display.XXXXXX") || fail "cannot create a work folder"
chmod 755 "$WORK"

start_xvfb 250 299 1920x1200
start_program "$PLL"

# scaled Z X...: each X times factor Z, rounded to the pixel as the program rounds its edges.
scaled() { local z=$1; shift; for x; do awk -v z="$z" -v x="$x" 'BEGIN { printf "%d ", int(x * z + 0.5) }'; done; }
# at Z X Y: the middle of the block that window pixel (X, Y) of the classic layout becomes at
# factor Z.
at() { scaled "$1" "$2.5" "$3.5"; }
menu_at() {
    [ "$(pixel $(at "$1" $REDUCER_X $REDUCER_Y))" = $YELLOW ] && [ "$(pixel $(at "$1" $QUARTZ_X $QUARTZ_Y))" = $LIME ]
}
# The "+" speed mark, blue, where the layout at factor Z puts it.
plus_mark_at() { [ "$(blue_count $(scaled "$1" 650 500 14 20))" -gt 0 ]; }
layout_at() { menu_at "$1" && plus_mark_at "$1"; }
same() { [ "$("$CONVERT" "$1" "$2" -metric AE -compare -format '%[distortion]' info: 2>/dev/null)" = 0 ]; }
key() { xdotool key "$1"; sleep 0.3; }
# A click on the window's empty face beyond the layout: the keys go to the window.
focus_window() { click 1880 1050; }

# a) the start factor.
wait_for 10 start layout_at 2 || fail "the window did not open with the layout at x2 on a 1920 x 1200 screen; screenshot $SHOT"
focus_window

# b) the zoom keys.
zoom_keys() {
    local step
    for step; do
        set -- $step
        key "$1"
        wait_for 5 "zoom-$1-$2" layout_at "$2" || fail "after $1 the layout is not at x$2; screenshot $SHOT"
    done
}
zoom_keys "ctrl+minus 1.75" "ctrl+minus 1.5" "ctrl+0 1" "ctrl+plus 1.25" "ctrl+equal 1.5"

# c) the clipboard holds the drawing, drawn at the factor: at Z, the drawing area's place and size.
drawing() {
    local x y w h
    read -r x y w h <<<"$(scaled "$1" 10 16 775 465)"
    "$CONVERT" "$SHOT" -crop "${w}x${h}+$((WX + x))+$((WY + y))" +repage "$WORK/$2.png"
}
copy_is_shown() {
    shoot "copied-x$1"; drawing "$1" "shown-x$1"
    key ctrl+c
    xclip -selection clipboard -t image/png -o >"$WORK/clipboard.png" 2>"$WORK/xclip.log" ||
        fail "no PNG on the clipboard after Ctrl+C (see $WORK/xclip.log)"
    same "$WORK/clipboard.png" "$WORK/shown-x$1.png" ||
        fail "at x$1 the clipboard's PNG ($("$CONVERT" "$WORK/clipboard.png" -format '%wx%h' info:)) is not the drawing on screen ($WORK/shown-x$1.png)"
}
copy_is_shown 1.5
zoom_keys "ctrl+plus 1.75" "ctrl+plus 2"
copy_is_shown 2

# save_as PATH: Ctrl+S, PATH typed in the file dialog, Return.
save_as() {
    local deadline=$((SECONDS + 10)) dialog=""
    key ctrl+s
    while [ -z "$dialog" ]; do
        [ $SECONDS -ge $deadline ] && fail "no file dialog after Ctrl+S; screenshot $(shoot no-dialog; echo "$SHOT")"
        sleep 0.1
        dialog=$(message_box "Enregistrer l'image")
    done
    # A dialog just mapped may not take keys yet on a loaded machine: give it a moment.
    sleep 0.5
    xdotool windowfocus --sync "$dialog" key ctrl+a
    xdotool type --delay 5 "$1"
    shoot typed >/dev/null
    xdotool key Return
}

# d) a PNG of the drawing's size, equal to it.
mkdir "$WORK/saved"
save_as "$WORK/saved/picture.png"
deadline=$((SECONDS + 10))
until [ -s "$WORK/saved/picture.png" ]; do
    [ $SECONDS -ge $deadline ] && fail "no $WORK/saved/picture.png 10 s after the dialog; the dialog as typed in: $SHOT"
    sleep 0.1
done
same "$WORK/saved/picture.png" "$WORK/shown-x2.png" ||
    fail "the saved PNG ($("$CONVERT" "$WORK/saved/picture.png" -format '%wx%h' info:)) is not the drawing at x2"

# e) full screen from x1: the layout at the largest factor to the hundredth, centred on the screen.
# full_screen_at Z: the layout at Z (an extent of 800 x 563 at x1) centred, the window at 0,0.
full_screen_at() {
    local w h
    read -r w h <<<"$(scaled "$1" 800 563)"
    local left=$(((1920 - w) / 2)) top=$(((${SCREEN_HEIGHT} - h) / 2)) rx ry
    read -r rx ry <<<"$(at "$1" $REDUCER_X $REDUCER_Y)"
    [ "$(pixel $((left + rx)) $((top + ry)))" = $YELLOW ] &&
        [ "$(blue_count $(scaled "$1" 650 500 14 20 | awk -v l=$left -v t=$top '{ print $1 + l, $2 + t, $3, $4 }'))" -gt 0 ]
}
focus_window
key ctrl+0
wait_for 5 back-to-x1 layout_at 1 || fail "Ctrl+0 did not bring x1 back; screenshot $SHOT"
key F11
SCREEN_HEIGHT=1200
wait_for 5 full-screen full_screen_at 2.13 || fail "F11 did not show the layout at x2.13 centred on the screen; screenshot $SHOT"
key Escape
wait_for 5 windowed layout_at 1 || fail "Échap did not bring the window back at x1; screenshot $SHOT"
stop_session

# ... and on a 1920 x 1080 screen, where the window opens at x1 (x2 would not fit): x1.91, the
# drawing area 1480 pixels wide, equal to the picture drawn at x1.91 that Ctrl+C copies.
start_xvfb 250 299 1920x1080
start_program "$PLL"
wait_for 10 start-1080 layout_at 1 || fail "the window did not open at x1 on a 1920 x 1080 screen; screenshot $SHOT"
focus_window
key F11
SCREEN_HEIGHT=1080
wait_for 5 full-screen-1080 full_screen_at 1.91 || fail "F11 did not show the layout at x1.91 on 1920 x 1080; screenshot $SHOT"
WX=$(((1920 - 1528) / 2)); WY=$(((1080 - 1075) / 2))
copy_is_shown 1.91
[ "$("$CONVERT" "$WORK/shown-x1.91.png" -format '%w' info:)" = 1480 ] || fail "at x1.91 the drawing area is not 1480 pixels wide"
WX=0; WY=0
stop_session

# f) a folder the program may not write to. The program, its home and runtime folder are the
#    user's it runs as.
mkdir -m 555 "$WORK/locked"
mkdir -m 700 "$WORK/home" "$WORK/user-runtime"
cp "$PLL" "$WORK/pll"
run_as=()
if [ "$(id -u)" = 0 ]; then
    chown nobody "$WORK/home" "$WORK/user-runtime"
    run_as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
start_xvfb 250 299 1920x1200
start_program "${run_as[@]}" env HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/user-runtime" "$WORK/pll"
wait_for 10 restarted layout_at 2 || fail "the program run as $("${run_as[@]}" id -un) did not draw its menu; screenshot $SHOT"
focus_window
save_as "$WORK/locked/picture.png"
EXPECTED="L'image n'a pas été enregistrée dans « $WORK/locked/picture.png » : le dossier « $WORK/locked » n'est pas accessible en écriture."
deadline=$((SECONDS + 10))
until BOX=$(message_box Enregistrement) && [ -n "$BOX" ]; do
    [ $SECONDS -ge $deadline ] && fail "no 'Enregistrement' box after saving into a read-only folder; screenshot $(shoot no-box; echo "$SHOT")"
    sleep 0.1
done
grep -qxF "$EXPECTED" "$WORK/pll.log" || fail "the program did not say: $EXPECTED (its output: $WORK/pll.log)"
close_box "$BOX"
[ -z "$(ls -A "$WORK/locked")" ] || fail "the failed save left $(ls -A "$WORK/locked") in the folder"
alive "after the failed save"
wait_for 5 goes-on layout_at 2 || fail "the window does not go on after the failed save; screenshot $SHOT"

echo "e2e_display: PASS (opens at x2; Ctrl+-, Ctrl+0, Ctrl++, Ctrl+= step through x1.75 to x2; clipboard PNG at" \
     "x1.5 and x2 and saved PNG equal to the drawing; F11 centred at x2.13, Échap back; F11 at x1.91 on 1920 x 1080; read-only folder refused${run_as[*]:+ as nobody}, nothing left) on $DISPLAY"
[ "${E2E_KEEP:-0}" = 1 ] && echo "e2e_display: screenshots kept in $WORK"
exit 0
