#!/bin/sh
# Builds the window soak and runs it: calculations through the window on the offscreen
# platform (good formulas, refused ones, ones naming missing elements), then resident memory
# after the warm-up against the end. Fails when memory grew by 1 MiB or more, or when a result
# changed between runs of the same formula.
#
#   bench/WindowSoak.sh [CALCULATIONS [WARM_UP]]    (defaults 100000 and 5000)
#   BUILD_DIR=... bench/WindowSoak.sh               (default: build; configured when missing)
set -eu
Root=$(cd "$(dirname "$0")/.." && pwd)
Build=${BUILD_DIR:-$Root/build}
if [ ! -f "$Build/build.ninja" ]; then
    cmake -G Ninja -S "$Root" -B "$Build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$Build" -j2 --target WindowSoak >/dev/null
QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 exec "$Build/bench/WindowSoak" "$@"
