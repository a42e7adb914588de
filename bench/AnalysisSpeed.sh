#!/bin/sh
# How quickly varnock --analysis answers, against the JavaScript isotopic-distribution package
# (npm) measured in the same run:
#   1. the peer in-process (node), median of 200 runs after 20 warm-up runs, for a 66 kDa protein
#      (C2934H4615N781O898S39), insulin and caffeine, threshold 1e-4;
#   2. a whole varnock --analysis process for each, at unit resolution down to 0.01 %
#      (hyperfine, median); the goal is the protein's process within the peer's in-process time;
#   3. the median process time over 1,000 formulas from FormulaList;
#   4. varnock --list --fields mass,mono,hill over 100,000 formulas: goal 200,000 a second.
# The peer is installed with npm into a temporary folder and removed afterwards; without npm
# or node its step is left out.
#
#   bench/AnalysisSpeed.sh [BUILD_DIR]      (default: build; needs hyperfine)
set -eu
Build=$(cd "${1:-build}" && pwd)
for Tool in "$Build/varnock" "$Build/bench/FormulaList"; do
    [ -x "$Tool" ] || { echo "missing $Tool: build first (cmake --build --preset default)" >&2; exit 1; }
done
command -v hyperfine >/dev/null || { echo "hyperfine is needed: apt-get install hyperfine" >&2; exit 1; }
Work=$(mktemp -d)
trap 'rm -rf "$Work"' EXIT
Protein=C2934H4615N781O898S39
Insulin=C254H377N65O75S6
Caffeine=C8H10N4O2

if command -v npm >/dev/null && command -v node >/dev/null &&
    (cd "$Work" && npm init -y >/dev/null && npm install --silent isotopic-distribution >/dev/null 2>&1); then
    cat >"$Work/peer.js" <<'EOF'
const { IsotopicDistribution } = require('isotopic-distribution');
for (const mf of process.argv.slice(2)) {
  const times = [];
  for (let i = 0; i < 220; i++) {
    const start = process.hrtime.bigint();
    new IsotopicDistribution(mf, { threshold: 1e-4 }).getDistribution();
    if (i >= 20) times.push(Number(process.hrtime.bigint() - start) / 1e6);
  }
  times.sort((a, b) => a - b);
  console.log(`peer in-process ${mf}: ${times[100].toFixed(3)} ms (median)`);
}
EOF
    (cd "$Work" && node peer.js $Protein $Insulin $Caffeine)
else
    echo "peer left out: npm or node missing, or the package could not be installed"
fi

hyperfine -N --warmup 20 --runs 300 --export-json "$Work/analysis.json" \
    "$Build/varnock --analysis $Protein" "$Build/varnock --analysis $Insulin" \
    "$Build/varnock --analysis $Caffeine" >/dev/null
sed -n 's/^ *"command": "\(.*\)",$/\1/p; s/^ *"median": \([0-9.e-]*\),*$/\1/p' "$Work/analysis.json" |
    paste - - | awk -F'\t' '{ printf "%s: %.3f ms (median process)\n", $1, $2 * 1000 }'

"$Build/bench/FormulaList" 1000 7 >"$Work/thousand.txt"
hyperfine -N -i --runs 5 --export-json "$Work/thousand.json" \
    -L formula "$(tr '\n' ',' <"$Work/thousand.txt" | sed 's/,$//')" \
    "$Build/varnock --analysis {formula}" >/dev/null 2>&1 || true
sed -n 's/^ *"median": \([0-9.e-]*\),*$/\1/p' "$Work/thousand.json" | sort -g |
    awk '{ Times[NR] = $1 } END { printf "varnock --analysis over %d generated formulas: median %.3f ms\n", NR, Times[int((NR + 1) / 2)] * 1000 }'

"$Build/bench/FormulaList" 100000 >"$Work/formulas.txt"
hyperfine -N --warmup 2 --runs 20 --export-json "$Work/list.json" --output "$Work/out.tsv" \
    "$Build/varnock --list $Work/formulas.txt --fields mass,mono,hill" >/dev/null
awk -v S="$(sed -n 's/^ *"median": \([0-9.e-]*\),*$/\1/p' "$Work/list.json")" \
    'BEGIN { printf "varnock --list --fields mass,mono,hill: %.0f formulas a second (goal >= 200000)\n", 100000 / S }'
