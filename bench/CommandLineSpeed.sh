#!/bin/sh
# How quickly the command line answers, timed as whole processes (hyperfine's means over many
# runs, after warm-up runs):
#   1. varnock --mass H2O beside /bin/true and beside ReadTable, a C program that only opens
#      and reads elements.dat: the goal is within 2 times ReadTable;
#   2. varnock --list over 100,000 generated formulas (FormulaList: 1 to 30 entries, groups,
#      hydrates and charges among them), written to a file: formulas a second, goal 200,000;
#   3. the same list with an adduct ion's m/z as its column, --fields 'mz[M+H]+', and with
#      the monoisotopic mass beside it: goal 200,000 too.
#
#   bench/CommandLineSpeed.sh [BUILD_DIR]      (default: build; needs hyperfine)
set -eu
Build=$(cd "${1:-build}" && pwd)
for Tool in "$Build/varnock" "$Build/bench/ReadTable" "$Build/bench/FormulaList"; do
    [ -x "$Tool" ] || { echo "missing $Tool: build first (cmake --build --preset default)" >&2; exit 1; }
done
command -v hyperfine >/dev/null || { echo "hyperfine is needed: apt-get install hyperfine" >&2; exit 1; }
Work=$(mktemp -d)
trap 'rm -rf "$Work"' EXIT
# ReadTable reads the table beside itself, as varnock does.
cp "$Build/bench/ReadTable" "$Build/elements.dat" "$Work/"

hyperfine -N --warmup 20 --runs 500 --export-json "$Work/start.json" \
    true "$Work/ReadTable" "$Build/varnock --mass H2O"
Mean() { sed -n 's/^ *"mean": \([0-9.e-]*\),*$/\1/p' "$1" | sed -n "${2}p"; }
awk -v T="$(Mean "$Work/start.json" 2)" -v V="$(Mean "$Work/start.json" 3)" \
    'BEGIN { printf "varnock --mass H2O / ReadTable: %.2f (goal <= 2.00)\n", V / T }'

"$Build/bench/FormulaList" 100000 >"$Work/formulas.txt"
hyperfine -N --warmup 2 --runs 20 --export-json "$Work/list.json" \
    --output "$Work/masses.tsv" "$Build/varnock --list $Work/formulas.txt"
awk -v S="$(Mean "$Work/list.json" 1)" \
    'BEGIN { printf "varnock --list: %.0f formulas a second (goal >= 200000)\n", 100000 / S }'

# The charged formulas among them take no adduct: their notices make the status 1 (-i).
hyperfine -N -i --warmup 2 --runs 20 --export-json "$Work/adduct.json" --output "$Work/masses.tsv" \
    "$Build/varnock --list $Work/formulas.txt --fields mz[M+H]+" \
    "$Build/varnock --list $Work/formulas.txt --fields mono,mz[M+H]+"
for Run in 1 2; do
    awk -v S="$(Mean "$Work/adduct.json" $Run)" -v R=$Run 'BEGIN {
        printf "varnock --list --fields %s: %.0f formulas a second (goal >= 200000)\n",
            R == 1 ? "mz[M+H]+" : "mono,mz[M+H]+", 100000 / S }'
done
