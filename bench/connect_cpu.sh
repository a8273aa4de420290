#!/usr/bin/env bash
# CPU of auto-connect's Timer1 steps and of a keep-alive spectate that waits
# for a silent client, measured under Wine on a virtual display with
# bench/win32/connect_bench.cpp. Usage: bench/connect_cpu.sh [build dir] [seconds]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build/windows}"
seconds="${2:-10}"
cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" -j2 --target connect_bench >/dev/null

source "$root/scripts/lib.sh"
start_virtual_display
trap stop_virtual_display EXIT
ensure_wine_prefix
wine "$build/bin/connect_bench.exe" "$seconds"
