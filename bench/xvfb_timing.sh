#!/usr/bin/env bash
# The real program's timing in a real X server, on an Xvfb of its own:
#   - both closed-loop animations at full speed (1 ms a tick), from the start button to the
#     last frame (bench_realtime);
#   - how soon the first picture is on screen after the start (bench_first_frame);
#   - the processor time the program takes over 10 s at the default speed on a finished page
#     (the operating point's last frame), and on the menu page, which redraws itself each tick.
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
for program in pll bench/bench_realtime bench/bench_first_frame; do
    [ -x "$BUILD/$program" ] || fail "not built: $BUILD/$program"
done
for tool in Xvfb xdotool xdpyinfo "$CONVERT" "$IMPORT"; do
    command -v "$tool" >/dev/null || fail "missing tool: $tool (make test-deps installs it)"
done
WORK=$(mktemp -d "${TMPDIR:-/tmp}/pll-timing.XXXXXX") || fail "cannot create a work folder"

start_xvfb 200 249

# --- the animations at full speed, and the first frame --------------------------------
mkdir -m 700 "$WORK/bench-runtime"
export XDG_RUNTIME_DIR="$WORK/bench-runtime"
QT_QPA_PLATFORM=xcb "$BUILD/bench/bench_realtime" || STATUS=1
QT_QPA_PLATFORM=xcb "$BUILD/bench/bench_first_frame" "$BUILD/pll" || STATUS=1

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

start_program "$BUILD/pll"
wait_for 10 menu menu_drawn || fail "the menu page was not drawn"
echo "idle at 20 ms a tick, menu page (redrawn every tick): $(cpu_percent 10) % of one core over 10 s"

click $LIST_X "$(list_entry_y 2)" # the operating point
click $BUTTON_X $BUTTON_Y
wait_for 20 operating-point-end ramps_ended || fail "the operating-point animation did not reach its end"
sleep 0.5
idle=$(cpu_percent 10)
verdict=$(awk -v p="$idle" 'BEGIN { print (p < 2 ? "ok" : "OVER") }')
echo "idle at 20 ms a tick, finished operating-point page: $idle % of one core over 10 s (limit 2 %) $verdict"
[ "$verdict" = ok ] || STATUS=1
exit $STATUS
