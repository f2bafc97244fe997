#!/usr/bin/env bash
# The command line and a start without a usable display: exit statuses, and what is written on
# standard output and standard error (one line, never Qt's plugin messages).
#
#   usage: command_line.sh PATH/TO/pll VERSION
set -uo pipefail

PLL=$1 VERSION=$2
WORK=$(mktemp -d "${TMPDIR:-/tmp}/pll-command-line.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
mkdir -m 700 "$WORK/runtime"   # a session folder with no Wayland socket in it
FAILURES=0

# An X display number with no server behind it.
NOBODY=190
while [ -e "/tmp/.X11-unix/X$NOBODY" ] || [ -e "/tmp/.X$NOBODY-lock" ]; do NOBODY=$((NOBODY + 1)); done

# check NAME STATUS OUT ERR [VAR=VALUE...] -- [ARG...]: runs the program with no display but the
# variables given, and expects STATUS, standard output matching the Perl regex OUT (. matching newlines too), and on
# standard error nothing (ERR empty) or exactly one line matching ERR. A program that opens a
# window instead is stopped after LIMIT seconds, 20 unless set (status 124).
check() {
    local name=$1 status=$2 out=$3 err=$4 vars=() got
    shift 4
    while [ "$1" != -- ]; do vars+=("$1"); shift; done
    shift
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE -u QT_DEBUG_PLUGINS \
        XDG_RUNTIME_DIR="$WORK/runtime" "${vars[@]}" timeout "${LIMIT:-20}" "$PLL" "$@" >"$WORK/out" 2>"$WORK/err" </dev/null
    got=$?
    local problems=()
    [ "$got" = "$status" ] || problems+=("exit status $got, expected $status")
    if [ -z "$out" ]; then
        [ ! -s "$WORK/out" ] || problems+=("unexpected standard output")
    elif ! grep -Pzq -- "(?s)$out" "$WORK/out"; then
        problems+=("standard output does not match /$out/")
    fi
    if [ -z "$err" ]; then
        [ ! -s "$WORK/err" ] || problems+=("unexpected standard error")
    elif [ "$(wc -l <"$WORK/err")" != 1 ] || ! grep -Pq -- "$err" "$WORK/err"; then
        problems+=("standard error is not one line matching /$err/")
    fi
    if [ ${#problems[@]} = 0 ]; then
        echo "ok: $name"
        return
    fi
    FAILURES=$((FAILURES + 1))
    echo "FAIL: $name: $(IFS=';'; echo "${problems[*]}")"
    echo "--- standard output ---"; head -n 20 "$WORK/out"
    echo "--- standard error ---"; head -n 20 "$WORK/err"
}

NEEDS_SESSION='^pll : .*session graphique.* / .*graphical session \(X11 or Wayland\)'

check "--help answers without a display" 0 \
    '^Utilisation : pll \[FICHIER.pll\]\n +pll \[--help \| --version\]\n.*\nOptions :\n.*--experiment FICHIER.*\nTouches de la fenêtre :\n.*Ctrl\+O +ouvre.*\n  Ctrl\+Q  +quitte' '' -- --help
check "--version answers without a display" 0 "^pll $VERSION\n\$" '' -- --version
check "an unknown argument is refused" 2 '' '^pll : argument inconnu « --foo »' -- --foo
check "a second experiment file is refused" 2 '' '^pll : un seul fichier d.expérience à la fois : « b.pll » est de trop' -- a.pll b.pll
check "an experiment file still needs a display" 1 '' "$NEEDS_SESSION\$" -- a.pll
check "an unknown argument beside --help is refused" 2 '' '« -x »' -- --help -x
check "no display at all" 1 '' "$NEEDS_SESSION\$" --
check "an X display with no server" 1 '' "$NEEDS_SESSION \[DISPLAY=:$NOBODY\]\$" DISPLAY=":$NOBODY" --
check "Wayland and X displays with no server" 1 '' "$NEEDS_SESSION" \
    XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-nobody DISPLAY=":$NOBODY" --
check "Qt's platform named but unusable" 1 '' "$NEEDS_SESSION \[QT_QPA_PLATFORM=xcb\]" QT_QPA_PLATFORM=xcb --
# The tests' own platform still opens the window: the program runs until it is stopped.
LIMIT=3 check "the offscreen platform still starts" 124 '' '' QT_QPA_PLATFORM=offscreen --

[ "$FAILURES" = 0 ] || { echo "$FAILURES failed"; exit 1; }
