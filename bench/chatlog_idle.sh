#!/usr/bin/env bash
# CPU of an idle tamiru.exe with Timer2 at 3 s (chat log and keyword alert
# on) under Wine: alone, and beside the stand-in client with its waiting room
# open and a quiet chat of about 64,000 bytes. Not a test: it prints figures.
#   bench/chatlog_idle.sh [build folder, default build/windows] [idle seconds, default 30]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$root/build/windows}" && pwd)"
idle="${2:-30}"
source "$root/scripts/lib.sh"
own_display=
if [ -z "${DISPLAY:-}" ]; then start_virtual_display; own_display=1; fi
ensure_wine_prefix
work="$build/chatlog-idle"
rm -rf "$work"; mkdir -p "$work/alone" "$work/room"
for d in alone room; do
  cp "$build/bin/tamiru.exe" "$work/$d/"
  : > "$work/$d/friendlist.txt"; : > "$work/$d/chatlist.txt"; : > "$work/$d/macro.txt"
  printf 'ron\r\n' > "$work/$d/keyword.txt"
  printf '[Setting]\r\nMacro=0\r\nSaveChatLog=1\r\nKeyword=1\r\nSaveChatLogTimeInterval=3\r\n' > "$work/$d/tamiru.INI"
done
cp "$build/bin/MJ.exe" "$work/room/"
{ echo "show room"; for i in $(seq 1 900); do echo "notice room player$i>	quiet chat line number $i of the idle view"; done; } > "$work/room/standin.txt"
for d in alone room; do
  if [ "$d" = room ]; then (cd "$work/room" && exec "$root/scripts/wine-run.sh" "$work/room/MJ.exe" >/dev/null 2>&1) & sleep 6; fi
  (cd "$work/$d" && exec "$root/scripts/wine-run.sh" "$work/$d/tamiru.exe" >/dev/null 2>&1) &
  sleep 8
  park_pointer
  sleep 1
  pid=$(process_in_folder "$work/$d" 'tamiru\.exe')
  [ -n "$pid" ] || { echo "$d: tamiru.exe not found"; continue; }
  a=$(cpu_us "$pid"); sleep "$idle"; b=$(cpu_us "$pid")
  awk -v us=$((b - a)) -v s="$idle" -v d="$d" -v lines="$(cat "$work/$d"/LOG*.txt 2>/dev/null | wc -l)" \
    'BEGIN { printf "tamiru.exe idle, Timer2 3 s, %s: %.1f ms CPU in %d s (%.3f%% of a core), log %d lines\n", d, us / 1000, s, us / 10000 / s, lines }'
  kill "$pid" 2>/dev/null || true
done
stop_wine
[ -n "$own_display" ] && stop_virtual_display
wait 2>/dev/null || true
