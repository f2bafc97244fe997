#!/usr/bin/env bash
# Experiment files on the real program, on its own Xvfb server and accessibility bus. `pll
# FILE.pll` opens the lab on the file, its title over the displays, and plays it to its end, where
# it pauses; Ctrl+Maj+S and the file dialog save it; a bad file opened with Ctrl+O gives its
# dialog and the window goes on as it was; the saved file, opened again, ends on the same
# readouts, to the last digit.
#
#   usage: e2e_experiment.sh PATH/TO/pll
#
# Quiet on success (one summary line); on failure it keeps its work folder with a screenshot.
set -uo pipefail

source "$(dirname "$0")/x_session.sh"
in_session_bus "$@"
PLL=${1:-}
WORK=""
handle_exit
require_program Xvfb xdotool xdpyinfo "$IMPORT"
require_accessibility
WORK=$(mktemp -d "${TMPDIR:-/tmp}/pll-experiment.XXXXXX") || fail "cannot create a work folder"

TITLE="Essai de bout en bout"
cat >"$WORK/essai.pll" <<EOF
{ "format": "pll-experience", "version": 1, "title": "$TITLE", "text": "Une rampe, puis une charge.",
  "start": "locked", "ramp": 157,
  "actions": [ { "at": 0.2, "setpoint": 1100 }, { "at": 0.6, "load": 0.5 } ], "until": 1.2 }
EOF
printf '{ "format": "pll-experience", "version": 1, "gain": 20 }\n' >"$WORK/faux.pll"

# The page's readouts once the experiment waits at its end, read through the accessibility bus
# as a screen reader reads them; written to $1.
cat >"$WORK/read_end.py" <<'PY'
import sys
import time

import pyatspi

out, title = sys.argv[1], sys.argv[2]
READOUTS = ('Boucle ', 'Glissements de cycle : ', 'Consigne : ', 'Vitesse moteur : ', 'Erreur de phase : ',
            'Sortie comparateur (moyenne) : ', 'Tension moteur : ', 'Temps : ')


def descendants(node):
    for child in node:
        if child is not None:
            yield child
            yield from descendants(child)


deadline = time.time() + 30
page, status = '', ''
while time.time() < deadline:
    app = next((a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == 'pll'), None)
    if app is not None:
        nodes = list(descendants(next(c for c in app if c is not None)))
        area = next((n for n in nodes if n.getRoleName() == 'image'), None)
        page = area.queryText().getText(0, -1) if area is not None else ''
        status = ' '.join(n.name for n in nodes if n.getRoleName() == 'label' and n.name.startswith('Pause'))
        if title in page and 'Temps : 1,200 s' in page and 'fin de l\'expérience' in status:
            lines = [l for l in page.split('\n') if l.startswith(READOUTS)]
            open(out, 'w').write('\n'.join(lines) + '\n')
            sys.exit(0)
    time.sleep(0.2)
print('e2e_experiment: FAIL: the lab did not wait at the end of "%s" within 30 s; status "%s"; it reads:\n%s'
      % (title, status, page))
sys.exit(1)
PY

# read_end OUT: the readouts at the end, or fails.
read_end() {
    /usr/bin/python3 "$WORK/read_end.py" "$1" "$TITLE" >"$WORK/read.log" 2>&1 ||
        { cat "$WORK/read.log"; shoot failure; fail "see above; screenshot $SHOT"; }
}

# file_dialog TITLE PATH: the key pressed opened a file dialog so titled; PATH typed, Return.
# Prints the dialog's id.
file_dialog() {
    local dialog
    dialog=$(wait_box "$1" 10) || { shoot no-dialog; fail "no file dialog \"$1\"; screenshot $SHOT"; }
    # A dialog just mapped may not take keys yet on a loaded machine: give it a moment.
    sleep 0.5
    xdotool windowfocus --sync "$dialog" key ctrl+a
    xdotool type --delay 5 "$2"
    xdotool key Return
    echo "$dialog"
}

start_xvfb 391 440
start_accessibility_bus

# a) From the command line, played to its end.
CUPS_SERVER="$WORK/no-print-service" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 start_program "$PLL" "$WORK/essai.pll"
read_end "$WORK/first.txt"
grep -qx 'Consigne : 1100 Hz' "$WORK/first.txt" || fail "the file's setpoint action did not come: $(cat "$WORK/first.txt")"

# b) Saved through the file dialog, the title and text first taken as they come.
xdotool windowfocus --sync "$WID" key ctrl+shift+s
words=$(wait_box "Titre et énoncé de l'expérience" 10) || { shoot no-words; fail "no dialog for the title and text; screenshot $SHOT"; }
sleep 0.5
xdotool windowfocus --sync "$words" key Return
file_dialog "Enregistrer l'expérience" "$WORK/rendu.pll" >/dev/null
deadline=$((SECONDS + 10))
until [ -s "$WORK/rendu.pll" ]; do
    [ $SECONDS -ge $deadline ] && { shoot not-saved; fail "no $WORK/rendu.pll 10 s after the dialog; screenshot $SHOT"; }
    sleep 0.1
done

# c) A bad file: its dialog, and the window goes on as it was.
xdotool windowfocus --sync "$WID" key ctrl+o
chooser=$(file_dialog "Ouvrir une expérience" "$WORK/faux.pll")
deadline=$((SECONDS + 15))
box=""
while [ -z "$box" ]; do
    [ $SECONDS -ge $deadline ] && { shoot no-box; fail "no message box after opening faux.pll; screenshot $SHOT"; }
    sleep 0.1
    box=$(xdotool search --onlyvisible --name "^Ouvrir une expérience\$" 2>/dev/null | grep -vx "$chooser" | head -n 1)
done
grep -q "faux.pll » ne peut pas être ouverte : « gain » vaut 20 : un gain de 0,1 à 10" "$WORK/pll.log" ||
    fail "the message does not say what is wrong with faux.pll: $(tail -n 3 "$WORK/pll.log")"
close_box "$box"
alive "after the bad file's message"
read_end "$WORK/after-bad.txt"
cmp -s "$WORK/first.txt" "$WORK/after-bad.txt" || fail "the lab changed after a bad file: $(diff "$WORK/first.txt" "$WORK/after-bad.txt")"
stop_session

# d) The saved file, opened again, ends on the same readouts.
start_xvfb 391 440
CUPS_SERVER="$WORK/no-print-service" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 start_program "$PLL" "$WORK/rendu.pll"
read_end "$WORK/again.txt"
cmp -s "$WORK/first.txt" "$WORK/again.txt" ||
    fail "the saved experiment, opened again, ends elsewhere:$(echo; diff "$WORK/first.txt" "$WORK/again.txt")"
alive "at the end"
echo "e2e_experiment: PASS (pll FILE.pll played to its end and paused, $(grep -c . "$WORK/first.txt") readouts; saved" \
     "with Ctrl+Maj+S through the file dialog; a bad file said in its dialog, the lab unchanged; the saved file" \
     "opened again to the same readouts) on $DISPLAY"
exit 0
