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
CONVERT=/usr/bin/convert
IMPORT=/usr/bin/import
WORK=""
XVFB_PID=""
PLL_PID=""
FAILED=0

cleanup() {
    [ -n "$PLL_PID" ] && kill "$PLL_PID" 2>/dev/null && wait "$PLL_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    if [ -n "$WORK" ] && [ "$FAILED" = 0 ] && [ "${E2E_KEEP:-0}" != 1 ]; then rm -rf "$WORK"; fi
}
trap cleanup EXIT
trap 'FAILED=1; exit 130' INT TERM

fail() {
    FAILED=1
    echo "e2e_xvfb: FAIL: $*" >&2
    if [ -n "$WORK" ] && [ -s "$WORK/pll.log" ]; then
        echo "--- program output (last 20 lines) ---" >&2
        tail -n 20 "$WORK/pll.log" >&2
    fi
    [ -n "$WORK" ] && echo "--- screenshots and logs kept in $WORK ---" >&2
    exit 1
}

[ -n "$PLL" ] || fail "usage: $0 PATH/TO/pll"
[ -x "$PLL" ] || fail "program not found or not executable: $PLL"
for tool in Xvfb xdotool xdpyinfo "$CONVERT" "$IMPORT"; do
    command -v "$tool" >/dev/null || fail "missing tool: $tool (make test-deps installs it)"
done
WORK=$(mktemp -d "${TMPDIR:-/tmp}/pll-e2e.XXXXXX") || fail "cannot create a work folder"

# --- X server on a free display ---------------------------------------------
start_xvfb() {
    local n deadline
    for n in $(seq 90 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -noreset -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
        XVFB_PID=$!
        deadline=$((SECONDS + 10))
        while [ $SECONDS -lt $deadline ]; do
            if ! kill -0 "$XVFB_PID" 2>/dev/null; then break; fi  # lost a race for :n
            if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
                export DISPLAY=":$n"
                return 0
            fi
            sleep 0.1
        done
        kill "$XVFB_PID" 2>/dev/null; wait "$XVFB_PID" 2>/dev/null
        XVFB_PID=""
    done
    return 1
}
start_xvfb || fail "could not start Xvfb (see $WORK/xvfb.log)"

# --- the program --------------------------------------------------------------
unset WAYLAND_DISPLAY
mkdir -m 700 "$WORK/runtime"
XDG_RUNTIME_DIR="$WORK/runtime" QT_QPA_PLATFORM=xcb "$PLL" >"$WORK/pll.log" 2>&1 &
PLL_PID=$!

WID=""
deadline=$((SECONDS + 20))
while [ -z "$WID" ]; do
    if ! kill -0 "$PLL_PID" 2>/dev/null; then
        wait "$PLL_PID"; status=$?; PLL_PID=""
        fail "the program exited (status $status) before showing its window"
    fi
    [ $SECONDS -ge $deadline ] && fail "no window named 'PLL' appeared within 20 s on $DISPLAY"
    sleep 0.1
    WID=$(xdotool search --onlyvisible --name '^PLL$' 2>/dev/null | head -n 1)
done

# Window origin on the root window (0,0 without a window manager, but do not rely on it).
eval "$(xdotool getwindowgeometry --shell "$WID")"
WX=$X; WY=$Y

SHOT_N=0
SHOT=""
shoot() {
    SHOT_N=$((SHOT_N + 1))
    SHOT="$WORK/shot$SHOT_N-$1.png"
    "$IMPORT" -window root "$SHOT" 2>>"$WORK/import.log" || fail "screenshot failed (see $WORK/import.log)"
}

# pixel X Y: "R,G,B" of the window pixel (X,Y) in the last screenshot.
pixel() {
    local x=$((WX + $1)) y=$((WY + $2))
    "$CONVERT" "$SHOT" -format \
        "%[fx:round(255*p{$x,$y}.r)],%[fx:round(255*p{$x,$y}.g)],%[fx:round(255*p{$x,$y}.b)]" info:
}

# blue_count X Y W H: pure rgb(0,0,255) pixels in that window rectangle of the last screenshot.
blue_count() {
    "$CONVERT" "$SHOT" -crop "$3x$4+$((WX + $1))+$((WY + $2))" +repage \
        -fill black +opaque 'rgb(0,0,255)' -fill white -opaque 'rgb(0,0,255)' \
        -format '%[fx:round(mean*w*h)]' info:
}

click() {
    xdotool mousemove --window "$WID" "$1" "$2"
    sleep 0.1
    xdotool click 1
    sleep 0.1
    kill -0 "$PLL_PID" 2>/dev/null || fail "the program exited after a click at ($1,$2)"
}

# Screen positions of the controls (window coordinates).
LIST_X=160
list_entry_y() { echo $((488 + 2 + 13 * $1 + 6)); }
BUTTON_X=508; BUTTON_Y=508
YELLOW=255,255,0
LIME=0,255,0
REDUCER_X=640; REDUCER_Y=106     # reducer box of the loop diagram
QUARTZ_X=40;   QUARTZ_Y=56       # quartz oscillator box

# wait_for SECONDS NAME CONDITION...: takes screenshots until CONDITION holds.
wait_for() {
    local limit=$1 name=$2; shift 2
    local deadline=$((SECONDS + limit))
    while :; do
        shoot "$name"
        "$@" && return 0
        [ $SECONDS -ge $deadline ] && return 1
        sleep 0.1
    done
}

menu_drawn() { [ "$(pixel $REDUCER_X $REDUCER_Y)" = $YELLOW ] && [ "$(pixel $QUARTZ_X $QUARTZ_Y)" = $LIME ]; }
cleared() { [ "$(pixel $REDUCER_X $REDUCER_Y)" = "$FACE" ]; }
hint_written() { [ "$(blue_count 170 216 531 21)" -gt 0 ]; }

describe_menu() {
    echo "($REDUCER_X,$REDUCER_Y)=$(pixel $REDUCER_X $REDUCER_Y) expected $YELLOW;" \
         "($QUARTZ_X,$QUARTZ_Y)=$(pixel $QUARTZ_X $QUARTZ_Y) expected $LIME; screenshot $SHOT"
}

# a) the timer tick draws the menu page.
sleep 0.3
wait_for 5 menu menu_drawn || fail "menu page not drawn: $(describe_menu)"
FACE=$(pixel 400 400)
[ "$FACE" != $YELLOW ] || fail "background at (400,400) is yellow, expected the button face; screenshot $SHOT"

# b) closed-loop topic at one operating point: the animation plays to its last frame, which
#    holds the setpoint wave and the ends of the two phase ramps.
click $LIST_X "$(list_entry_y 2)"
click $BUTTON_X $BUTTON_Y
BLUE=0,0,255; BLACK=0,0,0
wave_drawn() { [ "$(pixel 430 166)" = $BLUE ] && menu_drawn; }
ramps_ended() { [ "$(pixel 759 171)" = $BLUE ] && [ "$(pixel 759 191)" = $BLACK ]; }
wait_for 5 closedloop wave_drawn ||
    fail "operating-point page not drawn: setpoint (430,166)=$(pixel 430 166) expected $BLUE; $(describe_menu)"
wait_for 15 closedloop-end ramps_ended ||
    fail "phase ramps did not reach their ends: (759,171)=$(pixel 759 171) expected $BLUE," \
         "(759,191)=$(pixel 759 191) expected $BLACK; screenshot $SHOT"

# c) presentation topic: the blue hint lines are written under the diagram; the amplifier's
#    button slides its block down to rest at (80,180)-(180,220) beside its explanation.
click $LIST_X "$(list_entry_y 0)"
click $BUTTON_X $BUTTON_Y
wait_for 5 presentation hint_written ||
    fail "no pure blue hint text in window rectangle x 170..700, y 216..236" \
         "($(blue_count 170 216 531 21) blue pixels); screenshot $SHOT"
RED=255,0,0
click 384 128
amplifier_page() { [ "$(pixel 130 196)" = $RED ] && [ "$(blue_count 240 206 300 16)" -gt 0 ]; }
wait_for 10 amplifier amplifier_page ||
    fail "amplifier page not shown: block top (130,196)=$(pixel 130 196) expected $RED; screenshot $SHOT"

# d) choosing another topic brings the menu page back.
click $LIST_X "$(list_entry_y 1)"
sleep 0.3
wait_for 5 menu-again menu_drawn || fail "menu page not back after choosing topic 1: $(describe_menu)"

echo "e2e_xvfb: PASS (menu drawn, topic 2 plays to its end, topic 0 hints and the amplifier page, menu back) on $DISPLAY"
[ "${E2E_KEEP:-0}" = 1 ] && echo "e2e_xvfb: screenshots kept in $WORK"
exit 0
