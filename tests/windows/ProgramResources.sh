#!/usr/bin/env bash
# The Windows programs' resources read back from the built .exe files with icoutils: each
# program's own file name in its version information, the company, the copyright line of
# LICENSE and the project's version; the icon in 256, 48, 32 and 16 pixels at 32 bits; the
# manifest asking for the user's rights on Windows 10 and 11, and setting neither the DPI
# awareness (Qt sets it) nor the UTF-8 code page.
#
#   tests/windows/ProgramResources.sh VERSION PROGRAM.exe...
set -euo pipefail
Version=$1
shift
Root=$(cd "$(dirname "$0")/../.." && pwd)
Failed=0
Fail() {
    echo "FAILED: $*" >&2
    Failed=1
}
Work=$(mktemp -d "${TMPDIR:-/tmp}/varnock-resources.XXXXXX")
trap 'rm -rf "$Work"' EXIT
Copyright=$(grep -m1 '^Copyright ' "$Root/LICENSE")

# The version information's strings, one a line, each key followed by its value.
Strings() { wrestool -x --raw --type=16 "$1" | iconv -f UTF-16LE -t UTF-8 -c | tr -c '[:print:]' '\n' | grep ..; }
Value() { Strings "$1" | grep -A1 -x "$2" | sed -n 2p; }

for Program in "$@"; do
    Name=$(basename "$Program")
    echo "$Name"
    while read -r Key Expected; do
        Got=$(Value "$Program" "$Key")
        [ "$Got" = "$Expected" ] || Fail "$Name: $Key is '$Got', not '$Expected'"
    done <<EOF
OriginalFilename $Name
InternalName ${Name%.exe}
CompanyName Tervalin
LegalCopyright $Copyright
FileVersion $Version
ProductVersion $Version
EOF

    rm -f "$Work"/*.ico
    wrestool -x --type=14 -o "$Work" "$Program"
    Sizes=$(icotool -l "$Work"/*.ico | sed 's/.*--width=\([0-9]*\) .*--bit-depth=\([0-9]*\).*/\1x\2/' | sort -n | tr '\n' ' ')
    [ "$Sizes" = "16x32 32x32 48x32 256x32 " ] || Fail "$Name: icon images $Sizes"

    Manifest=$(wrestool -x --raw --type=24 --name=1 "$Program")
    grep -q '<requestedExecutionLevel level="asInvoker"' <<<"$Manifest" || Fail "$Name: not asInvoker"
    grep -q '<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>' <<<"$Manifest" ||
        Fail "$Name: not for Windows 10 and 11"
    ! grep -q -E '<(dpiAware|dpiAwareness|activeCodePage)[ >]' <<<"$Manifest" ||
        Fail "$Name: the manifest sets the DPI awareness or the code page"
done
[ $Failed -eq 0 ] && echo "the resources of $# programs are as they should be"
exit $Failed
