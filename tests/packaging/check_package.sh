#!/usr/bin/env bash
# Checks the Debian package with lintian and the desktop validators, installs it as a teacher
# would (apt install ./pll_*.deb), checks what it puts on the machine (the experiment files' type
# in the MIME database included) and that the installed program opens its window on an X server
# and on a Wayland compositor, then removes it and checks that nothing of it is left. The
# machine's package set ends as it was, on failure too.
#
#   usage: check_package.sh PATH/TO/pll_VERSION_ARCH.deb      (as root; `make test-package`)
#
# Quiet on success (one summary line). On failure it says what is wrong and keeps its work
# folder (logs, the unpacked package).
set -Eeuo pipefail

SIZES=(48 64 128 256)
# The window's own icon, beside the desktop icons it also carries.
WINDOW_ICON_SIZE=32
# The experiment files: their type, which the desktop entry opens, and their name's ending.
TYPE=application/x-pll-experience
EXTENSION=pll
# The course's experiments, installed as they stand in the sources.
EXPERIMENTS=$(cd "$(dirname "$0")/../../resources/experiences" && pwd)
INSTALLED_EXPERIMENTS=usr/share/pll/experiences
WORK="" INSTALLED=0 FAILED=0 WESTON_PID=""
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

stop_weston() {
    stop_session
    if [ -n "$WESTON_PID" ]; then
        kill "$WESTON_PID" 2>/dev/null || true
        wait "$WESTON_PID" 2>/dev/null || true
        WESTON_PID=""
    fi
}

cleanup() {
    stop_weston
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
for tool in dpkg-deb apt-get lintian desktop-file-validate appstreamcli Xvfb xdotool xdpyinfo xprop \
            weston weston-screenshooter update-mime-database update-desktop-database gio "$CONVERT"; do
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
grep -qE '(^|, )qt6-wayland( |,|$)' <<<"$DEPENDS" ||
    fail "the package does not depend on qt6-wayland (Qt's Wayland platform plugin): Depends: $DEPENDS"
VERSION=$(dpkg-deb -f "$DEB" Version)
dpkg-deb -x "$DEB" "$WORK/root"

# Debian's checks of a package: any error or warning fails (information tags do not).
lintian --fail-on error,warning "$DEB" >"$WORK/lintian.log" 2>&1 ||
    fail "lintian complains about the package:$(echo; grep -v 'root privileges' "$WORK/lintian.log")"

desktops=("$WORK"/root/usr/share/applications/*.desktop)
if [ ${#desktops[@]} != 1 ] || [ ! -f "${desktops[0]}" ]; then
    fail "expected one desktop entry in usr/share/applications, found: ${desktops[*]##*/}"
fi
ID=$(basename "${desktops[0]}" .desktop)
DESKTOP=usr/share/applications/$ID.desktop
METAINFO=usr/share/metainfo/$ID.metainfo.xml
MIME=usr/share/mime/packages/$ID.xml
DOC=usr/share/doc/pll
expected=(usr/bin/pll "$DESKTOP" "$METAINFO" "$MIME" "$DOC/changelog.gz" "$DOC/copyright" usr/share/man/man1/pll.1.gz)
for size in "${SIZES[@]}"; do expected+=("usr/share/icons/hicolor/${size}x$size/apps/$ID.png"); done
for experiment in "$EXPERIMENTS"/*.$EXTENSION; do expected+=("$INSTALLED_EXPERIMENTS/${experiment##*/}"); done

# Only the program and its desktop files: no tests, tools or libraries.
(cd "$WORK/root" && find . ! -type d | sed 's|^\./||' | sort) >"$WORK/files"
printf '%s\n' "${expected[@]}" | sort >"$WORK/files.expected"
diff -u "$WORK/files.expected" "$WORK/files" >"$WORK/files.diff" ||
    fail "the package's files differ from those expected (- missing, + extra):$(echo; tail -n +3 "$WORK/files.diff")"

# The validators as the desktop and the software centres read the files: not even a hint.
desktop-file-validate "$WORK/root/$DESKTOP" >"$WORK/desktop-file-validate.log" 2>&1 ||
    fail "desktop-file-validate rejects $DESKTOP:$(echo; cat "$WORK/desktop-file-validate.log")"
[ ! -s "$WORK/desktop-file-validate.log" ] ||
    fail "desktop-file-validate complains about $DESKTOP:$(echo; cat "$WORK/desktop-file-validate.log")"
appstreamcli validate --no-net "$WORK/root/$METAINFO" >"$WORK/appstream.log" 2>&1 ||
    fail "appstreamcli rejects $METAINFO:$(echo; cat "$WORK/appstream.log")"

# The desktop entry, the metainfo and the icons must name one another, or the menu shows no
# icon and the software centre does not find the program.
entry() { sed -n "s/^$1=//p" "$WORK/root/$DESKTOP"; }
[ "$(entry Icon)" = "$ID" ] || fail "$DESKTOP: Icon=$(entry Icon), expected $ID"
[ "$(entry Exec)" = "pll %f" ] || fail "$DESKTOP: Exec=$(entry Exec), expected pll %f"
[[ ";$(entry MimeType)" == *";$TYPE;"* ]] || fail "$DESKTOP: MimeType=$(entry MimeType) does not list $TYPE"
[[ ";$(entry Categories)" == *";Education;"* ]] || fail "$DESKTOP: not in the Education category"
grep -q "<id>$ID</id>" "$WORK/root/$METAINFO" || fail "$METAINFO: its <id> is not $ID"
grep -q "<launchable type=\"desktop-id\">$ID.desktop</launchable>" "$WORK/root/$METAINFO" ||
    fail "$METAINFO: does not launch $ID.desktop"
grep -q "<mediatype>$TYPE</mediatype>" "$WORK/root/$METAINFO" || fail "$METAINFO: does not provide $TYPE"
# What the menu runs: Exec without the field codes of the files to open, which a desktop drops
# when it is given none (the program would otherwise be handed "%f" as a file).
read -ra MENU_COMMAND <<<"$(entry Exec)"
for i in "${!MENU_COMMAND[@]}"; do
    case ${MENU_COMMAND[i]} in %[fFuU]) unset "MENU_COMMAND[i]" ;; esac
done
for size in "${SIZES[@]}"; do
    icon=usr/share/icons/hicolor/${size}x$size/apps/$ID.png
    # A PNG's width and height are the big-endian words at bytes 16 and 20.
    read -r w h < <(od -An -tu1 -j16 -N8 "$WORK/root/$icon" |
        awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
    [ "$(head -c 8 "$WORK/root/$icon" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] ||
        fail "$icon is not a PNG file"
    [ "$w x $h" = "$size x $size" ] || fail "$icon is $w x $h pixels, expected $size x $size"
done

# The changelog's last entry is this version; the copyright file covers the embedded fonts.
changes=$(gzip -dc "$WORK/root/$DOC/changelog.gz" | head -n 1)
[[ "$changes" == "pll ($VERSION) "* ]] || fail "$DOC/changelog.gz starts with '$changes', not version $VERSION"
awk '/^Files: resources\/fonts\//, /^$/' "$WORK/root/$DOC/copyright" | grep -q '^License: ' ||
    fail "$DOC/copyright has no paragraph with the licence of the fonts (Files: resources/fonts/...)"

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
# From a terminal, without a display.
answer=$(env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/pll --version 2>&1) ||
    fail "pll --version failed: $answer"
[ "$answer" = "pll $VERSION" ] || fail "pll --version says '$answer', expected 'pll $VERSION'"
for experiment in "$EXPERIMENTS"/*.$EXTENSION; do
    installed=/$INSTALLED_EXPERIMENTS/${experiment##*/}
    cmp -s "$experiment" "$installed" || fail "$installed is not the course's ${experiment##*/}"
    env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/pll --simulate --experiment "$installed" --every 1 >/dev/null 2>"$WORK/simulate.log" ||
        fail "pll --simulate --experiment $installed failed:$(echo; cat "$WORK/simulate.log")"
done
[ -f /usr/share/qt6/translations/qtbase_fr.qm ] ||
    fail "qtbase_fr.qm is not installed: Qt's dialogs would be in English"

# The triggers of shared-mime-info and desktop-file-utils have put the experiment files' type in
# the system's MIME database and the desktop entry among its applications: a file manager names
# the files, by their name or, without its ending, by their first bytes, and offers PLL.
# knows_glob: whether the database names the files by their ending (globs2: weight:type:pattern).
knows_glob() {
    awk -F: -v type="$TYPE" -v glob="*.$EXTENSION" '$2 == type && $3 == glob { found = 1 } END { exit !found }' \
        /usr/share/mime/globs2
}
knows_glob || fail "/usr/share/mime/globs2 has no *.$EXTENSION for $TYPE"
[ -f "/usr/share/mime/$TYPE.xml" ] || fail "/usr/share/mime/$TYPE.xml missing: the MIME database was not updated"
file_type() {
    env -u XDG_DATA_DIRS -u XDG_DATA_HOME HOME="$WORK/home" LC_ALL=C \
        gio info -a standard::content-type "$1" 2>>"$WORK/gio.log" | sed -n 's/^ *standard::content-type: //p'
}
mkdir -p "$WORK/home" "$WORK/experiments"
printf '{\n    "format": "pll-experience"\n}\n' >"$WORK/experiments/essai.$EXTENSION"
cp "$WORK/experiments/essai.$EXTENSION" "$WORK/experiments/essai"
for sample in "essai.$EXTENSION" essai; do
    seen=$(file_type "$WORK/experiments/$sample")
    [ "$seen" = "$TYPE" ] || fail "an experiment file named $sample is taken for '$seen', not $TYPE"
done
sed -n "s|^$TYPE=||p" /usr/share/applications/mimeinfo.cache 2>/dev/null | tr ';' '\n' | grep -qxF "$ID.desktop" ||
    fail "/usr/share/applications/mimeinfo.cache does not offer $ID.desktop for $TYPE"

# --- the installed program, started as the menu starts it ----------------------
start_xvfb 150 199
# The desktop runs Exec through the system's PATH: it must find the installed program.
start_program env PATH=/usr/bin:/bin "${MENU_COMMAND[@]}"
# The desktop puts a window under its menu entry by WM_CLASS (StartupWMClass), and shows the
# window's own icon from _NET_WM_ICON.
wm_class=$(xprop -id "$WID" WM_CLASS)
[[ "$wm_class" == *", \"$(entry StartupWMClass)\"" ]] ||
    fail "window class $wm_class does not match StartupWMClass=$(entry StartupWMClass) of $DESKTOP"
# The window carries its icon in every size the package installs, so the desktop never scales one.
icons=$(xprop -len 100000000 -id "$WID" _NET_WM_ICON | sed -n 's/^.*Icon (\([0-9]*\) x \1):$/\1/p' | sort -n | xargs)
[ "$icons" = "$(printf '%s\n' "$WINDOW_ICON_SIZE" "${SIZES[@]}" | sort -n | xargs)" ] ||
    fail "the window's icon (_NET_WM_ICON) comes in sizes '$icons', expected $WINDOW_ICON_SIZE ${SIZES[*]}"
stop_session

# --- the installed program on a Wayland desktop without XWayland --------------
# A headless compositor drawing in memory, with no X server anywhere; --debug lets its
# screenshooter show what the program drew. The program is left to choose its platform, as a
# Wayland session's menu starts it.
WAYLAND_RUNTIME=$WORK/wayland
mkdir -p -m 700 "$WAYLAND_RUNTIME"
XDG_RUNTIME_DIR=$WAYLAND_RUNTIME weston --backend=headless-backend.so --use-pixman --width=1024 \
    --height=768 --socket=wayland-pll --idle-time=0 --no-config --debug >"$WORK/weston.log" 2>&1 </dev/null &
WESTON_PID=$!
deadline=$((SECONDS + 10))
until [ -S "$WAYLAND_RUNTIME/wayland-pll" ]; do
    kill -0 "$WESTON_PID" 2>/dev/null || fail "weston did not start:$(echo; tail -n 20 "$WORK/weston.log")"
    [ $SECONDS -lt $deadline ] || fail "weston's socket did not appear within 10 s"
    sleep 0.1
done
wayland=(env -u DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$WAYLAND_RUNTIME" WAYLAND_DISPLAY=wayland-pll
         XDG_SESSION_TYPE=wayland PATH=/usr/bin:/bin)
"${wayland[@]}" "${MENU_COMMAND[@]}" >"$WORK/pll.log" 2>&1 </dev/null &
PLL_PID=$!
# colour_count COLOUR: the pixels of that colour in the last screenshot.
colour_count() {
    "$CONVERT" "$SHOT" -fill black +opaque "$1" -fill white -opaque "$1" -format '%[fx:round(mean*w*h)]' info:
}
# The menu page's loop diagram: the yellow reducer box and the two lime setpoint boxes.
deadline=$((SECONDS + 30))
while :; do
    alive "on the Wayland compositor"
    rm -f "$WAYLAND_RUNTIME"/*.png
    (cd "$WAYLAND_RUNTIME" && "${wayland[@]}" timeout 10 weston-screenshooter >>"$WORK/screenshooter.log" 2>&1) || true
    SHOT=$(find "$WAYLAND_RUNTIME" -maxdepth 1 -name "*.png" | head -n 1)
    if [ -n "$SHOT" ] && [ "$(colour_count 'rgb(255,255,0)')" -ge 1000 ] && [ "$(colour_count 'rgb(0,255,0)')" -ge 1500 ]; then
        break
    fi
    [ $SECONDS -lt $deadline ] || fail "no loop diagram on the Wayland compositor within 30 s (screenshots in $WAYLAND_RUNTIME)"
    sleep 0.5
done
WAYLAND_SEEN="menu page drawn on a headless Wayland compositor"
stop_weston

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
# Nor in the databases the triggers built.
! knows_glob || fail "/usr/share/mime/globs2 still knows *.$EXTENSION for $TYPE after removal"
[ ! -e "/usr/share/mime/$TYPE.xml" ] || fail "/usr/share/mime/$TYPE.xml left after removal"
! grep -qsF "$ID.desktop" /usr/share/applications/mimeinfo.cache ||
    fail "/usr/share/applications/mimeinfo.cache still offers $ID.desktop after removal"
still=$(comm -12 "$WORK/packages.added" <(installed_packages) | tr '\n' ' ')
[ -z "$still" ] || fail "still installed after removal: $still"

echo "check_package: PASS ($(basename "$DEB"): ${#expected[@]} files as expected, lintian and validators clean," \
     "installed, $TYPE known by name and content and offered to $ID.desktop," \
     "window 'PLL' shown on $DISPLAY with icons of $WINDOW_ICON_SIZE ${SIZES[*]} pixels," \
     "$WAYLAND_SEEN, removed without a trace)"
