#!/usr/bin/env bash
# A 100,000-name friend list, the file written whole after each change:
# natively with bench/native/lists_bench.cpp (load, add, delete, drop on the
# in-memory list box), and in tamiru.exe under Wine on a virtual display
# through the end-to-end scenario that starts Tamiru on such a list, presses
# "追加" and "削除" and drags a name with the mouse, timing each from the
# click or the release until the file holds the change.
# Usage: bench/lists_measure.sh [native bench build dir] [windows build dir]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
native="${1:-$root/build/bench}"
windows="${2:-$root/build/windows}"

cmake --preset bench -B "$native" >/dev/null
cmake --build "$native" -j2 --target lists_bench >/dev/null
"$native/bench/lists_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true

cmake --preset windows -B "$windows" >/dev/null
cmake --build "$windows" -j2 --target tamiru MJ tamiru_e2e_tests >/dev/null
source "$root/scripts/lib.sh"
start_virtual_display
trap 'stop_wine; stop_virtual_display' EXIT
ensure_wine_prefix
TAMIRU_BIN_DIR="$(winepath -w "$windows/bin")" wine "$windows/e2e/tamiru_e2e_tests.exe" \
  --gtest_filter='ListsTest.OnALongList*' | grep -E '\[ lists \]|OK|FAILED'
