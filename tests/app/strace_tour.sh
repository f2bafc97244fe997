#!/usr/bin/env bash
# What the program touches: a full tour of every topic, section and picture button, and the
# print button, in the real window under strace. The program must open no file for writing,
# create, rename or remove no file, and talk to nothing but the display and the print service.
#
#   usage: strace_tour.sh PATH/TO/pll
#
# Prints what it saw (files opened for reading, sockets, their peers); keeps its work folder
# (trace, screenshots, logs) on failure, or when E2E_KEEP=1.
set -uo pipefail

PLL=${1:-}
WORK=""
source "$(dirname "$0")/x_session.sh"
handle_exit

require_program Xvfb xdotool xdpyinfo strace /usr/bin/python3 "$CONVERT" "$IMPORT"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/pll-strace.XXXXXX") || fail "cannot create a work folder"
TRACE=$WORK/trace

start_xvfb 141 190
# Every call that can write, create or remove a file, or reach another process.
# In the sanitizer build, the leak check cannot run under ptrace; the other tests make it.
start_program env ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" strace -f -qq -o "$TRACE" \
    -e trace=open,openat,creat,mkdir,mkdirat,rename,renameat,renameat2,unlink,unlinkat,link,linkat,symlink,symlinkat,truncate,mknod,mknodat,socket,connect,bind,listen \
    "$PLL"

# Waits for the tick to draw what a click asked for.
settle() { sleep "${1:-1.5}"; alive "during the tour"; }

wait_for 10 menu menu_drawn || fail "menu page not drawn"

# Presentation: every section, the comparator's sweep, the regulator's picture, the sensor's run.
click $LIST_X "$(list_entry_y 0)"; click $BUTTON_X $BUTTON_Y
wait_for 5 presentation hint_written || fail "presentation hints not written"
for xy in $ELEMENT_BUTTONS; do
    click "${xy%,*}" "${xy#*,}"; settle
done
click 176 152; settle; click 720 456; settle       # comparator, then its phase sweep
click 280 128; settle; click 684 236; settle       # regulator, then its filter pictures
click 464 56; settle; click 752 320; settle 2      # sensor, then its rotation

# Modelling: the model, both Bode pictures, the regulator, back to the model.
click $LIST_X "$(list_entry_y 1)"; click $BUTTON_X $BUTTON_Y; settle 0.5
for xy in 476,164 225,392 536,508 528,392 672,256 536,508; do
    click "${xy%,*}" "${xy#*,}"; settle 0.5
done

# Both animations to their ends.
click $LIST_X "$(list_entry_y 2)"; click $BUTTON_X $BUTTON_Y
wait_for 15 closedloop-end ramps_ended || fail "the operating-point animation did not reach its end"
click $LIST_X "$(list_entry_y 3)"; click $BUTTON_X $BUTTON_Y; settle 7.5

# The print button: with no print service here, a message box says so; Return closes it.
click $PRINT_X $PRINT_Y
box=$(wait_box Impression) || fail "no message box after the print button"
alive "after the print button"
close_box "$box"; settle 0.5
[ -z "$(message_box Impression)" ] || fail "the message box did not close"

# Closing the window ends the program.
close_window
deadline=$((SECONDS + 10))
while kill -0 "$PLL_PID" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
kill -0 "$PLL_PID" 2>/dev/null && fail "the program did not end when its window was closed"
wait "$PLL_PID"; status=$?; PLL_PID=""
[ "$status" = 0 ] || fail "the program ended with status $status"

/usr/bin/python3 - "$TRACE" "$DISPLAY" "${CUPS_SERVER:-/run/cups/cups.sock}" <<'EOF' || fail "the program touched more than it should (see above)"
import re, sys
trace, display, cups = sys.argv[1], sys.argv[2], sys.argv[3]
x_socket = '/tmp/.X11-unix/X' + display.lstrip(':').split('.')[0]
# The print service is reached by its socket or, when that is absent, on the loopback port 631,
# after the C library has asked its name-service cache for "localhost".
allowed_peers = {x_socket: 'display', cups: 'print service', '/run/cups/cups.sock': 'print service',
                 '127.0.0.1:631': 'print service', '[::1]:631': 'print service',
                 '/var/run/nscd/socket': 'name service, for the print service'}
writes, changes, sockets, peers, reads, faults = set(), set(), [], {}, set(), []
call = re.compile(r'^\d+\s+(\w+)\((.*)\)\s+=\s+(-?\d+)')
for line in open(trace, errors='replace'):
    m = call.match(line)
    if not m:
        continue
    name, args, result = m.group(1), m.group(2), int(m.group(3))
    path = re.search(r'"([^"]*)"', args)
    path = path.group(1) if path else ''
    if name in ('open', 'openat', 'creat'):
        flags = args.split(', ')[2 if name == 'openat' else 1] if name != 'creat' else 'O_CREAT'
        if re.search(r'O_WRONLY|O_RDWR|O_CREAT|O_TRUNC', flags) and result >= 0 and path != '/dev/null':
            writes.add(path)
        elif result >= 0:
            reads.add(path.rsplit('/', 1)[0])
    elif name == 'socket' and result >= 0:
        sockets.append(args.split(',')[0])
    elif name == 'connect':
        unix = re.search(r'sun_path=@?"([^"]*)"', args)
        port = re.search(r'sin6?_port=htons\((\d+)\)', args)
        v4 = re.search(r'inet_addr\("([^"]+)"\)', args)
        v6 = re.search(r'inet_pton\(AF_INET6, "([^"]+)"', args)
        peer = (unix.group(1) if unix else
                '%s:%s' % (v4.group(1), port.group(1)) if v4 and port else
                '[%s]:%s' % (v6.group(1), port.group(1)) if v6 and port else args)
        peers[peer] = peers.get(peer, 0) + 1
        if peer not in allowed_peers:
            faults.append('connects to %s (%s)' % (peer, 'refused' if result == -1 and 'EINPROGRESS' not in line else 'made'))
    elif name in ('bind', 'listen'):
        faults.append('%s: %s' % (name, args))
    elif result >= 0:
        changes.add('%s %s' % (name, path))
faults += ['opens for writing: ' + p for p in sorted(writes)]
faults += ['changes the file system: ' + c for c in sorted(changes)]
kinds = {}
for s in sockets:
    kinds[s] = kinds.get(s, 0) + 1
print('strace_tour: sockets created: %s' % ', '.join('%s x%d' % kv for kv in sorted(kinds.items())))
print('strace_tour: peers: %s' % ', '.join('%s (%s) x%d' % (p, allowed_peers.get(p, 'NOT ALLOWED'), n) for p, n in sorted(peers.items())))
print('strace_tour: folders read: %d' % len(reads))
for f in faults:
    print('strace_tour: ' + f)
sys.exit(1 if faults else 0)
EOF
echo "strace_tour: PASS (every topic, section and picture button, the print button; nothing written, no other peer)"
