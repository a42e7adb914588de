#!/bin/sh
# The .deb as a user gets it: built with CPack, checked by lintian, installed with apt-get,
# asked for a mass on the command line, started as /usr/bin/varnock under Xvfb until its window
# shows the table was read, closed by its close button, removed, and then nothing of it may be
# left.
#
#   tests/PackageInstall.sh BUILD_DIR VARNOCK_XSHOT
#
# It installs into the running system, so it needs root (or sudo without a password);
# without either it reports itself skipped (exit 77).
set -eu
Build=$1
Shot=$2
Work=$Build/package

if [ "$(id -u)" -eq 0 ]; then
    Sudo=
elif sudo -n true 2>/dev/null; then
    Sudo=sudo
else
    echo "skipped: installing a package needs root"
    exit 77
fi
Fail() {
    echo "FAILED: $*" >&2
    exit 1
}
AsRoot() { $Sudo env DEBIAN_FRONTEND=noninteractive "$@"; }
Installed() { dpkg-query -W -f='${Status}' varnock 2>/dev/null | grep -q 'install ok installed'; }

rm -rf "$Work"
cpack --config "$Build/CPackConfig.cmake" -G DEB -B "$Work" >/dev/null
Deb=$(ls "$Work"/varnock_*.deb)
Deb=$(cd "$(dirname "$Deb")" && pwd)/$(basename "$Deb")
echo "built $Deb"
lintian --fail-on error "$Deb" || Fail "lintian reports errors"

# A package left behind by an interrupted run would hide what this one installs.
if Installed; then AsRoot apt-get purge -y -qq varnock >/dev/null; fi
trap 'if Installed; then AsRoot apt-get purge -y -qq varnock >/dev/null; fi' EXIT
AsRoot apt-get install -y -qq --no-install-recommends "$Deb" >/dev/null
Installed || Fail "apt-get did not install the package"
Files=$(dpkg -L varnock)

[ "$(readlink -f /usr/bin/varnock)" = /usr/lib/varnock/varnock ] ||
    Fail "/usr/bin/varnock does not lead to the program"
[ -f /usr/lib/varnock/elements.dat ] || Fail "no element table beside the program"
[ -f /usr/lib/varnock/groups.dat ] || Fail "no group table beside the program"
[ -x /usr/lib/varnock/varnock-window ] || Fail "no window program beside the program"
grep -q 'calculate the formula mass of a chemical compound' /usr/lib/varnock/varnock.html ||
    Fail "no HTML manual beside the program"
[ -f /usr/lib/varnock/modules/varnock-svg-writer.so ] || Fail "no SVG module beside the program"
desktop-file-validate /usr/share/applications/test.tervalin.Varnock.desktop ||
    Fail "the installed desktop entry is not valid"
appstreamcli validate --no-net /usr/share/metainfo/test.tervalin.Varnock.metainfo.xml >/dev/null ||
    Fail "the installed metainfo is not valid"
for Size in 16 32 48 128 256; do
    [ -f "/usr/share/icons/hicolor/${Size}x$Size/apps/varnock.png" ] || Fail "no $Size px icon"
done
[ -f /usr/share/icons/hicolor/scalable/apps/varnock.svg ] || Fail "no scalable icon"
[ "$(man -w varnock)" = /usr/share/man/man1/varnock.1.gz ] || Fail "man varnock finds no page"

# The command line from elsewhere through the link, with no display, weighs against the table
# beside the program.
Mass=$(cd / && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM varnock --mass H2O) ||
    Fail "varnock --mass H2O failed"
[ "$Mass" = "18.015 g" ] || Fail "varnock --mass H2O printed '$Mass'"
# The fine structure: the module beside the program, and what it needs, installed with it.
Fine=$(cd / && varnock --point -a --resolution 0.001 C6H6NS) || Fail "varnock --resolution failed"
echo "$Fine" | grep -q '^125\.019130' || Fail "varnock --resolution gave no fine structure"

# Started from elsewhere through the link, as the menu does, remembering its place in a folder
# of this test's own. The caption is set only once the table beside the program has been read.
Output=$(cd / && XDG_CONFIG_HOME="$Work/config" "$Shot" --out "$Work/installed-window.png" --close -- /usr/bin/varnock) ||
    Fail "the installed program showed no window"
echo "$Output"
echo "$Output" | grep -qx 'title=Varnock (By Tervalin)' || Fail "the window did not read its table"
echo "$Output" | grep -qx 'closed_exit=0' || Fail "closing the window did not end the program cleanly"

AsRoot apt-get purge -y -qq varnock >/dev/null
! Installed || Fail "the package is still installed"
Left=0
for Path in $Files; do
    [ -e "$Path" ] || [ -L "$Path" ] || continue
    # Shared folders such as /usr/share/icons stay; they belong to other packages too.
    if [ -d "$Path" ] && [ ! -L "$Path" ] && dpkg-query -S "$Path" >/dev/null 2>&1; then
        continue
    fi
    echo "left behind: $Path" >&2
    Left=$((Left + 1))
done
[ "$Left" -eq 0 ] || Fail "$Left paths of the package were left after removal"
echo "installed, ran, closed and removed cleanly: $(echo "$Files" | wc -l) paths"
