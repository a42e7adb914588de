#!/bin/sh
# Start-up time of the program (varnock, which hands over to the window program) against a bare
# window with the same controls, built the same way: the time from starting each to its window
# being mapped under Xvfb, median of 10 starts each (after one start of each that is not
# counted), and resident memory once the window is up. The two programs take turns, so a busy
# machine slows both alike.
#
#   bench/StartupTime.sh [BUILD_DIR]      (default: build)
set -eu
Build=${1:-build}
Shot="$Build/tools/varnock-xshot"
for Tool in "$Shot" "$Build/varnock" "$Build/bench/varnock-minimal"; do
    [ -x "$Tool" ] || { echo "missing $Tool: build first (ninja -C $Build)" >&2; exit 1; }
done
unset DISPLAY QT_QPA_PLATFORM
Runs=$(mktemp -d)
trap 'rm -rf "$Runs"' EXIT
# The window starts as a first start does, whatever the user's own settings hold.
export XDG_CONFIG_HOME="$Runs/config"
for Run in 0 1 2 3 4 5 6 7 8 9 10; do
    for Program in "$Build/varnock" "$Build/bench/varnock-minimal"; do
        Name=$(basename "$Program")
        "$Shot" --settle 300 -- "$Program" 2>/dev/null >"$Runs/out"
        [ "$Run" -eq 0 ] && continue
        sed -n 's/^shown_ms=//p' "$Runs/out" >>"$Runs/$Name.ms"
        sed -n 's/^rss_kb=//p' "$Runs/out" >>"$Runs/$Name.kb"
    done
done
Median() { sort -n "$1" | awk '{ V[NR] = $1 } END { print (NR % 2) ? V[(NR + 1) / 2] : (V[NR / 2] + V[NR / 2 + 1]) / 2 }'; }
P=$(Median "$Runs/varnock.ms")
F=$(Median "$Runs/varnock-minimal.ms")
echo "varnock:         median ${P} ms to window shown, resident $(Median "$Runs/varnock.kb") kB"
echo "minimal window:  median ${F} ms to window shown, resident $(Median "$Runs/varnock-minimal.kb") kB"
awk -v P="$P" -v F="$F" 'BEGIN { printf "ratio:           %.2f (goal <= 1.10)\n", P / F }'
