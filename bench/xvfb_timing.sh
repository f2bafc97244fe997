#!/usr/bin/env bash
# The real program's timing in a real X server, on Xvfb servers of its own:
#   - both closed-loop animations at full speed (1 ms a tick), from the start button to the
#     last frame, at the classic size and with the layout enlarged twice (bench_realtime);
#   - the lab at 1 ms a tick for 10 s: its loop time against the clock (bench_realtime lab);
#   - how soon the first picture is on screen after the start (bench_first_frame);
#   - the processor time the program takes over 10 s on the menu page, which clears and
#     redraws itself each tick, at the default speed (20 ms a tick) and at 1 ms, and on a
#     finished page (the operating point's last frame);
#   - the resident memory after every page played with the layout enlarged four times
#     (bench_memory).
#
#   usage: xvfb_timing.sh BUILD_DIR
# Prints its figures; exits non-zero if one misses its goal or cannot be measured.
set -uo pipefail

BUILD=${1:-}
WORK=""
STATUS=0

fail() { echo "xvfb_timing: $*" >&2; exit 1; }

# shellcheck source=../tests/app/x_session.sh
source "$(dirname "$0")/../tests/app/x_session.sh"

cleanup() {
    stop_session
    [ -n "$WORK" ] && rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

[ -n "$BUILD" ] || fail "usage: $0 BUILD_DIR"
for program in pll bench/bench_realtime bench/bench_first_frame bench/bench_memory; do
    [ -x "$BUILD/$program" ] || fail "not built: $BUILD/$program"
done
for tool in Xvfb xdotool xdpyinfo "$CONVERT" "$IMPORT"; do
    command -v "$tool" >/dev/null || fail "missing tool: $tool (make test-deps installs it)"
done
WORK=$(mktemp -d "${TMPDIR:-/tmp}/pll-timing.XXXXXX") || fail "cannot create a work folder"
mkdir -m 700 "$WORK/bench-runtime"

# run_on SCREEN COMMAND...: COMMAND on an X server of its own with a screen that size.
run_on() {
    local screen=$1; shift
    start_xvfb 200 249 "$screen"
    XDG_RUNTIME_DIR="$WORK/bench-runtime" QT_QPA_PLATFORM=xcb "$@" || STATUS=1
    stop_session
}

# --- the animations at full speed, the first frame, the memory ------------------------
# The enlarged layouts need screens that hold them: 1600 x 1126 at x2, 3200 x 2252 at x4.
run_on 1024x768 "$BUILD/bench/bench_realtime" 1 1.2
run_on 1920x1200 "$BUILD/bench/bench_realtime" 2 1.3
run_on 1024x768 "$BUILD/bench/bench_realtime" lab
run_on 1024x768 "$BUILD/bench/bench_first_frame" "$BUILD/pll"
run_on 3300x2300 "$BUILD/bench/bench_memory"

# --- processor time while idle --------------------------------------------------------
# cpu_percent SECONDS: the program's processor time (user + system) over that long, in % of one core.
cpu_percent() {
    local hz before after
    hz=$(getconf CLK_TCK)
    before=$(awk '{print $14 + $15}' "/proc/$PLL_PID/stat")
    sleep "$1"
    after=$(awk '{print $14 + $15}' "/proc/$PLL_PID/stat")
    awk -v t=$((after - before)) -v hz="$hz" -v s="$1" 'BEGIN { printf "%.1f", 100 * t / hz / s }'
}
# idle WHAT LIMIT: the processor time over 10 s against LIMIT %.
idle() {
    local percent verdict
    percent=$(cpu_percent 10)
    verdict=$(awk -v p="$percent" -v l="$2" 'BEGIN { print (p < l ? "ok" : "OVER") }')
    echo "idle, $1: $percent % of one core over 10 s (limit $2 %) $verdict"
    [ "$verdict" = ok ] || STATUS=1
}

start_xvfb 200 249
start_program "$BUILD/pll"
wait_for 10 menu menu_drawn || fail "the menu page was not drawn"
sleep 0.5
idle "menu page at 20 ms a tick (cleared and redrawn each tick)" 1
# The scroll bar's left arrow, 19 times: from 20 ms down to 1 ms a tick.
xdotool mousemove --window "$WID" 668 512 click --repeat 19 --delay 20 1
sleep 0.5
idle "menu page at 1 ms a tick" 5
xdotool mousemove --window "$WID" 780 512 click --repeat 19 --delay 20 1

click $LIST_X "$(list_entry_y 2)" # the operating point
click $BUTTON_X $BUTTON_Y
wait_for 20 operating-point-end ramps_ended || fail "the operating-point animation did not reach its end"
sleep 0.5
idle "finished operating-point page at 20 ms a tick" 2
exit $STATUS
