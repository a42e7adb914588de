#!/bin/sh
# How quickly varnock --find answers, against the npm package mf-finder (3.4.22) measured in the
# same run, and how their counts compare:
#   1. the peer in-process (node), median of 200 runs after 20 warm-up runs, as a user calls it
#      (findMFs with the ranges, the tolerance in ppm, allowNeutral; its default limit of 1000);
#   2. a whole varnock --find process for the same search (hyperfine, median of 300 runs, its
#      default rules and --max 100); the goal is 5 times faster than the peer in-process;
#   3. the counts: the peer with a limit of 100,000, with and without its uniqueMFs, and with its
#      RDBE filter (whole, 0 or more); varnock without rules, and with its default rules.
# Three searches: 508.2468 and 937 at 5 ppm over C0-100 H0-202 N0-20 O0-20 P0-5 S0-5, and
# 1500 at 2 ppm over C0-120 H0-250 N0-30 O0-40 S0-5 P0-5. The runs of the two programs
# alternate, search by search, so that both meet the same load; the load is printed before and
# after. The peer is installed with npm into a temporary folder and removed afterwards.
#
#   bench/FindSpeed.sh [BUILD_DIR]      (default: build; needs hyperfine, node and npm)
set -eu
Build=$(cd "${1:-build}" && pwd)
[ -x "$Build/varnock" ] || { echo "missing $Build/varnock: build first" >&2; exit 1; }
for Tool in hyperfine node npm; do
    command -v $Tool >/dev/null || { echo "$Tool is needed" >&2; exit 1; }
done
Work=$(mktemp -d)
trap 'rm -rf "$Work"' EXIT
(cd "$Work" && npm init -y >/dev/null && npm install --silent mf-finder@3.4.22 >/dev/null 2>&1) ||
    { echo "mf-finder could not be installed" >&2; exit 1; }

cat >"$Work/peer.js" <<'EOF'
const { findMFs } = require('mf-finder');
const [mass, ppm, ranges, what] = process.argv.slice(2);
(async () => {
  const options = { ranges, precision: Number(ppm), allowNeutral: true };
  if (what === 'time') {
    const times = [];
    for (let i = 0; i < 220; i++) {
      const start = process.hrtime.bigint();
      await findMFs(Number(mass), options);
      if (i >= 20) times.push(Number(process.hrtime.bigint() - start) / 1e6);
    }
    times.sort((a, b) => a - b);
    console.log(times[100].toFixed(3));
    return;
  }
  const count = async (more) =>
    (await findMFs(Number(mass), { ...options, limit: 100000, ...more })).mfs.length;
  console.log([
    await count({}),
    await count({ uniqueMFs: true }),
    await count({ filter: { unsaturation: { min: 0, onlyInteger: true } } }),
  ].join('\t'));
})();
EOF

Chnops='C0-100 H0-202 N0-20 O0-20 P0-5 S0-5'
Large='C0-120 H0-250 N0-30 O0-40 S0-5 P0-5'
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
printf '%s\n' "search	peer (ms, in-process)	varnock (ms, whole process)	peer / varnock"
for Search in "508.2468|5|$Chnops" "937|5|$Chnops" "1500|2|$Large"; do
    Mass=${Search%%|*}
    Rest=${Search#*|}
    Ppm=${Rest%%|*}
    Ranges=${Rest#*|}
    Peer=$(node "$Work/peer.js" "$Mass" "$Ppm" "$Ranges" time)
    hyperfine -N --warmup 20 --runs 300 --export-json "$Work/find.json" \
        "$Build/varnock --find $Mass --ppm $Ppm --ranges '$Ranges'" >/dev/null 2>&1
    Ours=$(sed -n 's/^ *"median": \([0-9.e-]*\),*$/\1/p' "$Work/find.json" | head -1)
    awk -v S="$Mass at $Ppm ppm" -v P="$Peer" -v O="$Ours" \
        'BEGIN { printf "%s\t%.3f\t%.3f\t%.1f\n", S, P, O * 1000, P / (O * 1000) }'
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

echo
printf '%s\n' "search	peer	peer uniqueMFs	peer whole RDBE >= 0	varnock no rules	varnock default rules"
for Search in "508.2468|5|$Chnops" "937|5|$Chnops" "1500|2|$Large"; do
    Mass=${Search%%|*}
    Rest=${Search#*|}
    Ppm=${Rest%%|*}
    Ranges=${Rest#*|}
    Peer=$(node "$Work/peer.js" "$Mass" "$Ppm" "$Ranges" count)
    None=$("$Build/varnock" --find "$Mass" --ppm "$Ppm" --ranges "$Ranges" --max 1000000 \
        --even-electron off --senior off | tail -n +2 | wc -l)
    Default=$("$Build/varnock" --find "$Mass" --ppm "$Ppm" --ranges "$Ranges" --max 1000000 |
        tail -n +2 | wc -l)
    printf '%s\t%s\t%s\t%s\n' "$Mass at $Ppm ppm" "$Peer" "$None" "$Default"
done
