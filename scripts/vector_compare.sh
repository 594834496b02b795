#!/usr/bin/env bash
# The same frame with the vector versions of the surface samples and the
# batched projection (build/bench/velmora_bench: AVX-512, AVX2 or SSE2,
# picked at load time) and with the SSE2 baseline alone
# (build/bench/velmora_bench_sse2), in runs that alternate between the
# two. Each run times RenderScene and UpdateFrame and the frame against the
# memory floor taking turns; the table gives the median of the runs and
# their range.
#   scripts/vector_compare.sh [runs]   (default 3 of each)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/jobs.sh
runs=${1:-3}
cmake --preset default >/dev/null
cmake --build --preset default --target velmora_bench velmora_bench_sse2 >/dev/null

logdir=$(mktemp -d)
trap 'rm -rf "$logdir"' EXIT
for ((r = 1; r <= runs; ++r)); do
  for which in velmora_bench velmora_bench_sse2; do
    "build/bench/$which" --benchmark_filter='BM_(UpdateFrame|RenderScene|Floor)$' \
      --benchmark_repetitions=3 --benchmark_report_aggregates_only=true >"$logdir/$which.$r" 2>&1
  done
done

python3 - "$logdir" "$runs" <<'PY'
import re, statistics, sys
logdir, runs = sys.argv[1], int(sys.argv[2])
def figures(path):
    text = re.sub(r"\x1b\[[0-9;]*m", "", open(path).read())  # the benchmark's colours
    out = {}
    for name in ("UpdateFrame", "RenderScene", "Floor"):
        m = re.search(r"BM_%s_median\s+([\d.]+) us" % name, text)
        out[name] = float(m.group(1))
    out["turns"] = float(re.search(r"frame / floor = ([\d.]+) taking turns", text).group(1))
    return out
rows = [("RenderScene", "us"), ("UpdateFrame", "us"), ("Floor", "us"), ("turns", "")]
builds = {"vector versions": "velmora_bench", "SSE2 alone": "velmora_bench_sse2"}
data = {b: [figures(f"{logdir}/{exe}.{r}") for r in range(1, runs + 1)] for b, exe in builds.items()}
print(f"{runs} alternating runs of each; median (range)")
print("| | " + " | ".join(builds) + " |")
print("|---|" + "---:|" * len(builds))
for key, unit in rows:
    label = "frame / floor, taking turns" if key == "turns" else key
    cells = []
    for b in builds:
        values = [d[key] for d in data[b]]
        fmt = "%.3f" if key == "turns" else "%.1f"
        cells.append(f"{fmt % statistics.median(values)}{' ' + unit if unit else ''} ({fmt % min(values)} to {fmt % max(values)})")
    print(f"| {label} | " + " | ".join(cells) + " |")
PY
