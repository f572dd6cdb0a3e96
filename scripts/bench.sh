#!/usr/bin/env bash
# Builds if needed, runs every benchmark (build/x64/bin/bench_*.exe, and
# bench_*.lua through the script engine) and prints one table: benchmark,
# ratio (library / baseline), goal (the largest ratio aimed at) and whether it
# is met. Each benchmark's full output goes to build/bench/<name>.log. The
# benchmarks have a Wine prefix of their own (build/wineprefix-bench) with the
# stand-ins registered. Exits non-zero when a benchmark fails to run.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/env.sh"
tarvo_own_prefix bench "$@"
"$here/setup.sh" >/dev/null
"$here/build.sh" >/dev/null
bin="$tarvo_root/build/x64/bin"
logs="$tarvo_root/build/bench"
mkdir -p "$logs"
# Loopback transfers go direct.
unset http_proxy HTTP_PROXY https_proxy HTTPS_PROXY
export no_proxy=127.0.0.1,localhost
wineserver -p
wine "$bin/wine_ready.exe" >/dev/null 2>&1 || true
tarvo_register_standins "*.reg"

failed=0
rows="$logs/table.tsv"
: >"$rows"
cd "$bin"
for program in bench_*.exe bench_*.lua; do
  [ -f "$program" ] || continue
  name="${program%.*}"
  echo "running $program ..." >&2
  if [ "${program##*.}" = lua ]; then set -- wine lunrun.exe "$program"; else set -- wine "$program"; fi
  if ! timeout 900 "$@" >"$logs/$name.log" 2>&1; then
    echo "bench.sh: $program failed (see $logs/$name.log)" >&2
    failed=1
  fi
  tr -d '\r' <"$logs/$name.log" | awk -F'\t' -v bench="$name" '$1 == "BENCH" { print bench "\t" $2 "\t" $3 "\t" $4 }' >>"$rows"
done
wineserver -k 2>/dev/null || true

awk -F'\t' '
  BEGIN { printf "%-15s %-52s %8s %8s  %s\n", "program", "benchmark", "ratio", "goal", "met"; met = 0; missed = 0 }
  {
    goal = $4 == "-" ? "-" : sprintf("%.2f", $4)
    verdict = $4 == "-" ? "no goal" : ($3 + 0 <= $4 + 0 ? "yes" : "NO")
    if (verdict == "yes") met++; else if (verdict == "NO") missed++
    printf "%-15s %-52s %8.2f %8s  %s\n", $1, substr($2, 1, 52), $3, goal, verdict
  }
  END { printf "%d measurements: %d goals met, %d missed, %d without a goal\n", NR, met, missed, NR - met - missed }
' "$rows"
exit $failed
