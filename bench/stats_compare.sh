#!/usr/bin/env bash
# Measures the score statistics and the match history (every kind, every
# opponent, the trend, in one read) on a generated 100 MB score file beside
# `wc -l` on the same file, in one run, and the table-players scan on a 1 MB
# file and on a 1 GB file (a sparse gap in front of the same 1 MB tail).
# Goals: statistics at most 1.5 times `wc -l`; 1 GB scan at most 1.2 times
# the 1 MB scan. Each figure is given as least / median / largest of ROUNDS
# rounds (5 by default); with BESIDE set to another build's stats_bench (an
# older commit's, say), that program is timed in the same rounds beside it.
# Usage: [ROUNDS=n] [BESIDE=path] bench/stats_compare.sh [build folder] (default build/bench).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build/bench}"
data="$build/stats-data"
mkdir -p "$data"

if [ ! -x "$build/bench/stats_bench" ]; then
  cmake --preset bench -B "$build" >/dev/null
  cmake --build "$build" -j2 --target stats_bench
fi

big="$data/score-100m.txt"
small="$data/score-1m.txt"
huge="$data/score-1g.txt"
[ -s "$big" ] || python3 "$root/tools/scoregen.py" --bytes 100000000 --seed 3 --out "$big" >/dev/null
[ -s "$small" ] || python3 "$root/tools/scoregen.py" --bytes 1000000 --seed 4 --in-progress --out "$small" >/dev/null
if [ ! -s "$huge" ]; then
  size=$(stat -c %s "$small")
  truncate -s $((1073741824 - size)) "$huge"
  cat "$small" >>"$huge"
fi
cat "$big" >/dev/null  # from the page cache from here on, for both programs

python3 - "$build/bench/stats_bench" "$big" "$small" "$huge" "${BESIDE:-}" "${ROUNDS:-5}" <<'PY'
# Both programs are timed by the CPU time they use (user + system, the read
# of the file from the page cache included), which a busy machine disturbs
# far less than the wall time. Each round times wc -l and every program once.
import json, os, statistics, subprocess, sys, time
bench, big, small, huge, beside, rounds = sys.argv[1:]
rounds = int(rounds)

def wc_seconds():
    best = None
    for _ in range(3):
        child = subprocess.Popen(["wc", "-l", big], stdout=subprocess.DEVNULL)
        _, _, usage = os.wait4(child.pid, 0)
        used = usage.ru_utime + usage.ru_stime
        best = used if best is None else min(best, used)
    return best

def bench_seconds(program, filter_, env):
    out = subprocess.run([program, "--benchmark_filter=" + filter_, "--benchmark_format=json",
                          "--benchmark_repetitions=3", "--benchmark_min_time=0.2"],
                         check=True, capture_output=True, text=True, env=env).stdout
    runs = [b for b in json.loads(out)["benchmarks"] if b.get("run_type") == "iteration"]
    scale = {"ms": 1e-3, "us": 1e-6, "ns": 1e-9}
    return min(b["cpu_time"] * scale[b["time_unit"]] for b in runs)

env = dict(os.environ, TAMIRU_STATS_FILE=big, TAMIRU_TABLE_FILES=small + ":" + huge)
programs = [("", bench)] + ([("beside ", beside)] if beside else [])
cases = (("statistics against a player", "BM_ScoreFile/against"), ("statistics, own averages", "BM_ScoreFile/own"),
         ("match history, all kinds", "BM_HistoryFile"))
times = {}
for _ in range(rounds):
    times.setdefault("wc", []).append(wc_seconds())
    for label, program in programs:
        for name, filter_ in cases:
            times.setdefault(label + name, []).append(bench_seconds(program, filter_, env))

def spread(values, scale=1e3):
    values = sorted(values)
    return f"{values[0] * scale:6.1f} / {statistics.median(values) * scale:6.1f} / {values[-1] * scale:6.1f}"

wc = times["wc"]
print(f"score file: {os.path.getsize(big) / 1e6:.1f} MB; CPU ms, least / median / largest of {rounds} rounds")
print(f"{'wc -l':36} {spread(wc)}")
for label, _ in programs:
    for name, _ in cases:
        t = times[label + name]
        ratios = [a / b for a, b in zip(t, wc)]
        print(f"{label + name:36} {spread(t)}   ratio {spread(ratios, 1)}  goal <= 1.5")
t_small = bench_seconds(bench, "BM_TablePlayers/small", env)
t_huge = bench_seconds(bench, "BM_TablePlayers/large", env)
print(f"ReadTablePlayers 1 MB:       {t_small * 1e6:7.1f} us")
print(f"ReadTablePlayers 1 GB:       {t_huge * 1e6:7.1f} us  ratio {t_huge / t_small:.2f}  goal <= 1.2")
PY
