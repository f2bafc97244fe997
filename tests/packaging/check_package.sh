#!/usr/bin/env bash
# Installs the Debian package as a teacher would (apt install ./pll_*.deb), checks what it puts on
# the machine and that the installed program opens its window, then removes it and checks that
# nothing of it is left. The machine's package set ends as it was, on failure too.
#
#   usage: check_package.sh PATH/TO/pll_VERSION_ARCH.deb      (as root; `make test-package`)
#
# Quiet on success (one summary line). On failure it says what is wrong and keeps its work
# folder (logs, the unpacked package).
set -Eeuo pipefail

SIZES=(48 64 128 256)
WORK="" INSTALLED=0 FAILED=0
source "$(dirname "$0")/../app/x_session.sh"

note() { echo "check_package: $*" >&2; }

fail() {
    FAILED=1
    note "FAIL: $*"
    [ -n "$WORK" ] && note "logs kept in $WORK"
    exit 1
}

# What the installation added: the package and any dependency apt pulled in. Taken right after
# apt-get (which holds the package lock), so packages others install meanwhile are not counted.
added_packages() {
    if [ -f "$WORK/packages.added" ]; then
        cat "$WORK/packages.added"
    else
        comm -13 "$WORK/packages.before" <(installed_packages)
    fi
}

installed_packages() {
    dpkg-query -W -f='${db:Status-Status} ${binary:Package}\n' | awk '$1 == "installed" { print $2 }' | sort
}

remove_added() {
    local added
    added=$(added_packages)
    # A failed installation can leave pll half-installed, which added_packages does not list.
    case $(dpkg-query -W -f='${db:Status-Status}' pll 2>/dev/null || true) in
        "" | not-installed | installed) ;;
        *) added="$added pll" ;;
    esac
    [ -z "${added// /}" ] && return 0
    # shellcheck disable=SC2086  # one word per package
    apt-get purge -y $added >"$WORK/remove.log" 2>&1
}

cleanup() {
    stop_session
    if [ "$INSTALLED" = 1 ]; then
        note "removing what the test installed: $(added_packages | tr '\n' ' ')"
        remove_added || note "could not remove it, see $WORK/remove.log"
    fi
    if [ -n "$WORK" ] && [ "$FAILED" = 0 ]; then rm -rf "$WORK"; fi
}
trap cleanup EXIT
trap 'FAILED=1; note "FAIL: unexpected error (status $?) at line $LINENO: $BASH_COMMAND"' ERR
trap 'FAILED=1; exit 130' INT TERM

# --- before touching anything -------------------------------------------------
[ "$(id -u)" = 0 ] || { note "must run as root: it installs and removes the package pll (try: sudo $0 $*)"; exit 1; }
[ $# = 1 ] || { note "usage: $0 PATH/TO/pll_VERSION_ARCH.deb"; exit 2; }
DEB=$(realpath -e -- "$1" 2>/dev/null) || { note "no such package file: $1"; exit 2; }
for tool in dpkg-deb apt-get desktop-file-validate appstreamcli Xvfb xdotool xdpyinfo xprop; do
    command -v "$tool" >/dev/null || { note "missing tool: $tool (make test-package installs it)"; exit 1; }
done
status=$(dpkg-query -W -f='${db:Status-Status}' pll 2>/dev/null || true)
if [ -n "$status" ] && [ "$status" != not-installed ]; then
    note "the package pll is already on this machine ($status): remove it first (apt-get purge pll)"
    exit 1
fi
WORK=$(mktemp -d "${TMPDIR:-/tmp}/pll-package.XXXXXX")

# --- what the package holds ---------------------------------------------------
[ "$(dpkg-deb -f "$DEB" Package)" = pll ] || fail "$DEB is not the package pll"
DEPENDS=$(dpkg-deb -f "$DEB" Depends)
grep -qE '(^|, )qt6-translations-l10n( |,|$)' <<<"$DEPENDS" ||
    fail "the package does not depend on qt6-translations-l10n (Qt's French texts): Depends: $DEPENDS"
dpkg-deb -x "$DEB" "$WORK/root"

desktops=("$WORK"/root/usr/share/applications/*.desktop)
if [ ${#desktops[@]} != 1 ] || [ ! -f "${desktops[0]}" ]; then
    fail "expected one desktop entry in usr/share/applications, found: ${desktops[*]##*/}"
fi
ID=$(basename "${desktops[0]}" .desktop)
DESKTOP=usr/share/applications/$ID.desktop
METAINFO=usr/share/metainfo/$ID.metainfo.xml
expected=(usr/bin/pll "$DESKTOP" "$METAINFO")
for size in "${SIZES[@]}"; do expected+=("usr/share/icons/hicolor/${size}x$size/apps/$ID.png"); done

# Only the program and its desktop files: no tests, tools or libraries.
(cd "$WORK/root" && find . ! -type d | sed 's|^\./||' | sort) >"$WORK/files"
printf '%s\n' "${expected[@]}" | sort >"$WORK/files.expected"
diff -u "$WORK/files.expected" "$WORK/files" >"$WORK/files.diff" ||
    fail "the package's files differ from those expected (- missing, + extra):$(echo; tail -n +3 "$WORK/files.diff")"

# The validators as the desktop and the software centres read the files: hints are advice,
# anything else (error or warning) fails.
desktop-file-validate "$WORK/root/$DESKTOP" >"$WORK/desktop-file-validate.log" 2>&1 ||
    fail "desktop-file-validate rejects $DESKTOP:$(echo; cat "$WORK/desktop-file-validate.log")"
if grep -v ': hint: ' "$WORK/desktop-file-validate.log" | grep -q .; then
    fail "desktop-file-validate complains about $DESKTOP:$(echo; cat "$WORK/desktop-file-validate.log")"
fi
appstreamcli validate --no-net "$WORK/root/$METAINFO" >"$WORK/appstream.log" 2>&1 ||
    fail "appstreamcli rejects $METAINFO:$(echo; cat "$WORK/appstream.log")"

# The desktop entry, the metainfo and the icons must name one another, or the menu shows no
# icon and the software centre does not find the program.
entry() { sed -n "s/^$1=//p" "$WORK/root/$DESKTOP"; }
[ "$(entry Icon)" = "$ID" ] || fail "$DESKTOP: Icon=$(entry Icon), expected $ID"
[ "$(entry Exec)" = pll ] || fail "$DESKTOP: Exec=$(entry Exec), expected pll"
[[ ";$(entry Categories)" == *";Education;"* ]] || fail "$DESKTOP: not in the Education category"
grep -q "<id>$ID</id>" "$WORK/root/$METAINFO" || fail "$METAINFO: its <id> is not $ID"
grep -q "<launchable type=\"desktop-id\">$ID.desktop</launchable>" "$WORK/root/$METAINFO" ||
    fail "$METAINFO: does not launch $ID.desktop"
for size in "${SIZES[@]}"; do
    icon=usr/share/icons/hicolor/${size}x$size/apps/$ID.png
    # A PNG's width and height are the big-endian words at bytes 16 and 20.
    read -r w h < <(od -An -tu1 -j16 -N8 "$WORK/root/$icon" |
        awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
    [ "$(head -c 8 "$WORK/root/$icon" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] ||
        fail "$icon is not a PNG file"
    [ "$w x $h" = "$size x $size" ] || fail "$icon is $w x $h pixels, expected $size x $size"
done

# --- install ------------------------------------------------------------------
installed_packages >"$WORK/packages.before"
# Which of the package's folders the machine already has: those must stay after removal.
(cd "$WORK/root" && find . -mindepth 1 -type d | sed 's|^\.||') | while read -r dir; do
    [ -d "$dir" ] && echo "$dir"
done | sort >"$WORK/dirs.before"
INSTALLED=1
apt-get install -y "$DEB" >"$WORK/install.log" 2>&1 ||
    fail "apt-get install $DEB failed:$(echo; tail -n 20 "$WORK/install.log")"
added_packages >"$WORK/packages.added.new" && mv "$WORK/packages.added.new" "$WORK/packages.added"
[ "$(dpkg-query -W -f='${db:Status-Status}' pll)" = installed ] || fail "pll is not installed after apt-get install"
dpkg -L pll | sort >"$WORK/owned"
for file in "${expected[@]}"; do
    [ -f "/$file" ] || fail "/$file missing after installation"
done
[ -x /usr/bin/pll ] || fail "/usr/bin/pll is not executable"
[ -f /usr/share/qt6/translations/qtbase_fr.qm ] ||
    fail "qtbase_fr.qm is not installed: Qt's dialogs would be in English"

# --- the installed program, started as the menu starts it ----------------------
start_xvfb 150 199
# The desktop runs Exec through the system's PATH: it must find the installed program.
start_program env PATH=/usr/bin:/bin "$(entry Exec)"
# The desktop puts a window under its menu entry by WM_CLASS (StartupWMClass), and shows the
# window's own icon from _NET_WM_ICON.
wm_class=$(xprop -id "$WID" WM_CLASS)
[[ "$wm_class" == *", \"$(entry StartupWMClass)\"" ]] ||
    fail "window class $wm_class does not match StartupWMClass=$(entry StartupWMClass) of $DESKTOP"
xprop -id "$WID" _NET_WM_ICON | head -n 1 | grep -q '_NET_WM_ICON(CARDINAL) = ' ||
    fail "the window has no icon (_NET_WM_ICON)"
stop_session

# --- remove -------------------------------------------------------------------
remove_added || fail "apt-get purge failed:$(echo; tail -n 20 "$WORK/remove.log")"
INSTALLED=0
status=$(dpkg-query -W -f='${db:Status-Status}' pll 2>/dev/null || true)
[ -z "$status" ] || [ "$status" = not-installed ] || fail "pll is still known to dpkg after its removal ($status)"
left=""
while read -r path; do
    [ "$path" = /. ] && continue
    if [ -d "$path" ]; then
        grep -qxF -- "$path" "$WORK/dirs.before" || left="$left $path/"
    elif [ -e "$path" ] || [ -L "$path" ]; then
        left="$left $path"
    fi
done <"$WORK/owned"
[ -z "$left" ] || fail "left after removal:$left"
still=$(comm -12 "$WORK/packages.added" <(installed_packages) | tr '\n' ' ')
[ -z "$still" ] || fail "still installed after removal: $still"

echo "check_package: PASS ($(basename "$DEB"): ${#expected[@]} files as expected, validators clean," \
     "installed, window 'PLL' shown on $DISPLAY, removed without a trace)"
