#!/usr/bin/env bash
# The lab on the real program, on its own Xvfb server and session bus with the accessibility bus,
# read as a screen reader reads it. Choose "Laboratoire : la boucle en direct" and start it: the
# drawing area must read the loop locked at 10,00 tr/s. Then the keyboard alone: Tab to the
# "Consigne (Hz)" spin box, type 1050 and Enter: locked at 10,50 tr/s. Then the spin box's value
# set through the bus, as an assistive tool sets it, to 1000: the setpoint reads 1000 Hz at once.
# Each status line must then read once, as now shown. Then the keys given back: P typed in the
# spin box is no pause; a click on the drawing area, then P, pauses and "." steps; Échap in the
# spin box, then P, runs on.
#
#   usage: e2e_lab.sh PATH/TO/pll
#
# Quiet on success (one summary line); on failure it keeps its work folder with a screenshot
# (E2E_KEEP=1 keeps it on success too).
set -uo pipefail

source "$(dirname "$0")/x_session.sh"
in_session_bus "$@"
PLL=${1:-}
WORK=""
handle_exit
require_program Xvfb xdotool xdpyinfo "$IMPORT"
require_accessibility
WORK=$(mktemp -d "${TMPDIR:-/tmp}/pll-lab.XXXXXX") || fail "cannot create a work folder"

start_xvfb 341 390
start_accessibility_bus
CUPS_SERVER="$WORK/no-print-service" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 start_program "$PLL"
# The keys go to the focused window; there is no window manager to give it the focus.
xdotool windowfocus --sync "$WID"

WID=$WID /usr/bin/python3 - >"$WORK/lab.log" 2>&1 <<'PY'
import os
import subprocess
import sys
import time

import pyatspi

LOCKED, AT_1000, AT_1050 = 'Boucle verrouillée', 'Vitesse moteur : 10,00 tr/s', 'Vitesse moteur : 10,50 tr/s'
# Window points: the drawing area where no lab control stands, the middle of the setpoint's box.
DRAWING_FREE, SETPOINT_BOX = (500, 440), (45, 197)


def fail(message):
    print('e2e_lab: FAIL: %s' % message)
    sys.exit(1)


def wait(condition, limit):
    deadline = time.time() + limit
    while True:
        value = condition()
        if value or time.time() >= deadline:
            return value
        time.sleep(0.1)


def descendants(node):
    for child in node:
        if child is not None:
            yield child
            yield from descendants(child)


def states(node):
    return {pyatspi.stateToString(s) for s in node.getState().getStates()}


def act(node, name):
    action = node.queryAction()
    action.doAction([action.getName(i) for i in range(action.nActions)].index(name))


def keys(*names):
    subprocess.run(['xdotool', 'key', '--delay', '150'] + list(names), check=True)


app = wait(lambda: next((a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == 'pll'), None), 20)
if app is None:
    fail('no application named "pll" on the accessibility bus')
frame = next(c for c in app if c is not None)
nodes = list(descendants(frame))


def one(role, name=None):
    found = [n for n in nodes if n.getRoleName() == role and (name is None or n.name == name)]
    if len(found) != 1:
        fail('%d nodes of role "%s" named "%s", not one' % (len(found), role, name))
    return found[0]


area = one('image')
topics = one('list', 'Choix du sujet')
entry = [n for n in topics if n is not None and n.name == 'Laboratoire : la boucle en direct']
if len(entry) != 1:
    fail('no list entry "Laboratoire : la boucle en direct" among %s' % [n.name for n in topics if n is not None])
setpoint = one('spin button', 'Consigne (Hz)')


def text():
    return area.queryText().getText(0, -1)


def reads(*lines):
    page = text()
    return all(line in page for line in lines)


def wait_reading(what, limit, *lines):
    if not wait(lambda: reads(*lines), limit):
        fail('%s: the drawing area does not read %s within %d s; it reads:\n%s' % (what, lines, limit, text()))


act(entry[0], 'Toggle')
act(one('push button', 'Démarrer Animation'), 'Press')
wait_reading('started', 20, LOCKED, AT_1000, 'Consigne : 1000 Hz')
if 'showing' not in states(setpoint):
    fail('the "Consigne (Hz)" spin box is not shown on the lab: %s' % sorted(states(setpoint)))

# The keyboard alone: Tab on to the first spin box; it must be the setpoint's. A list item or a
# tab of the settings may keep a stale focused state on the bus: the control focused is the one
# that is neither.
def focused_control():
    return next((n for n in nodes if n.getRoleName() not in ('list item', 'page tab') and 'focused' in states(n)), None)


focused = None
for tabs in range(1, 17):
    keys('Tab')
    focused = wait(focused_control, 2)
    if focused is not None and focused.getRoleName() == 'spin button':
        break
if focused is None or focused.getRoleName() != 'spin button':
    fail('16 Tabs never reached a spin box; the focus is on %s' % str(focused and (focused.getRoleName(), focused.name)))
if focused.name != 'Consigne (Hz)':
    fail('the first spin box Tab reaches is named "%s", not "Consigne (Hz)"' % focused.name)
# Tab selected its text: the typed value replaces it, and applies on Enter.
keys('1', '0', '5', '0', 'Return')
wait_reading('1050 typed', 5, 'Consigne : 1050 Hz')
wait_reading('1050 typed', 20, LOCKED, AT_1050)
value = setpoint.queryValue()
if value.currentValue != 1050:
    fail('the spin box holds %s after 1050 was typed' % value.currentValue)

# Through the bus, as an assistive tool sets a value.
value.currentValue = 1000.0
wait_reading('1000 set through the bus', 2, 'Consigne : 1000 Hz')
if value.currentValue != 1000:
    fail('the spin box holds %s after 1000 was set through the bus' % value.currentValue)
wait_reading('1000 set through the bus', 20, LOCKED, AT_1000)

print('e2e_lab: locked at 10,00 tr/s; %d Tabs to "Consigne (Hz)", 1050 typed: locked at 10,50 tr/s; '
      '1000 set through the bus: applied' % tabs)
# The reader hears each status line once, the one now shown, not those of earlier frames.
page = text()
for label in ('Glissements de cycle : ', 'Consigne : ', 'Vitesse moteur : ', 'Erreur de phase : ',
              'Sortie comparateur (moyenne) : ', 'Tension moteur : ', 'Temps : '):
    if page.count(label) != 1:
        fail('the drawing area reads "%s" %d times, not once: %s' % (
            label, page.count(label), [l for l in page.split('\n') if label in l]))

# The keys given back. In the spin box, P is not a pause; a click on the drawing area takes the
# keys: P pauses and "." moves the loop on a frame. Échap in the spin box gives them back too.
def pause_line():
    return ' '.join(n.name for n in nodes if n.getRoleName() == 'label' and n.name.startswith('Pause'))


def click(x, y):
    subprocess.run(['xdotool', 'mousemove', '--window', os.environ['WID'], str(x), str(y), 'click', '1'], check=True)


def loop_time():
    return next((l for l in text().split('\n') if l.startswith('Temps : ')), '')


keys('p')
time.sleep(0.5)
if pause_line():
    fail('P typed into the setpoint box paused the lab: "%s"' % pause_line())
click(*DRAWING_FREE)
keys('p')
if not wait(pause_line, 3):
    fail('a click on the drawing area, then P: no pause line')
paused = pause_line()
if '« , » « . »' not in paused:
    fail('the pause line does not name the keys that step: "%s"' % paused)
before = wait(loop_time, 2)
keys('period')
if not wait(lambda: loop_time() not in ('', before), 3):
    fail('"." after a click on the drawing area did not move the loop on: %s' % before)
click(*SETPOINT_BOX)
focused = wait(lambda: (lambda f: f if f is not None and f.name == 'Consigne (Hz)' else None)(focused_control()), 3)
if focused is None:
    fail('a click on the setpoint box did not give it the focus')
keys('Escape', 'p')
if not wait(lambda: not pause_line(), 3):
    fail('Échap in the setpoint box, then P: still "%s"' % pause_line())
print('e2e_lab: a click on the drawing area, then P: "%s"; "." moved the loop on; Échap in the setpoint box, '
      'then P: running' % paused)
PY
status=$?
[ "$status" = 0 ] || shoot failure
cat "$WORK/lab.log"
alive "while the lab was driven"
[ "$status" = 0 ] || fail "the lab does not behave as it should (see above); screenshot $SHOT"
echo "e2e_lab: PASS (the lab locked at 10,00 tr/s, 1050 Hz typed after Tab to \"Consigne (Hz)\": locked at 10,50 tr/s, 1000 Hz set through the accessibility bus: applied at once, each status line read once; P and « . » answer after a click on the drawing area, P after Échap in the spin box) on $DISPLAY"
exit 0
