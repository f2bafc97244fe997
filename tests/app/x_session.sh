# The pieces shared by the tests that drive the real program in an X server of their own:
# the server, the program's window, screenshots and the pixels in them, clicks, and where
# the controls are. Sourced (bash); the sourcing script sets WORK, a folder of its own, and
# defines fail MESSAGE, which must not return. Safe under `set -e`.

CONVERT=/usr/bin/convert
IMPORT=/usr/bin/import
XVFB_PID=""
PLL_PID=""
WID=""

# Controls and landmarks, in window coordinates.
LIST_X=160
list_entry_y() { echo $((488 + 2 + 13 * $1 + 6)); }
BUTTON_X=508; BUTTON_Y=508          # "Démarrer Animation"
PRINT_X=28;   PRINT_Y=516           # the print button
ELEMENT_BUTTONS="48,144 176,152 280,128 384,128 520,128 640,128 464,56"   # ButtonA .. ButtonG
YELLOW=255,255,0; LIME=0,255,0; BLUE=0,0,255; BLACK=0,0,0; RED=255,0,0
REDUCER_X=640; REDUCER_Y=106        # reducer box of the loop diagram
QUARTZ_X=40;   QUARTZ_Y=56          # quartz oscillator box

# start_xvfb FIRST LAST [WIDTHxHEIGHT]: an X server on the first free display in FIRST..LAST, its
# screen 1024x768 unless given; exports DISPLAY.
start_xvfb() {
    local n deadline screen=${3:-1024x768}
    for n in $(seq "$1" "$2"); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 "${screen}x24" -noreset -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
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
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=""
    done
    fail "could not start Xvfb on displays :$1 to :$2 (see $WORK/xvfb.log)"
}

# alive WHEN: fails if the program has exited.
alive() {
    kill -0 "$PLL_PID" 2>/dev/null && return 0
    local status=0
    wait "$PLL_PID" || status=$?
    PLL_PID=""
    fail "the program exited (status $status) $1"
}

# start_program COMMAND...: starts the program (COMMAND may wrap it), waits for its window
# and sets WID and the window's place and size WX WY WW WH.
start_program() {
    unset WAYLAND_DISPLAY
    mkdir -p -m 700 "$WORK/runtime"
    XDG_RUNTIME_DIR="$WORK/runtime" QT_QPA_PLATFORM=xcb "$@" >"$WORK/pll.log" 2>&1 &
    PLL_PID=$!
    local deadline=$((SECONDS + 30))
    WID=""
    while [ -z "$WID" ]; do
        alive "before showing its window"
        [ $SECONDS -ge $deadline ] && fail "no window named 'PLL' appeared within 30 s on $DISPLAY"
        sleep 0.1
        WID=$(xdotool search --onlyvisible --name '^PLL$' 2>/dev/null | head -n 1 || true)
    done
    # The window's origin on the screen: (0,0) without a window manager, but do not rely on it.
    eval "$(xdotool getwindowgeometry --shell "$WID")"
    WX=$X; WY=$Y; WW=$WIDTH; WH=$HEIGHT
}

# stop_session: the program, then the server.
stop_session() {
    local pid
    for pid in "$PLL_PID" "$XVFB_PID"; do
        [ -n "$pid" ] || continue
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    PLL_PID=""; XVFB_PID=""
}

SHOT_N=0
SHOT=""
# shoot NAME: a screenshot of the whole screen, kept as $SHOT.
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

# colour_count X Y W H R,G,B: pixels of exactly that colour in that window rectangle of the last
# screenshot.
colour_count() {
    local hex
    hex=$(printf '#%02X%02X%02X' ${5//,/ })
    "$CONVERT" "$SHOT" -crop "$3x$4+$((WX + $1))+$((WY + $2))" +repage -depth 8 txt:- | grep -c " $hex " || true
}
# blue_count X Y W H: pure blue pixels there.
blue_count() { colour_count "$1" "$2" "$3" "$4" $BLUE; }

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

# click X Y: a left click at that window point, as a user makes it.
click() {
    xdotool mousemove --window "$WID" "$1" "$2"
    sleep 0.1
    xdotool click 1
    sleep 0.1
    alive "after a click at ($1,$2)"
}

menu_drawn() {
    [ "$(pixel $REDUCER_X $REDUCER_Y)" = $YELLOW ] && [ "$(pixel $QUARTZ_X $QUARTZ_Y)" = $LIME ]
}

# close_window: asks the window to close, as a window manager's close button does (a
# WM_DELETE_WINDOW message); there is no window manager here to send it.
close_window() {
    /usr/bin/python3 - "$DISPLAY" "$WID" <<'PY'
import ctypes, sys
x = ctypes.CDLL('libX11.so.6')
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x.XFlush.argtypes = x.XCloseDisplay.argtypes = [ctypes.c_void_p]

class ClientMessage(ctypes.Structure):
    _fields_ = [('type', ctypes.c_int), ('serial', ctypes.c_ulong), ('send_event', ctypes.c_int),
                ('display', ctypes.c_void_p), ('window', ctypes.c_ulong), ('message_type', ctypes.c_ulong),
                ('format', ctypes.c_int), ('data', ctypes.c_long * 5), ('pad', ctypes.c_long * 12)]

display = x.XOpenDisplay(sys.argv[1].encode())
window = int(sys.argv[2])
event = ClientMessage(type=33, window=window, format=32,
                      message_type=x.XInternAtom(display, b'WM_PROTOCOLS', 0))
event.data[0] = x.XInternAtom(display, b'WM_DELETE_WINDOW', 0)
x.XSendEvent(display, window, 0, 0, ctypes.byref(event))
x.XFlush(display)
x.XCloseDisplay(display)
PY
}

# message_box TITLE: the id of the visible window so named, if any.
message_box() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }

# wait_box TITLE [SECONDS]: the id of that window once it shows, within SECONDS (15); a slow
# machine or a sanitizer build may take seconds to open it.
wait_box() {
    local deadline=$((SECONDS + ${2:-15})) id
    while :; do
        id=$(message_box "$1")
        [ -n "$id" ] && { echo "$id"; return 0; }
        [ $SECONDS -ge $deadline ] && return 1
        sleep 0.1
    done
}

# close_box ID: closes a message box with Return, as a user would.
close_box() {
    xdotool windowfocus --sync "$1" 2>/dev/null
    xdotool key Return
}

# Pages, by a few pixels: the presentation's blue hint lines, the operating-point page's
# setpoint wave, and the ends of its two phase ramps.
hint_written() { [ "$(blue_count 170 216 531 21)" -gt 0 ]; }
wave_drawn() { [ "$(pixel 430 166)" = $BLUE ] && menu_drawn; }
ramps_ended() { [ "$(pixel 759 171)" = $BLUE ] && [ "$(pixel 759 191)" = $BLACK ]; }

# require_program TOOL...: for a test script, after handle_exit: the program given as $PLL
# and every TOOL present, or the script fails saying which is missing.
require_program() {
    [ -n "$PLL" ] || fail "usage: $0 PATH/TO/pll"
    [ -x "$PLL" ] || fail "program not found or not executable: $PLL"
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || fail "missing tool: $tool (make test-deps installs it)"
    done
}

# handle_exit: for a test script; fail MESSAGE reports under the script's name with the
# program's last output, keeps the work folder and exits; on any exit the program and the
# server end, then the script's own cleanup_more if it has one, and the work folder goes
# unless something failed or E2E_KEEP=1.
handle_exit() {
    FAILED=0
    fail() {
        FAILED=1
        echo "$(basename "$0" .sh): FAIL: $*" >&2
        if [ -n "$WORK" ] && [ -s "$WORK/pll.log" ]; then
            echo "--- program output (last 20 lines) ---" >&2
            tail -n 20 "$WORK/pll.log" >&2
        fi
        [ -n "$WORK" ] && echo "--- screenshots and logs kept in $WORK ---" >&2
        exit 1
    }
    end_session() {
        stop_session
        if [ -n "$BUS_PID" ]; then kill "$BUS_PID" 2>/dev/null; wait "$BUS_PID" 2>/dev/null; fi
        if declare -F cleanup_more >/dev/null; then cleanup_more; fi
        if [ -n "$WORK" ] && [ "$FAILED" = 0 ] && [ "${E2E_KEEP:-0}" != 1 ]; then rm -rf "$WORK"; fi
    }
    trap end_session EXIT
    trap 'FAILED=1; exit 130' INT TERM
}

# The tests that read the window as a screen reader does: a session bus of their own, gone with
# the test, and the accessibility bus a desktop runs for its screen reader.
BUS_LAUNCHER=/usr/libexec/at-spi-bus-launcher
BUS_PID=""

# in_session_bus ARG...: runs the calling script again, with ARG..., inside a session bus of its
# own, unless it already is; before anything else.
in_session_bus() {
    [ -n "${PLL_A11Y_SESSION:-}" ] && return 0
    command -v dbus-run-session >/dev/null ||
        { echo "$(basename "$0" .sh): FAIL: missing dbus-run-session (make test-deps installs it)"; exit 1; }
    PLL_A11Y_SESSION=1 exec dbus-run-session -- "$0" "$@" 2> >(grep -v 'Failed to set fd limit' >&2)
}

# require_accessibility: the accessibility bus's launcher and pyatspi, or the script fails.
require_accessibility() {
    [ -x "$BUS_LAUNCHER" ] || fail "missing tool: $BUS_LAUNCHER (make test-deps installs it)"
    /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || fail "missing pyatspi (make test-deps installs python3-pyatspi)"
}

# start_accessibility_bus: the accessibility bus, stopped with the session's end.
start_accessibility_bus() {
    "$BUS_LAUNCHER" --launch-immediately >"$WORK/bus.log" 2>&1 &
    BUS_PID=$!
}
