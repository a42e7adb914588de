#!/usr/bin/env bash
# The zip as a Windows user gets it: made with CPack, holding exactly what it should, stripped,
# unpacked into a fresh Wine folder and run from there with no other search path: varnock.exe
# weighs a formula, and varnock-window.exe opens its window with the table read (the caption
# says so). A screenshot of that window is saved beside the zip.
#
#   scripts/wine-window --then tests/windows/PackageZip.sh BUILD_DIR
set -euo pipefail
Build=$1
Root=$(cd "$(dirname "$0")/../.." && pwd)
Work=$Build/package
Fail() {
    echo "FAILED: $*" >&2
    exit 1
}

# The setup's test makes its own in the same folder.
rm -f "$Work"/varnock-*.zip
cpack --config "$Build/CPackConfig.cmake" -G ZIP -B "$Work" >/dev/null
Zip=$(ls "$Work"/varnock-1.*-windows-x86_64.zip)
echo "built $Zip, $(stat -c %s "$Zip") bytes"

Top=$(basename "$Zip" .zip)
Expected="elements.dat isotopes.dat groups.dat adducts.dat LICENSE README.md varnock.exe
varnock-window.exe varnock.html
Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll platforms/qwindows.dll modules/varnock-fine-structure.dll
libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll"
Listed=$(unzip -Z1 "$Zip" | grep -v '/$' | sed "s|^$Top/||" | sort)
Wanted=$(tr ' ' '\n' <<<"$Expected" | grep . | sort)
[ "$Listed" = "$Wanted" ] || Fail "the zip holds
$Listed
instead of
$Wanted"

Unpacked=$(mktemp -d "${TMPDIR:-/tmp}/varnock-zip.XXXXXX")
trap 'rm -rf "$Unpacked"' EXIT
unzip -q "$Zip" -d "$Unpacked"
Folder=$Unpacked/$Top
for File in "$Folder"/*.exe "$Folder"/*.dll "$Folder"/*/*.dll; do
    # A stripped file has no symbol table left.
    [ -z "$(x86_64-w64-mingw32-nm "$File" 2>/dev/null)" ] || Fail "$(basename "$File") is not stripped"
done

# From another folder, so that nothing of the build can be found by accident.
cd "$Unpacked"
unset VARNOCK_WINE_DLLS WINEPATH
Mass=$("$Root/scripts/wine-run" "$Folder/varnock.exe" --mass H2O | tr -d '\r')
[ "$Mass" = "18.015 g" ] || Fail "varnock.exe --mass H2O gave '$Mass'"
echo "varnock.exe --mass H2O: $Mass"

"$Root/scripts/wine-run" "$Folder/varnock-window.exe" &
Program=$!
Window=
for _ in $(seq 600); do
    Window=$(xwininfo -root -tree 2>/dev/null | grep '"Varnock (By Tervalin)"' | awk '{print $1}' | head -n1 || true)
    [ -n "$Window" ] && break
    sleep 0.1
done
[ -n "$Window" ] || Fail "varnock-window.exe showed no window with the table read within 60 s"
sleep 1
import -window "$Window" "$Work/ZipWindow.png" 2>/dev/null || true
echo "varnock-window.exe opened its window; screenshot $Work/ZipWindow.png"
wineserver -k 2>/dev/null || true
wait "$Program" 2>/dev/null || true
