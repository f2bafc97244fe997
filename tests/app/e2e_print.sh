#!/usr/bin/env bash
# End-to-end printing test: the real program on its own Xvfb server prints on a PDF printer of a
# print service (cupsd) that this script runs for itself, as a user would, by clicking the print
# button. It checks that:
#   a) the page holds the window's picture in landscape: the PDF printer writes a portrait sheet
#      with the picture turned a quarter turn anticlockwise, and turned back it matches a
#      screenshot of the window's layout (controls and drawing, not the empty rest of the
#      maximised window) taken just before the click; the picture on the page has at least 300
#      dots per inch: it is drawn for the printer, not a screenshot;
#   b) with the print service stopped, a French message box says so and the window goes on;
#   c) with the print service hung, the window goes on, and the page comes out once it answers;
#   d) with the print service killed just after the click, the program neither dies nor hangs,
#      any box it shows is one of its French messages, and a page it did not report lost comes
#      out once the service is started again.
#
#   usage: e2e_print.sh PATH/TO/pll
#
# Needs root: the PDF printer's backend (cups-pdf) only runs as root. It touches no print service
# of the machine: its own listens on a socket in its work folder, and the program is pointed at
# it with CUPS_SERVER. Quiet on success (one summary line); on failure it keeps its work folder
# (screenshots, rendered pages, program and service logs); E2E_KEEP=1 keeps it on success too.
set -uo pipefail

PLL=${1:-}
COMPARE=/usr/bin/compare
WORK=""
CUPSD_PID=""
PDF_CONF=""
source "$(dirname "$0")/x_session.sh"
handle_exit

stop_scheduler() {
    [ -n "$CUPSD_PID" ] || return 0
    kill -CONT "$CUPSD_PID" 2>/dev/null
    kill "$CUPSD_PID" 2>/dev/null && wait "$CUPSD_PID" 2>/dev/null
    CUPSD_PID=""
}

cleanup_more() {
    stop_scheduler
    [ -n "$PDF_CONF" ] && rm -f "$PDF_CONF"
}

[ -n "$PLL" ] || fail "usage: $0 PATH/TO/pll"
[ -x "$PLL" ] || fail "program not found or not executable: $PLL"
[ "$(id -u)" = 0 ] || fail "needs root: the PDF printer's backend runs only as root (CI runs it as \`make test-print\`)"
for tool in Xvfb xdotool xdpyinfo "$CONVERT" "$IMPORT" "$COMPARE" pdftoppm pdfinfo pdfimages /usr/sbin/cupsd lpadmin lpstat; do
    command -v "$tool" >/dev/null || fail "missing tool: $tool (make test-print installs it)"
done
PPD=lsb/usr/cups-pdf/CUPS-PDF_opt.ppd
[ -f /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd ] && [ -x /usr/lib/cups/backend/cups-pdf ] ||
    fail "the cups-pdf printer is not installed (package printer-driver-cups-pdf)"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/pll-print.XXXXXX") || fail "cannot create a work folder"
# The service's filters run as user lp and must reach the spool inside.
chmod 711 "$WORK"

start_xvfb 141 190

# --- the print service and its PDF printer ------------------------------------
# cups-pdf reads its settings from /etc/cups/cups-pdf-NAME.conf for the device cups-pdf:/NAME:
# a name of this run's own sends the pages to this run's folder.
INSTANCE=pll$(basename "$WORK" | tr -dc 'A-Za-z0-9')
PDF_CONF=/etc/cups/cups-pdf-$INSTANCE.conf
OUT=$WORK/pdf
mkdir -p "$WORK/cups/log"
printf 'Out %s\nAnonDirName %s\nLog %s\nGrp lpadmin\n' "$OUT" "$OUT" "$WORK/cups/log" >"$PDF_CONF" ||
    fail "cannot write $PDF_CONF"
QUEUE=pll-pdf

mkdir -p "$WORK/cups/etc" "$WORK/cups/spool/tmp" "$WORK/cups/cache" "$WORK/cups/state" "$WORK/cups/log"
cat >"$WORK/cups/etc/cups-files.conf" <<EOF
ServerRoot $WORK/cups/etc
RequestRoot $WORK/cups/spool
TempDir $WORK/cups/spool/tmp
CacheDir $WORK/cups/cache
StateDir $WORK/cups/state
ErrorLog $WORK/cups/log/error_log
AccessLog $WORK/cups/log/access_log
PageLog $WORK/cups/log/page_log
SystemGroup root
EOF
# A socket only, no network port; the printer list is saved at once, as the service is killed.
cat >"$WORK/cups/etc/cupsd.conf" <<EOF
Listen $WORK/cups/cups.sock
LogLevel info
DirtyCleanInterval 0
Browsing No
WebInterface No
<Location />
  Order allow,deny
  Allow localhost
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
export CUPS_SERVER=$WORK/cups/cups.sock
unset PRINTER LPDEST

start_scheduler() {
    stop_scheduler
    /usr/sbin/cupsd -f -c "$WORK/cups/etc/cupsd.conf" -s "$WORK/cups/etc/cups-files.conf" \
        >>"$WORK/cups/log/cupsd.out" 2>&1 &
    CUPSD_PID=$!
    local deadline=$((SECONDS + 10))
    until lpstat -r 2>/dev/null | grep -q 'is running'; do
        kill -0 "$CUPSD_PID" 2>/dev/null || fail "the print service exited (see $WORK/cups/log)"
        [ $SECONDS -ge $deadline ] && fail "the print service did not answer within 10 s (see $WORK/cups/log)"
        sleep 0.1
    done
}
start_scheduler
lpadmin -p "$QUEUE" -E -v "cups-pdf:/$INSTANCE" -m "$PPD" >"$WORK/lpadmin.log" 2>&1 &&
    lpadmin -d "$QUEUE" >>"$WORK/lpadmin.log" 2>&1 || fail "could not add the PDF printer (see $WORK/lpadmin.log)"
[ "$(lpstat -d 2>/dev/null)" = "system default destination: $QUEUE" ] || fail "$QUEUE is not the default printer"

# --- the program --------------------------------------------------------------
start_program "$PLL"

# The window still answers: choosing a topic brings the bare menu page back, then the start
# button draws the operating-point page's setpoint wave. Two changes, so that a window that
# stopped drawing cannot pass on what it showed before.
menu_only() { menu_drawn && [ "$(pixel 430 166)" != 0,0,255 ]; }
responds() {
    local name=$1
    click $LIST_X "$(list_entry_y 1)"
    wait_for 5 "$name-menu" menu_only || fail "$name: the window did not bring the menu page back within 5 s; screenshot $SHOT"
    click $LIST_X "$(list_entry_y 2)"
    click $BUTTON_X $BUTTON_Y
    wait_for 5 "$name" wave_drawn || fail "$name: the window did not draw the setpoint wave within 5 s; screenshot $SHOT"
}

box_id() { message_box Impression; }
# Closes the box with Return and prints what it said: the program writes each message it shows
# to its output too, and X gives no way to read a label.
LOG_MARK=0
mark_log() { LOG_MARK=$(wc -l <"$WORK/pll.log"); }
read_and_close_box() {
    close_box "$1"
    local deadline=$((SECONDS + 5))
    while [ -n "$(box_id)" ]; do
        [ $SECONDS -ge $deadline ] && fail "the message box did not close on Return"
        sleep 0.1
    done
    tail -n +$((LOG_MARK + 1)) "$WORK/pll.log" | grep -x -F -e "$NO_PRINTER" -e "$FAILED_ON" -e "$LOST_ON" | tail -n 1
}
NO_PRINTER="Aucune imprimante par défaut n'est installée : la page ne peut pas être imprimée."
FAILED_ON="L'impression sur « $QUEUE » a échoué."
LOST_ON="L'impression sur « $QUEUE » n'a peut-être pas abouti : le service d'impression a cessé de répondre."

pdf_count() { find "$OUT" -name '*.pdf' 2>/dev/null | wc -l; }
# wait_pdf SECONDS N: until N finished PDF files are there and no job is pending.
wait_pdf() {
    local deadline=$((SECONDS + $1)) last
    while :; do
        if [ "$(pdf_count)" -ge "$2" ] && [ -z "$(lpstat -o 2>/dev/null)" ]; then
            last=$(ls -t "$OUT"/*.pdf | head -n 1)
            tail -c 32 "$last" | grep -q '%%EOF' && { PDF=$last; return 0; }
        fi
        [ $SECONDS -ge $deadline ] && return 1
        sleep 0.1
    done
}
now_ms() { date +%s%3N; }

sleep 0.3
wait_for 5 menu menu_drawn || fail "menu page not drawn; screenshot $SHOT"

# --- a) the page holds the window's picture, in landscape ----------------------
# The classic layout, as the window shows it on this 1024 x 768 screen.
LW=800; LH=563
shoot before-print
"$CONVERT" "$SHOT" -crop "${LW}x${LH}+${WX}+${WY}" +repage "$WORK/window.png"
start=$(now_ms)
click $PRINT_X $PRINT_Y
wait_pdf 60 1 || fail "no finished PDF in $OUT within 60 s (jobs: $(lpstat -o | tr '\n' ' '); see $WORK/cups/log)"
PRINT_MS=$(( $(now_ms) - start ))
[ -z "$(box_id)" ] || fail "a message box appeared although the page was printed"
cp "$PDF" "$WORK/printed.pdf"
PAGE_SIZE=$(pdfinfo "$WORK/printed.pdf" | sed -n 's/^Page size: *//p')
pdftoppm -r 40 -png -singlefile "$WORK/printed.pdf" "$WORK/page" || fail "pdftoppm could not render $WORK/printed.pdf"
read -r PW PH < <("$CONVERT" "$WORK/page.png" -format '%w %h' info:)
[ "$PH" -gt "$PW" ] || fail "the sheet is ${PW}x${PH} px, expected portrait, as the PDF printer writes it"

# What is printed stands out from the white sheet: the window's face is grey.
read -r CW CH < <("$CONVERT" "$WORK/page.png" -fuzz 2% -trim -format '%w %h' info:)
[ "$CH" -gt "$CW" ] ||
    fail "the picture is ${CW}x${CH} px on the portrait sheet: not turned a quarter turn, so not printed in landscape"
# Its proportions are the layout's, turned (within 3 %).
ratio_ok=$(awk -v cw="$CW" -v ch="$CH" -v ww="$LW" -v wh="$LH" \
    'BEGIN { r = (ch / cw) / (ww / wh); print (r > 0.97 && r < 1.03) ? 1 : 0 }')
[ "$ratio_ok" = 1 ] || fail "the printed picture is ${CW}x${CH} px, not in the layout's ${LW}x${LH} proportions"
# The largest image on the page, and its resolution there.
read -r IMAGE_PX XPPI YPPI < <(pdfimages -list "$WORK/printed.pdf" | awk 'NR > 2 { print $4 * $5, $13, $14 }' | sort -n | tail -n 1)
dense=$(awk -v x="${XPPI:-0}" -v y="${YPPI:-0}" 'BEGIN { print (x >= 300 && y >= 300) ? 1 : 0 }')
[ "$dense" = 1 ] || fail "the page's picture has ${XPPI:-?} x ${YPPI:-?} dots per inch, under 300 (pdfimages -list $WORK/printed.pdf)"
# Turned back a quarter turn clockwise it is the window; turned the other way it is not.
"$CONVERT" "$WORK/window.png" -resize '200x150!' "$WORK/window-small.png"
rmse() { "$COMPARE" -metric RMSE "$1" "$2" null: 2>&1 | sed -n 's/.*(\(.*\)).*/\1/p'; }
for turn in 90 -90; do
    "$CONVERT" "$WORK/page.png" -fuzz 2% -trim +repage -rotate "$turn" -resize '200x150!' "$WORK/page-turned$turn.png"
done
RIGHT=$(rmse "$WORK/page-turned90.png" "$WORK/window-small.png")
WRONG=$(rmse "$WORK/page-turned-90.png" "$WORK/window-small.png")
[ -n "$RIGHT" ] && [ -n "$WRONG" ] || fail "could not compare the printed page with the window"
match=$(awk -v r="$RIGHT" -v w="$WRONG" 'BEGIN { print (r < 0.05 && 2 * r < w) ? 1 : 0 }')
[ "$match" = 1 ] || fail "the printed page turned back (RMSE $RIGHT to the window, $WRONG turned the other way)" \
    "does not show the window: see $WORK/page-turned90.png and $WORK/window-small.png"

# --- b) no print service --------------------------------------------------------
stop_scheduler
mark_log
start=$(now_ms)
click $PRINT_X $PRINT_Y
BOX=$(wait_box Impression 10) || fail "no print service: no 'Impression' box within 10 s; screenshot $(shoot no-service; echo "$SHOT")"
NO_SERVICE_MS=$(( $(now_ms) - start ))
TEXT=$(read_and_close_box "$BOX")
[ "$TEXT" = "$NO_PRINTER" ] || fail "no print service: the box says '$TEXT', expected '$NO_PRINTER'"
responds after-no-service

# --- c) the print service hangs -------------------------------------------------
start_scheduler
kill -STOP "$CUPSD_PID"
click $PRINT_X $PRINT_Y
responds while-hung
[ -z "$(box_id)" ] || fail "a message box appeared while the print service was only slow"
kill -CONT "$CUPSD_PID"
start=$(now_ms)
wait_pdf 90 2 || fail "the page asked for while the print service hung did not come out within 90 s after it answered"
HUNG_MS=$(( $(now_ms) - start ))
stop_scheduler

# --- d) the print service killed just after the click ---------------------------
# At a few delays after the click: wherever the kill falls, the page is either reported lost or printed.
KILLED=""
SENT=2
for delay in 0 0.05 0.2; do
    start_scheduler
    mark_log
    xdotool mousemove --window "$WID" $PRINT_X $PRINT_Y
    sleep 0.1
    xdotool click 1
    sleep "$delay"
    kill -KILL "$CUPSD_PID"; wait "$CUPSD_PID" 2>/dev/null; CUPSD_PID=""
    outcome="no box"
    if BOX=$(wait_box Impression 10); then
        TEXT=$(read_and_close_box "$BOX")
        case "$TEXT" in
            "$NO_PRINTER") outcome="no printer" ;;
            "$FAILED_ON") outcome="failed" ;;
            "$LOST_ON") outcome="service lost" ;;
            *) fail "print service killed after ${delay} s: the box says '$TEXT', not one of the program's French messages" ;;
        esac
    fi
    [ "$outcome" = "no box" ] && SENT=$((SENT + 1))
    KILLED="$KILLED ${delay} s: $outcome;"
    responds "after-kill-$delay"
    # The button is back: with no service, the next click says so at once.
    mark_log
    click $PRINT_X $PRINT_Y
    BOX=$(wait_box Impression 10) || fail "after the print service was killed (${delay} s) the print button no longer answers"
    TEXT=$(read_and_close_box "$BOX")
    [ "$TEXT" = "$NO_PRINTER" ] || fail "after the print service was killed (${delay} s) the box says '$TEXT'"
done
# A page the program did not report as lost was with the service: it keeps it, and prints it
# once started again.
start_scheduler
wait_pdf 90 "$SENT" || fail "$SENT pages were reported printed, $(pdf_count) came out of the restarted print service"
alive "at the end"

echo "e2e_print: PASS (landscape page $PAGE_SIZE, picture ${CW}x${CH} px at 40 dpi, ${XPPI} x ${YPPI} dpi on the page, RMSE $RIGHT turned back" \
     "vs $WRONG the other way, printed in ${PRINT_MS} ms; no service: box after ${NO_SERVICE_MS} ms;" \
     "hung service: window answered, page out ${HUNG_MS} ms after it resumed; killed service:$KILLED) on $DISPLAY"
[ "${E2E_KEEP:-0}" = 1 ] && echo "e2e_print: pages and screenshots kept in $WORK"
exit 0
