#!/usr/bin/env bash
# The match history window in tamiru.exe under Wine, on a generated 100 MB
# score file and on one of 3,000 games: the time from the system menu command
# until the table is shown, and tamiru.exe's private memory with the window
# open; the picture of the window on the smaller file is left as
# build/windows/bin/history.bmp. Usage: bench/history_measure.sh (after the
# windows build).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
source scripts/lib.sh
data="$root/build/bench/stats-data"
mkdir -p "$data"
[ -s "$data/score-100m.txt" ] || python3 tools/scoregen.py --bytes 100000000 --seed 3 --out "$data/score-100m.txt" >/dev/null
[ -s "$data/score-3000.txt" ] || python3 tools/scoregen.py --records 3000 --seed 8 --out "$data/score-3000.txt" >/dev/null
cat "$data/score-100m.txt" >/dev/null  # from the page cache from here on

trap 'stop_wine; stop_virtual_display' EXIT
start_virtual_display
ensure_wine_prefix
park_pointer
TAMIRU_BIN_DIR="$(winepath -w build/windows/bin 2>/dev/null)"
export TAMIRU_BIN_DIR
for file in score-100m.txt score-3000.txt; do
  TAMIRU_HISTORY_FILE="$(winepath -w "$data/$file" 2>/dev/null)"
  export TAMIRU_HISTORY_FILE
  echo "$file ($(stat -c %s "$data/$file") bytes):"
  wine build/windows/e2e/tamiru_e2e_tests.exe --gtest_filter='HistoryTest.OnAGenerated*' 2>/dev/null |
    grep -a "history window\|FAILED" || true
done
