#!/usr/bin/env bash
# The real program on its own Xvfb server and session bus, with the accessibility bus a desktop
# runs for its screen reader; accessibility_tree.py then reads the window as a screen reader does.
#
#   usage: e2e_accessibility.sh PATH/TO/pll
#
# Quiet on success (one summary line); on failure it keeps its work folder (E2E_KEEP=1 keeps it
# on success too).
set -uo pipefail

source "$(dirname "$0")/x_session.sh"
in_session_bus "$@"
PLL=${1:-}
WORK=""
handle_exit
require_program Xvfb xdpyinfo
require_accessibility
WORK=$(mktemp -d "${TMPDIR:-/tmp}/pll-a11y.XXXXXX") || fail "cannot create a work folder"

start_xvfb 241 290
start_accessibility_bus
# As with a screen reader running: the program's bridge to the bus is on from the start.
CUPS_SERVER="$WORK/no-print-service" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 start_program "$PLL"

/usr/bin/python3 "$(dirname "$0")/accessibility_tree.py" >"$WORK/tree.log" 2>&1
status=$?
cat "$WORK/tree.log"
alive "while its tree was read"
[ "$status" = 0 ] || fail "the tree does not read as it should (see above)"
echo "e2e_accessibility: PASS (frame PLL, every control named, focusable controls, the drawing area's title and text on the menu, the operating point and the comparator) on $DISPLAY"
exit 0
