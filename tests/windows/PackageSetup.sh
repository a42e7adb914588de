#!/usr/bin/env bash
# The setup program as a Windows user meets it, made with CPack beside the zip and run in a
# fresh 64-bit Wine folder on an X server (scripts/wine-window), with Wine's menu builder off:
#   - a setup cut short fails, with a message when run with its wizard, and installs nothing;
#   - the wizard shows the licence after its welcome page (screenshot);
#   - a silent install over an older version replaces it: the older one's files are gone, the
#     installed files are those the install rules put in the package, the shortcut points at
#     the window program, and the uninstall entry has this version, the publisher and the icon;
#   - the installed varnock.exe weighs H2O and gives its fine structure; the installed window,
#     started from the shortcut's target, calculates H2O (screenshot);
#   - installing again over the same version goes through and changes nothing;
#   - a silent uninstall leaves no program file, shortcut or entry;
#   - a table the user edited stays through an uninstall and a new install, and an uninstall
#     that can't set it aside (a table.kept left by a run cut short) removes nothing;
#   - the home folder is as it was.
# Screenshots go to the package folder. Each step's time is printed.
#
#   scripts/wine-window --then tests/windows/PackageSetup.sh BUILD_DIR VERSION
set -euo pipefail
Build=$1
Version=$2
Root=$(cd "$(dirname "$0")/../.." && pwd)
Work=$Build/package
Run=$Root/scripts/wine-run
Fail() {
    echo "FAILED: $*" >&2
    exit 1
}
Last=$SECONDS
Step() {
    echo "$* ($((SECONDS - Last)) s)"
    Last=$SECONDS
}

# What Wine's menu builder would touch in the home folder.
HomeMenus() {
    find "$HOME/.local/share/applications" "$HOME/.config/menus" "$HOME/.local/share/icons" \
        "$HOME/.local/share/desktop-directories" "$HOME/.local/share/mime" "$HOME/Desktop" \
        -printf '%p %s %T@\n' 2>/dev/null | sort || true
}
HomeBefore=$(HomeMenus)

rm -f "$Work"/varnock-*.exe
cpack --config "$Build/CPackConfig.cmake" -G NSIS -B "$Work" >/dev/null
Setup=$(ls "$Work"/varnock-"$Version"-windows-x86_64.exe)
Staged=$(echo "$Work"/_CPack_Packages/*/NSIS/"$(basename "$Setup" .exe)")
Step "built $Setup, $(stat -c %s "$Setup") bytes"
# The older version: the same programs under an older number, with a file this one lacks.
Older=$(mktemp -d "${TMPDIR:-/tmp}/varnock-older.XXXXXX")
trap 'rm -rf "$Older"' EXIT
mkdir "$Older/extra"
echo "only in the older version" >"$Older/extra/older-only.txt"
cpack --config "$Build/CPackConfig.cmake" -G NSIS -B "$Older" -D CPACK_PACKAGE_VERSION=0.9 \
    -D CPACK_PACKAGE_FILE_NAME=varnock-0.9-windows-x86_64 -D CPACK_NSIS_COMPRESSOR=zlib \
    -D "CPACK_INSTALLED_DIRECTORIES=$Older/extra;." >/dev/null
Step "built the setup of version 0.9"

# From a folder of its own, with no search path into the build.
cd "$Older"
unset VARNOCK_WINE_DLLS WINEPATH
"$Run" >/dev/null
Windows() { "$Run" cmd /c "echo $1" | tr -d '\r'; }
Unix() { "$Run" winepath -u "$1" | tr -d '\r'; }
Folder=$(Unix "$(Windows '%LOCALAPPDATA%')\\Programs\\Varnock")
Shortcut=$(Unix "$(Windows '%APPDATA%')\\Microsoft\\Windows\\Start Menu\\Programs\\Varnock.lnk")
Key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Varnock'
Entry() { "$Run" reg query "$Key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v Name="$1" '$1 == Name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'; }
Installed() { (cd "$Folder" 2>/dev/null && find . -type f | sed 's|^\./||' | sort); }
Expected=$( (cd "$Staged" && find . -type f | sed 's|^\./||'; echo Uninstall.exe) | sort)
Install() { # setup
    local Status=0
    "$Run" "$1" /S || Status=$?
    [ $Status -eq 0 ] || Fail "$(basename "$1") /S gave $Status"
    wineserver -w
}
Uninstall() {
    local Status=0
    "$Run" "$Folder/Uninstall.exe" /S || Status=$?
    [ $Status -eq 0 ] || Fail "Uninstall.exe /S gave $Status"
    # The uninstaller runs on from a copy of itself in the temporary folder.
    wineserver -w
}
NothingInstalled() { # when
    [ ! -e "$Folder" ] || Fail "$1: $Folder holds $(Installed | tr '\n' ' ')"
    [ ! -e "$Shortcut" ] || Fail "$1: the shortcut is there"
    [ -z "$(Entry DisplayName)" ] || Fail "$1: the uninstall entry is there"
}
# The first window of a Wine program whose name matches, on this run's X server.
WaitForWindow() { # name-pattern seconds
    local Window
    for _ in $(seq $(($2 * 10))); do
        Window=$(xdotool search --name "$1" 2>/dev/null | head -n1 || true)
        [ -n "$Window" ] && echo "$Window" && return 0
        sleep 0.1
    done
    return 1
}

# A setup cut short: with its wizard it says so; silently it gives an error; neither installs.
Cut=$Older/cut.exe
head -c $(($(stat -c %s "$Setup") * 2 / 3)) "$Setup" >"$Cut"
"$Run" "$Cut" &
Program=$!
Window=$(WaitForWindow 'NSIS Error' 60) || Fail "the cut setup showed no message"
sleep 1
import -window root "$Work/SetupCutShort.png" 2>/dev/null
xdotool key --window "$Window" Return 2>/dev/null
Status=0
wait $Program || Status=$?
[ $Status -ne 0 ] || Fail "the cut setup gave 0 with its wizard"
Status=0
"$Run" "$Cut" /S || Status=$?
[ $Status -ne 0 ] || Fail "the cut setup gave 0 when silent"
wineserver -w
NothingInstalled "the cut setup"
Step "a setup cut short: a message, exit status $Status silently, nothing installed"

# The wizard: its welcome page, and Enter goes on to the licence.
"$Run" "$Setup" &
Program=$!
Window=$(WaitForWindow '^Varnock Setup$' 60) || Fail "the setup showed no wizard"
sleep 1
xdotool key --window "$Window" Return 2>/dev/null
sleep 1
import -window "$Window" "$Work/SetupLicence.png" 2>/dev/null
wineserver -k
wait $Program 2>/dev/null || true
NothingInstalled "the wizard closed on its licence page"
Step "the wizard's licence page: $Work/SetupLicence.png"

Install "$Older/varnock-0.9-windows-x86_64.exe"
[ "$(Entry DisplayVersion)" = 0.9 ] && [ -f "$Folder/older-only.txt" ] || Fail "version 0.9 did not install"
Step "installed version 0.9"
Install "$Setup"
[ "$(Installed)" = "$Expected" ] || Fail "installed over 0.9, $Folder holds
$(Installed)
instead of
$Expected"
while read -r Name Value; do
    [ "$(Entry "$Name")" = "$Value" ] || Fail "the uninstall entry's $Name is '$(Entry "$Name")', not '$Value'"
done <<EOF
DisplayName Varnock
DisplayVersion $Version
Publisher Tervalin
EOF
[ "$(Unix "$(Entry DisplayIcon | sed 's/,0$//')")" -ef "$Folder/varnock-window.exe" ] ||
    Fail "the entry's icon is $(Entry DisplayIcon)"
[ -f "$Shortcut" ] || Fail "no shortcut $Shortcut"
Target=$(lnkinfo "$Shortcut" | sed -n 's/^[[:space:]]*Local path[[:space:]]*: //p' | tr -d '\r')
[ -n "$Target" ] && [ "$(Unix "$Target")" -ef "$Folder/varnock-window.exe" ] ||
    Fail "the shortcut points at '$Target'"
Step "installed $Version over 0.9: the files of the package, the shortcut to $Target, the entry"

Mass=$("$Run" "$Folder/varnock.exe" --mass H2O | tr -d '\r')
[ "$Mass" = "18.015 g" ] || Fail "varnock.exe --mass H2O gave '$Mass'"
# Water's M+1 splits at 0.001 u into H2(17O), 19.014782 u, and HD(16O), 19.016841 u
# (the masses of 1H, 2H, 16O and 17O added by hand).
Fine=$("$Run" "$Folder/varnock.exe" --analysis --resolution 0.001 H2O | tr -d '\r')
grep -q '^19\.014782	' <<<"$Fine" && grep -q '^19\.016841	' <<<"$Fine" ||
    Fail "no fine structure from the installed varnock.exe:
$Fine"
Step "the installed varnock.exe: $Mass, and water's fine structure"

"$Run" "$(Unix "$Target")" &
Program=$!
Window=$(WaitForWindow '^Varnock \(By Tervalin\)$' 60) || Fail "the installed window did not open with its table read"
sleep 1
xdotool windowactivate --sync "$Window" 2>/dev/null || true
xdotool type --delay 50 H2O
xdotool key Return
sleep 1
import -window root "$Work/SetupWindow.png" 2>/dev/null
wineserver -k
wait $Program 2>/dev/null || true
Step "the installed window from the shortcut's target: $Work/SetupWindow.png"

Install "$Setup"
[ "$(Installed)" = "$Expected" ] && [ "$(Entry DisplayVersion)" = "$Version" ] || Fail "a reinstall changed the installation"
[ "$("$Run" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall' | tr -d '\r' | grep -c -i '\\Uninstall\\Varnock$')" = 1 ] ||
    Fail "more than one uninstall entry"
Step "installed $Version over itself"

Uninstall
NothingInstalled "uninstalled"
Step "uninstalled: no program file, shortcut or entry"

# The user's table: an edited elements.dat stays through an uninstall and an install.
Install "$Setup"
echo '"Xx",99,1.5,"Varnockium"' >>"$Folder/elements.dat"
Edited=$(sha256sum <"$Folder/elements.dat")
Uninstall
[ "$(Installed)" = elements.dat ] && [ "$(sha256sum <"$Folder/elements.dat")" = "$Edited" ] ||
    Fail "uninstalled after the table was edited, $Folder holds $(Installed | tr '\n' ' ')"
[ ! -e "$Shortcut" ] && [ -z "$(Entry DisplayName)" ] || Fail "the shortcut or the entry stayed"
Install "$Setup"
[ "$(sha256sum <"$Folder/elements.dat")" = "$Edited" ] || Fail "an install replaced the edited table"
[ "$(Installed)" = "$Expected" ] || Fail "installed over a kept table, $Folder holds $(Installed | tr '\n' ' ')"
Uninstall
[ "$(Installed)" = elements.dat ] || Fail "the second uninstall left $(Installed | tr '\n' ' ')"
Step "an edited elements.dat stays through an uninstall and an install"
Install "$Setup"
echo stale >"$Folder/elements.dat.kept"
Uninstall
[ "$(sha256sum <"$Folder/elements.dat")" = "$Edited" ] && [ -e "$Folder/Uninstall.exe" ] ||
    Fail "an uninstall beside a stale elements.dat.kept went on, $Folder holds $(Installed | tr '\n' ' ')"
rm "$Folder/elements.dat.kept"
Uninstall
[ "$(Installed)" = elements.dat ] || Fail "the uninstall after it left $(Installed | tr '\n' ' ')"
Step "an uninstall that can't set the edited table aside removes nothing"

[ "$(HomeMenus)" = "$HomeBefore" ] || Fail "the home folder's menus changed:
$(diff <(echo "$HomeBefore") <(HomeMenus))"
echo "the home folder is as it was"
