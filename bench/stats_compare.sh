#!/usr/bin/env bash
# Measures the score statistics and the match history (every kind, every
# opponent, the trend, in one read) on a generated 100 MB score file beside
# `wc -l` on the same file, in one run, and the table-players scan on a 1 MB
# file and on a 1 GB file (a sparse gap in front of the same 1 MB tail).
# Goals: statistics at most 1.5 times `wc -l`; 1 GB scan at most 1.2 times
# the 1 MB scan. Usage: bench/stats_compare.sh [build folder] (default build/bench).
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

python3 - "$build/bench/stats_bench" "$big" "$small" "$huge" <<'PY'
# Both programs are timed by the CPU time they use (user + system, the read
# of the file from the page cache included), which a busy machine disturbs
# far less than the wall time; the wall time is shown beside it.
import json, os, subprocess, sys, time
bench, big, small, huge = sys.argv[1:]

def wc_seconds():
    cpu = wall = None
    for _ in range(9):
        start = time.perf_counter()
        child = subprocess.Popen(["wc", "-l", big], stdout=subprocess.DEVNULL)
        _, _, usage = os.wait4(child.pid, 0)
        elapsed = time.perf_counter() - start
        used = usage.ru_utime + usage.ru_stime
        cpu = used if cpu is None else min(cpu, used)
        wall = elapsed if wall is None else min(wall, elapsed)
    return cpu, wall

def bench_seconds(filter_, env):
    out = subprocess.run([bench, "--benchmark_filter=" + filter_, "--benchmark_format=json",
                          "--benchmark_repetitions=7", "--benchmark_min_time=0.2"],
                         check=True, capture_output=True, text=True, env=env).stdout
    runs = [b for b in json.loads(out)["benchmarks"] if b.get("run_type") == "iteration"]
    scale = {"ms": 1e-3, "us": 1e-6, "ns": 1e-9}
    cpu = min(b["cpu_time"] * scale[b["time_unit"]] for b in runs)
    wall = min(b["real_time"] * scale[b["time_unit"]] for b in runs)
    return cpu, wall

env = dict(os.environ, TAMIRU_STATS_FILE=big, TAMIRU_TABLE_FILES=small + ":" + huge)
wc_before = wc_seconds()
against = bench_seconds("BM_ScoreFile/against", env)
own = bench_seconds("BM_ScoreFile/own", env)
history = bench_seconds("BM_HistoryFile", env)
wc_after = wc_seconds()
wc = (min(wc_before[0], wc_after[0]), min(wc_before[1], wc_after[1]))
print(f"score file: {os.path.getsize(big) / 1e6:.1f} MB; times are the best of several runs: CPU (wall)")
print(f"wc -l:                       {wc[0] * 1e3:7.1f} ms ({wc[1] * 1e3:7.1f} ms)")
for name, t in (("statistics against a player:", against), ("statistics, own averages:   ", own),
                ("match history, all kinds:   ", history)):
    print(f"{name} {t[0] * 1e3:7.1f} ms ({t[1] * 1e3:7.1f} ms)  ratio {t[0] / wc[0]:.2f} ({t[1] / wc[1]:.2f})"
          "  goal <= 1.5")
t_small = bench_seconds("BM_TablePlayers/small", env)
t_huge = bench_seconds("BM_TablePlayers/large", env)
print(f"ReadTablePlayers 1 MB:       {t_small[0] * 1e6:7.1f} us ({t_small[1] * 1e6:7.1f} us)")
print(f"ReadTablePlayers 1 GB:       {t_huge[0] * 1e6:7.1f} us ({t_huge[1] * 1e6:7.1f} us)  ratio "
      f"{t_huge[0] / t_small[0]:.2f} ({t_huge[1] / t_small[1]:.2f})  goal <= 1.2")
PY
