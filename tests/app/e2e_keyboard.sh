#!/usr/bin/env bash
# A whole use without the mouse: the real program on its own Xvfb server, driven by keys only.
# Choose a topic, start it, open an element's section, change the speed, pause and step, print
# (no print service here: the "no printer" box, closed by Return), the help, and Ctrl+Q. After
# each Tab the control reached must wear the focus ring.
#
#   usage: e2e_keyboard.sh PATH/TO/pll
#
# Quiet on success (one summary line); on failure it keeps its work folder (E2E_KEEP=1 keeps it
# on success too).
set -uo pipefail

PLL=${1:-}
WORK=""
source "$(dirname "$0")/x_session.sh"
handle_exit

require_program Xvfb xdotool xdpyinfo "$CONVERT" "$IMPORT"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/pll-keyboard.XXXXXX") || fail "cannot create a work folder"

# The controls, in window coordinates.
BUTTON1="456 496 105 25"; SCROLLBAR="664 504 121 16"; LIST="64 488 329 67"; PRINT="16 504 25 25"
BUTTON_A="40 136 17 17"; BUTTON_D="376 120 17 17"
HIGHLIGHT=48,140,198   # the focus ring's colour

# ring_on X Y W H: the focus ring's colour all round the control, just outside it.
ring_on() {
    local around inside
    around=$(colour_count $(($1 - 4)) $(($2 - 4)) $(($3 + 8)) $(($4 + 8)) $HIGHLIGHT)
    inside=$(colour_count "$1" "$2" "$3" "$4" $HIGHLIGHT)
    [ $((around - inside)) -gt $((($3 + $4) / 2)) ]
}
# press KEY... NAME X Y W H: presses the keys, then the control at X Y W H must show the ring.
press() {
    local keys=()
    while [ $# -gt 5 ]; do keys+=("$1"); shift; done
    xdotool key --delay 150 "${keys[@]}"
    alive "after ${keys[*]}"
    wait_for 3 "$1" ring_on "$2" "$3" "$4" "$5" || fail "${keys[*]}: no focus ring around $1; screenshot $SHOT"
}
scroll_bar() { "$CONVERT" "$SHOT" -crop "121x16+$((WX + 664))+$((WY + 504))" +repage "$WORK/$1.png"; }
differ() { ! "$CONVERT" "$WORK/$1.png" "$WORK/$2.png" -metric AE -compare -format '%[distortion]' info: 2>/dev/null | grep -qx 0; }
status_shown() { [ "$(colour_count 456 523 200 13 $BLACK)" -gt 20 ]; }

start_xvfb 191 240
# Built with the sanitizers (make test-sanitize), the program is checked for leaks as Ctrl+Q ends
# it: the D-Bus library keeps a buffer to the end, which is not the program's to free.
printf 'leak:libdbus-1.so\n' >"$WORK/leaks.supp"
export LSAN_OPTIONS="suppressions=$WORK/leaks.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
# A print service that is not there: nothing reaches a real printer.
CUPS_SERVER="$WORK/no-print-service" start_program "$PLL"
xdotool windowfocus --sync "$WID"
wait_for 5 menu menu_drawn || fail "menu page not drawn; screenshot $SHOT"
wait_for 3 start-focus ring_on $BUTTON1 || fail "the start button has no focus ring as the window opens; screenshot $SHOT"

# The topic list after the scroll bar; Space chooses its first entry, the start button starts it.
press Tab scroll-bar $SCROLLBAR
press Tab list $LIST
press space shift+Tab shift+Tab button1 $BUTTON1
xdotool key space
wait_for 5 presentation hint_written || fail "Space on the start button did not open the presentation; screenshot $SHOT"

# The start button hides: the focus moves on to the scroll bar. End, Home, then two pages on:
# slowest, fastest, and back near the start's 20 ms.
wait_for 3 scroll-bar-again ring_on $SCROLLBAR || fail "the focus did not move to the scroll bar; screenshot $SHOT"
scroll_bar speed-20
for key in End Home Prior; do
    xdotool key "$key" "$key"; sleep 0.3; shoot "$key"; scroll_bar "$key"
done
differ speed-20 End && differ End Home && differ Home Prior || fail "End, Home and Page Up did not move the scroll bar; $WORK/*.png"

# The element buttons follow the list: the amplifier's is the fourth one shown.
press Tab Tab button-a $BUTTON_A
press Tab Tab Tab button-d $BUTTON_D
xdotool key space
amplifier_page() { [ "$(pixel 130 196)" = $RED ] && [ "$(blue_count 240 206 300 16)" -gt 0 ]; }
wait_for 10 amplifier amplifier_page || fail "Space on the amplifier's button did not open its page; screenshot $SHOT"

# Back to the list, down to the operating point, and start it.
press shift+Tab shift+Tab shift+Tab shift+Tab list-again $LIST
press Down Down shift+Tab shift+Tab button1-again $BUTTON1
xdotool key space
wait_for 5 closedloop wave_drawn || fail "the operating-point page did not start; screenshot $SHOT"

# Pause, a frame forward, a frame back, and on again.
xdotool key p
wait_for 3 paused status_shown || fail "P showed no pause line; screenshot $SHOT"
drawing() { "$CONVERT" "$SHOT" -crop "775x465+$((WX + 10))+$((WY + 16))" +repage "$WORK/$1.png"; }
drawing paused
xdotool key period; sleep 0.3; shoot forward; drawing forward
differ paused forward || fail "'.' did not draw the next frame; screenshot $SHOT"
xdotool key comma; sleep 0.3; shoot back; drawing back
differ paused back && fail "',' did not go back to the paused frame; screenshot $SHOT"
xdotool key p
wait_for 20 ended ramps_ended || fail "the animation did not run to its end; screenshot $SHOT"

# Print twice, with Ctrl+P and from the print button: no print service, so the box says so.
no_printer_box() {
    local box
    box=$(wait_box Impression) || fail "$1: no 'Impression' box; screenshot $SHOT"
    xdotool key Return
    local deadline=$((SECONDS + 5))
    while [ -n "$(message_box Impression)" ]; do
        [ $SECONDS -ge $deadline ] && fail "$1: Return did not close the 'Impression' box"
        sleep 0.1
    done
}
xdotool key ctrl+p
no_printer_box Ctrl+P
xdotool windowfocus --sync "$WID"
press shift+Tab print-button $PRINT
xdotool key space
no_printer_box "the print button"

# The help, closed with Escape; then Ctrl+Q ends the program.
xdotool windowfocus --sync "$WID"
xdotool key F1
wait_box "Aide — PLL" >/dev/null || fail "F1 opened no help window"
xdotool key Escape
sleep 0.5
[ -z "$(message_box "Aide — PLL")" ] || fail "Escape did not close the help window"
xdotool windowfocus --sync "$WID"
xdotool key ctrl+q
deadline=$((SECONDS + 10))
while kill -0 "$PLL_PID" 2>/dev/null; do
    [ $SECONDS -ge $deadline ] && fail "Ctrl+Q did not end the program"
    sleep 0.1
done
wait "$PLL_PID"; status=$?
PLL_PID=""
[ "$status" = 0 ] || fail "the program ended with status $status after Ctrl+Q"

echo "e2e_keyboard: PASS (topic, start, element section, speed, pause and steps, two prints refused, help, Ctrl+Q; focus ring at every Tab) on $DISPLAY"
exit 0
