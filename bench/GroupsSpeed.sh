#!/bin/sh
# What the groups cost, against a build without them (BASE_BUILD, e.g. a build of the commit
# before), timed as whole processes (hyperfine's medians over many runs, after warm-up runs;
# hyperfine runs one command's runs, then the other's, so on a busy machine run it more than
# once, or compare instruction counts: valgrind --tool=callgrind):
#   1. varnock --mass H2O, the start-up: goal within 3 % of the base;
#   2. varnock --list over 100,000 formulas without groups (FormulaList): goal within 3 %;
#   3. 100,000 formulas that name groups (FormulaList --groups), read and weighed: goal at least
#      1,000,000 a second, by the core alone (CalculateBench's BM_GroupFormulas, CPU time) and
#      as varnock --list writes them.
#
#   bench/GroupsSpeed.sh BASE_BUILD [BUILD_DIR]      (BUILD_DIR default: build; needs hyperfine)
set -eu
[ $# -ge 1 ] || { echo "usage: $0 BASE_BUILD [BUILD_DIR]" >&2; exit 2; }
Base=$(cd "$1" && pwd)
Build=$(cd "${2:-build}" && pwd)
for Tool in "$Base/varnock" "$Build/varnock" "$Build/bench/FormulaList" "$Build/bench/CalculateBench"; do
    [ -x "$Tool" ] || { echo "missing $Tool: build first" >&2; exit 1; }
done
command -v hyperfine >/dev/null || { echo "hyperfine is needed: apt-get install hyperfine" >&2; exit 1; }
Work=$(mktemp -d)
trap 'rm -rf "$Work"' EXIT
Mean() { sed -n 's/^ *"mean": \([0-9.e-]*\),*$/\1/p' "$1" | sed -n "${2}p"; }
Median() { sed -n 's/^ *"median": \([0-9.e-]*\),*$/\1/p' "$1" | sed -n "${2}p"; }
Ratio() { # JSON, goal text
    awk -v A="$(Median "$1" 1)" -v B="$(Median "$1" 2)" -v G="$2" \
        'BEGIN { printf "  with groups / without: %.3f (%s)\n", A / B, G }'
}

echo "1. varnock --mass H2O"
hyperfine -N --warmup 20 --runs 500 --export-json "$Work/start.json" \
    "$Build/varnock --mass H2O" "$Base/varnock --mass H2O"
Ratio "$Work/start.json" "goal <= 1.03"

echo "2. varnock --list, 100,000 formulas without groups"
"$Build/bench/FormulaList" 100000 >"$Work/plain.txt"
hyperfine -N --warmup 2 --runs 20 --export-json "$Work/list.json" \
    --output "$Work/masses.tsv" \
    "$Build/varnock --list $Work/plain.txt" "$Base/varnock --list $Work/plain.txt"
Ratio "$Work/list.json" "goal <= 1.03"

echo "3. 100,000 formulas that name groups"
"$Build/bench/FormulaList" --groups 100000 >"$Work/groups.txt"
VARNOCK_GROUP_FORMULAS="$Work/groups.txt" "$Build/bench/CalculateBench" \
    --benchmark_filter=BM_GroupFormulas --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true | grep -E 'median|Benchmark'
echo "  (items_per_second: goal >= 1,000,000)"
hyperfine -N --warmup 2 --runs 20 --export-json "$Work/groups.json" \
    --output "$Work/group-masses.tsv" "$Build/varnock --list $Work/groups.txt"
awk -v S="$(Mean "$Work/groups.json" 1)" \
    'BEGIN { printf "  varnock --list: %.0f formulas a second, output included\n", 100000 / S }'
