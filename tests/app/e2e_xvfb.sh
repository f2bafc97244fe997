#!/usr/bin/env bash
# End-to-end test: starts the program on its own Xvfb server, clicks through
# the topic list and the start button as a user would, and checks the pixels
# on screen after each step.
#
#   usage: e2e_xvfb.sh PATH/TO/pll
#
# Quiet on success (one summary line). On failure it prints what it saw and
# keeps its work folder (screenshots, program and server logs); E2E_KEEP=1
# keeps it on success too.
set -uo pipefail

PLL=${1:-}
WORK=""
source "$(dirname "$0")/x_session.sh"
handle_exit

require_program Xvfb xdotool xdpyinfo "$CONVERT" "$IMPORT"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/pll-e2e.XXXXXX") || fail "cannot create a work folder"

start_xvfb 90 140
start_program "$PLL"

cleared() { [ "$(pixel $REDUCER_X $REDUCER_Y)" = "$FACE" ]; }

describe_menu() {
    echo "($REDUCER_X,$REDUCER_Y)=$(pixel $REDUCER_X $REDUCER_Y) expected $YELLOW;" \
         "($QUARTZ_X,$QUARTZ_Y)=$(pixel $QUARTZ_X $QUARTZ_Y) expected $LIME; screenshot $SHOT"
}

# a) the timer tick draws the menu page.
sleep 0.3
wait_for 5 menu menu_drawn || fail "menu page not drawn: $(describe_menu)"
FACE=$(pixel 400 400)
[ "$FACE" != $YELLOW ] || fail "background at (400,400) is yellow, expected the button face; screenshot $SHOT"
[ "$(blue_count 650 500 14 20)" -gt 0 ] && [ "$(blue_count 790 500 14 20)" -gt 0 ] ||
    fail "the blue speed marks '+' and '-' are not beside the scroll bar; screenshot $SHOT"

# The title label writes in maroon on the real server too (a child of the button-face window
# would otherwise take the button-text colour).
maroon_count() {
    "$CONVERT" "$SHOT" -crop "$3x$4+$((WX + $1))+$((WY + $2))" +repage \
        -fill black +opaque 'rgb(128,0,0)' -fill white -opaque 'rgb(128,0,0)' \
        -format '%[fx:round(mean*w*h)]' info:
}
[ "$(maroon_count 168 0 296 13)" -gt 20 ] ||
    fail "the title label at (168,0) is not maroon: $(maroon_count 168 0 296 13) maroon pixels; screenshot $SHOT"

# b) closed-loop topic at one operating point: the animation plays to its last frame, which
#    holds the setpoint wave and the ends of the two phase ramps.
click $LIST_X "$(list_entry_y 2)"
click $BUTTON_X $BUTTON_Y
wait_for 5 closedloop wave_drawn ||
    fail "operating-point page not drawn: setpoint (430,166)=$(pixel 430 166) expected $BLUE; $(describe_menu)"
wait_for 15 closedloop-end ramps_ended ||
    fail "phase ramps did not reach their ends: (759,171)=$(pixel 759 171) expected $BLUE," \
         "(759,191)=$(pixel 759 191) expected $BLACK; screenshot $SHOT"

# b2) playback from the keyboard, on the restarted animation: P pauses it (the picture holds and
#     the status line under the start button reads "Pause — image ..."), "," steps back a frame,
#     and P again lets it run to its end.
drawing() { "$CONVERT" "$SHOT" -crop "775x465+$((WX + 10))+$((WY + 16))" +repage "$WORK/$1.png"; }
click $BUTTON_X $BUTTON_Y
sleep 0.5
xdotool key p
sleep 0.2
shoot paused-1; drawing paused-1
[ "$(colour_count 456 523 200 13 $BLACK)" -gt 20 ] || fail "no status line under the start button while paused; screenshot $SHOT"
sleep 0.4
shoot paused-2; drawing paused-2
"$CONVERT" "$WORK/paused-1.png" "$WORK/paused-2.png" -metric AE -compare -format '%[distortion]' info: 2>/dev/null |
    grep -qx 0 || fail "the picture changed while paused; screenshots $WORK/paused-1.png and $SHOT"
xdotool key comma
sleep 0.2
shoot back; drawing back
"$CONVERT" "$WORK/paused-2.png" "$WORK/back.png" -metric AE -compare -format '%[distortion]' info: 2>/dev/null |
    grep -qx 0 && fail "',' did not step back; screenshot $SHOT"
xdotool key p
wait_for 15 resumed ramps_ended || fail "the animation did not run to its end after P; screenshot $SHOT"
[ "$(colour_count 456 523 200 13 $BLACK)" = 0 ] || fail "the status line stays while running; screenshot $SHOT"

# c) presentation topic: the blue hint lines are written under the diagram; the amplifier's
#    button slides its block down to rest at (80,180)-(180,220) beside its explanation.
click $LIST_X "$(list_entry_y 0)"
click $BUTTON_X $BUTTON_Y
wait_for 5 presentation hint_written ||
    fail "no pure blue hint text in window rectangle x 170..700, y 216..236" \
         "($(blue_count 170 216 531 21) blue pixels); screenshot $SHOT"
click 384 128
amplifier_page() { [ "$(pixel 130 196)" = $RED ] && [ "$(blue_count 240 206 300 16)" -gt 0 ]; }
wait_for 10 amplifier amplifier_page ||
    fail "amplifier page not shown: block top (130,196)=$(pixel 130 196) expected $RED; screenshot $SHOT"

# d) choosing another topic brings the menu page back.
click $LIST_X "$(list_entry_y 1)"
sleep 0.3
wait_for 5 menu-again menu_drawn || fail "menu page not back after choosing topic 1: $(describe_menu)"

echo "e2e_xvfb: PASS (menu drawn, maroon title, topic 2 plays to its end, pauses and steps back from the keyboard, topic 0 hints and the amplifier page, menu back) on $DISPLAY"
[ "${E2E_KEEP:-0}" = 1 ] && echo "e2e_xvfb: screenshots kept in $WORK"
exit 0
