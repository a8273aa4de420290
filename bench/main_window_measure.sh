#!/usr/bin/env bash
# Measures tamiru.exe beside a minimal Win32 window program under Wine:
# start-up time with empty and 100,000-line lists, idle CPU over 60 s (macro
# poll on / every timer off), private memory. Not a test: it prints figures.
#   bench/main_window_measure.sh [build folder, default build/windows] [idle seconds]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$root/build/windows}" && pwd)"
idle="${2:-60}"
source "$root/scripts/lib.sh"
if ! cmake --build "$build" -j2 --target tamiru main_window_bench >/dev/null 2>&1; then
  [ -f "$build/bin/tamiru.exe" ] && [ -f "$build/bin/main_window_bench.exe" ] || { echo "build failed" >&2; exit 1; }
  echo "warning: the build failed; measuring the binaries already in $build/bin" >&2
fi
own_display=
if [ -z "${DISPLAY:-}" ]; then start_virtual_display; own_display=1; fi
ensure_wine_prefix
if [ -z "${TAMIRU_MEASURE_LINUX_ONLY:-}" ]; then
  "$root/scripts/wine-run.sh" "$build/bin/main_window_bench.exe" "$(winepath -w "$build/bin")" "$idle"
fi

# The same idle figures seen from Linux: CPU of the Wine process (utime +
# stime in /proc) and of the wineserver, which carries every timer message,
# and the process's anonymous (private) resident memory.
idle_linux() {  # label, folder, program, arguments
  local label="$1" folder="$2" program="$3" args="${4:-}" pid server a b sa sb
  (cd "$folder" && exec "$root/scripts/wine-run.sh" "$program" $args >/dev/null 2>&1) &
  sleep 8
  park_pointer
  sleep 1
  pid=$(process_in_folder "$folder" "$(basename "$program")")
  server=$(pgrep -n wineserver || true)
  if [ -z "$pid" ]; then echo "$label: process not found"; return; fi
  a=$(cpu_us "$pid"); sa=$(cpu_us "$server")
  sleep "$idle"
  b=$(cpu_us "$pid"); sb=$(cpu_us "$server")
  echo "$label (Linux view): process $(( (b - a) / 1000 )) ms CPU in ${idle} s," \
       "wineserver $(( (sb - sa) / 1000 )) ms, private resident $(awk '/RssAnon/ {print $2 " " $3}' /proc/$pid/status)"
  kill "$pid" 2>/dev/null || true
  wait 2>/dev/null || true
}
work="$build/h4-measure"
rm -rf "$work"; mkdir -p "$work/macro" "$work/off" "$work/minimal"
for d in macro off; do
  cp "$build/bin/tamiru.exe" "$work/$d/"
  : > "$work/$d/friendlist.txt"; : > "$work/$d/chatlist.txt"; : > "$work/$d/keyword.txt"; : > "$work/$d/macro.txt"
done
printf '[Setting]\r\nMacro=1\r\n' > "$work/macro/tamiru.INI"
printf '[Setting]\r\nMacro=0\r\n' > "$work/off/tamiru.INI"
cp "$build/bin/main_window_bench.exe" "$work/minimal/"
idle_linux "tamiru.exe, Macro = 1" "$work/macro" "$work/macro/tamiru.exe"
idle_linux "tamiru.exe, every timer off" "$work/off" "$work/off/tamiru.exe"
idle_linux "minimal window program" "$work/minimal" "$work/minimal/main_window_bench.exe" --minimal
if [ -n "$own_display" ]; then stop_virtual_display; fi
