#!/usr/bin/env bash
# Time to add one friend to a long friend list, the file written whole each
# time: 100,000 names natively with bench/native/lists_bench.cpp, and 20,000
# names in tamiru.exe under Wine on a virtual display through the end-to-end
# scenario that presses "追加" and waits until the file holds the new name.
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
TAMIRU_BIN_DIR="$(winepath -w "$windows/bin")" wine "$windows/bin/tamiru_e2e_tests.exe" \
  --gtest_filter='ListsTest.AddingOneFriend*' | grep -E '\[ lists \]|OK|FAILED'
