#!/usr/bin/env bash
# Soak of the chat log under Wine: tamiru.exe beside the stand-in client with
# SaveChatLog=1, the keyword alert on, Timer2 at 3 s and the macro keys on,
# while chat_soak_bench.exe chats in the waiting room and then at a table
# and now and then holds F12 down on Tamiru's window (its macro says a
# phrase with the keyword in it, which the views then show too). Then the
# month's log is compared with the lines the views showed (count, none
# duplicated, none missing, order, bytes), and tamiru.exe's memory (VmRSS of
# its Wine process, every 30 s; "after warm-up" leaves out the first 2 minutes),
# CPU per logged line and the load average are reported. Not a test: it
# prints figures. Run it niced, and not while building.
#   bench/chatlog_soak.sh [build folder, default build/windows] [seconds, default 60] [lines a second, default 4]
#                         [seconds between F12 holds, default 60; 0: none]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$root/build/windows}" && pwd)"
seconds="${2:-60}"
rate="${3:-4}"
macro_every="${4:-60}"
source "$root/scripts/lib.sh"
own_display=
if [ -z "${DISPLAY:-}" ]; then start_virtual_display; own_display=1; fi
ensure_wine_prefix
run() { "$root/scripts/wine-run.sh" "$@"; }

work="$build/chatlog-soak"
rm -rf "$work"; mkdir -p "$work"
cp "$build/bin/tamiru.exe" "$build/bin/MJ.exe" "$work/"
: > "$work/friendlist.txt"
phrase=$(printf '\x83\x8D\x83\x93\x82\xC5\x82\xB7')  # ロンです
printf '%s\r\n' "$phrase" > "$work/chatlist.txt"
printf '7B 0 0 0 \x94\xAD\x8C\xBE %s \r\n' "$phrase" > "$work/macro.txt"  # F12: 発言 ロンです
printf '\x83\x8D\x83\x93\r\n' > "$work/keyword.txt"  # ロン
printf '[Setting]\r\nMacro=1\r\nSaveChatLog=1\r\nKeyword=1\r\nChatLogFormat=2\r\nSaveChatLogTimeInterval=3\r\n' \
  > "$work/tamiru.INI"
echo "show room" > "$work/standin.txt"

(cd "$work" && exec "$root/scripts/wine-run.sh" "$work/MJ.exe" >/dev/null 2>&1) &
sleep 6
(cd "$work" && exec "$root/scripts/wine-run.sh" "$work/tamiru.exe" >/dev/null 2>&1) &
sleep 8
pid=
for p in $(pgrep -f 'tamiru\.exe' || true); do
  [ "$(readlink "/proc/$p/cwd" 2>/dev/null)" = "$work" ] && pid=$p
done
[ -n "$pid" ] || { echo "tamiru.exe not found"; stop_wine; exit 1; }
rss() { awk '/^VmRSS/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0; }
cpu() { awk '{print $14 + $15}' "/proc/$pid/stat" 2>/dev/null || echo 0; }

# Memory every 30 s while the chat runs.
( while kill -0 "$pid" 2>/dev/null; do echo "$(date +%s) $(rss)" >> "$work/rss.txt"; sleep 30; done ) &
sampler=$!
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
cpu_before=$(cpu); started=$(date +%s)
status=0
(cd "$work" && run "$build/bin/chat_soak_bench.exe" "$seconds" "$rate" sent.txt 8000 "$macro_every") || status=$?
cpu_after=$(cpu); ended=$(date +%s)
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
echo "$(date +%s) $(rss)" >> "$work/rss.txt"
kill "$sampler" 2>/dev/null || true
kill "$pid" 2>/dev/null || true
stop_wine
[ -n "$own_display" ] && stop_virtual_display
wait 2>/dev/null || true

hz=$(getconf CLK_TCK)
cpu_ms=$(( (cpu_after - cpu_before) * 1000 / hz ))
echo "tamiru.exe CPU over the chat: $cpu_ms ms in $((ended - started)) s"
echo "load average (1, 5, 15 min): $load_before at the start, $load_after at the end"
awk -v warm="$((started + 120))" 'NR == 1 {first = $2} {last = $2; if ($2 > max) max = $2; n++}
     $1 >= warm {if (!w++) wfirst = $2; if ($2 > wmax) wmax = $2}
     END {printf "tamiru.exe VmRSS (%d samples, every 30 s): first %d kB, last %d kB, max %d kB; " \
                 "after warm-up: first %d kB, max %d kB\n", n, first, last, max, wfirst, wmax}' \
  "$work/rss.txt"
log=$(ls "$work"/LOG*.txt 2>/dev/null | head -1)
[ -n "$log" ] || { echo "no log file"; exit 1; }
python3 - "$log" "$work/standin_record.txt" "$work/sent.txt" "$cpu_ms" <<'PY' || status=1
# The log against the lines the views showed (from the stand-in's record); see the top.
import re
import sys
from collections import Counter

STAMP = re.compile(rb"^\d{4}/\d\d/\d\d\([^)]{1,4}\)\d\d:\d\d ")
NOTICE = "：<<接続>>".encode("cp932")


def unescape(field):
    out, i = bytearray(), 0
    while i < len(field):
        c = field[i]
        if c == 0x5C and i + 1 < len(field):
            out += {ord("t"): b"\t", ord("r"): b"\r", ord("n"): b"\n"}.get(field[i + 1], bytes([field[i + 1]]))
            i += 2
        else:
            out.append(c)
            i += 1
    return bytes(out)


def align(line, layout):
    if b">" not in line or NOTICE in line:
        return line
    b = bytearray(line)
    if layout == "room":
        r = b.find(b"\t")
        if r < 0:
            return line
        del b[r]
    else:
        r = 0
        while True:
            if r >= len(b):
                return line
            if b[r] in b">\t":
                break
            r += 1
            if r < len(b) and b[r] == 9:
                del b[r]
    if r + 1 < 15:
        b[r:r] = b" " * (15 - (r + 1))
    return bytes(b)


def main():
    log_path, record_path, sent_path, cpu_ms = sys.argv[1:5]
    views = {"room": [], "table": []}
    table_open = False
    for raw in open(record_path, "rb").read().split(b"\r\n"):
        fields = raw.split(b"\t")
        if len(fields) < 5:
            continue
        window, event = fields[1].decode(), fields[3].decode()
        if window == "table" and event == "open":
            table_open = True
        if event == "line" and window in views and not (window == "room" and table_open):
            views[window].append(unescape(b"\t".join(fields[4:])))
    expected = [align(l, "room") + b"\r\n" for l in views["room"]]
    expected += [align(l, "table") + b"\r\n" for l in views["table"]]

    sent = []
    for raw in open(sent_path, "rb").read().split(b"\r\n"):
        if raw:
            place, line = raw.split(b"\t", 1)
            sent.append((place.decode(), line))
    shown = iter([("room", l) for l in views["room"]] + [("table", l) for l in views["table"]])
    sent_shown = all(any(s == v for v in shown) for s in sent)  # in order

    data = open(log_path, "rb").read()
    records = [r + b"\r\n" for r in data.split(b"\r\n")[:-1]]
    undated = sum(1 for r in records if not STAMP.match(r))
    logged = [STAMP.sub(b"", r, count=1) for r in records]

    # Counted as multisets: the macro's phrase is shown, and logged, many times.
    have, want = Counter(logged), Counter(expected)
    duplicates = sum(max(0, n - want[r]) for r, n in have.items() if r in want)
    missing = sum(max(0, n - have[r]) for r, n in want.items())
    unexpected = sum(n for r, n in have.items() if r not in want)
    in_order = logged == expected
    print(f"sent {len(sent)} lines (room {sum(p == 'room' for p, _ in sent)}, table "
          f"{sum(p == 'table' for p, _ in sent)}; {sum(len(l) > 256 for _, l in sent)} longer than 256 bytes), "
          f"all shown in the views in order: {sent_shown}")
    print(f"views showed {len(expected)} lines; log holds {len(logged)} records ({len(data)} bytes): "
          f"missing {missing}, duplicated {duplicates}, unexpected {unexpected}, without date {undated}, "
          f"byte for byte and in order: {in_order}")
    own = sum(1 for l in expected if l.startswith(b"user1>"))
    print(f"lines of the F12 macro among them: {own}; CPU per logged line: "
          f"{int(cpu_ms) / max(len(logged), 1):.2f} ms")
    if not in_order:
        for i, (a, b) in enumerate(zip(logged, expected)):
            if a != b:
                print(f"first difference at record {i}:\n  log:      {a!r}\n  expected: {b!r}")
                break
    return 0 if in_order and sent_shown and undated == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
PY
exit "$status"
