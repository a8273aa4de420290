#!/usr/bin/env bash
# CPU of an idle tamiru.exe polling its macro keys (Macro=1, 20 lines, its own
# window in front so that every tick reads every line, no key down, no game
# client) beside a minimal program with an 80 ms timer, both under the same
# Wine at the same time, from the scheduler's CPU time of their Wine processes
# (the system's process times read 0 under Wine). Not a test: it prints figures.
# The machine is shared: each round prints its own figures; read the range.
# MACRO=0 in the environment measures the same tamiru.exe with the poll off;
# FRONT=other brings the timer program's window in front of tamiru.exe.
# A second timer program beside them also asks, each tick, the front window and
# one key: the least the poll must ask with Tamiru in front ("poll80").
#   bench/macro_idle.sh [build folder, default build/windows] [seconds a round, default 60] [rounds, default 3]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$root/build/windows}" && pwd)"
seconds="${2:-60}"
rounds="${3:-3}"
source "$root/scripts/lib.sh"
own_display=
if [ -z "${DISPLAY:-}" ]; then start_virtual_display; own_display=1; fi
ensure_wine_prefix
work="$build/macro-idle"
rm -rf "$work"; mkdir -p "$work/tamiru" "$work/timer" "$work/poll"
cp "$build/bin/tamiru.exe" "$work/tamiru/"
cp "$build/bin/timer80_bench.exe" "$work/timer/"
cp "$build/bin/timer80_bench.exe" "$work/poll/"
: > "$work/tamiru/friendlist.txt"; : > "$work/tamiru/chatlist.txt"; : > "$work/tamiru/keyword.txt"
for i in $(seq 0 19); do
  printf '%02X 0 1 0 /Where <all> \r\n' $((0x41 + i))
done > "$work/tamiru/macro.txt"
printf '[Setting]\r\nMacro=%s\r\n' "${MACRO:-1}" > "$work/tamiru/tamiru.INI"
total=$((rounds * seconds + 30))
front_after=-1
[ "${FRONT:-tamiru}" = other ] && front_after=9
(cd "$work/timer" && exec "$root/scripts/wine-run.sh" "$work/timer/timer80_bench.exe" "$total" $front_after >"$work/timer/out.txt" 2>&1) &
(cd "$work/poll" && exec "$root/scripts/wine-run.sh" "$work/poll/timer80_bench.exe" "$total" -1 poll >"$work/poll/out.txt" 2>&1) &
sleep 3
(cd "$work/tamiru" && exec "$root/scripts/wine-run.sh" "$work/tamiru/tamiru.exe" >/dev/null 2>&1) &
sleep 10
park_pointer
sleep 1
tpid=$(process_in_folder "$work/tamiru" 'tamiru\.exe')
bpid=$(process_in_folder "$work/timer" 'timer80_bench\.exe')
ppid=$(process_in_folder "$work/poll" 'timer80_bench\.exe')
[ -n "$tpid" ] && [ -n "$bpid" ] && [ -n "$ppid" ] ||
  { echo "not found: tamiru.exe '$tpid' timer80 '$bpid' poll80 '$ppid'"; exit 1; }
echo "in front: ${FRONT:-tamiru}; loadavg at start: $(cut -d' ' -f1-3 /proc/loadavg)"
ratio() { awk -v t="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", t / b; else print "n/a" }'; }
for r in $(seq 1 "$rounds"); do
  ta=$(cpu_us "$tpid"); ba=$(cpu_us "$bpid"); pa=$(cpu_us "$ppid"); sleep "$seconds"
  tb=$(cpu_us "$tpid"); bb=$(cpu_us "$bpid"); pb=$(cpu_us "$ppid")
  t=$(( (tb - ta) / 1000 )); b=$(( (bb - ba) / 1000 )); p=$(( (pb - pa) / 1000 ))
  echo "round $r, ${seconds} s: tamiru.exe ${t} ms CPU, timer80 ${b} ms, poll80 ${p} ms;" \
       "ratio $(ratio "$t" "$b") (poll80 $(ratio "$p" "$b")), loadavg $(cut -d' ' -f1 /proc/loadavg)"
done
kill "$tpid" "$bpid" "$ppid" 2>/dev/null || true
wait 2>/dev/null || true
cat "$work/timer/out.txt" "$work/poll/out.txt" 2>/dev/null || true
stop_wine
[ -n "$own_display" ] && stop_virtual_display
true
