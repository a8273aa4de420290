#!/usr/bin/env bash
# The chat log search on 100 MB of generated logs (36 months, both line
# layouts, a marker word in 100,000 lines): the native search's CPU beside
# grep -F -c on the same files, in the same run, ROUNDS rounds each (least,
# median, largest); then, with WINE=1, tamiru.exe under Wine: the time from
# "検索" to the first rows and to the whole search, and the private memory
# with the 100,000 lines found. Usage: bench/log_search_measure.sh, after
# cmake --preset bench && cmake --build build/bench --target log_search_bench
# (and the windows build for WINE=1).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
data="$root/build/bench/log-data"
rounds="${ROUNDS:-7}"
[ -s "$data/LOG2312.txt" ] && [ "$(cat "$data/.marked" 2>/dev/null)" = 100000 ] || python3 tools/loggen.py --out "$data" --bytes 100000000 --marked 100000 >/dev/null && echo 100000 >"$data/.marked"
cat "$data"/LOG*.txt >/dev/null  # from the page cache from here on
bench="$root/build/bench/bench/log_search_bench"
echo "logs: $(ls "$data" | wc -l) files, $(cat "$data"/LOG*.txt | wc -c) bytes"

stats() { sort -n | awk '{v[NR]=$1} END {printf "least %.4f  median %.4f  largest %.4f\n", v[1], v[int((NR+1)/2)], v[NR]}'; }
measure() {  # label, query, [fold]
  local ours=() theirs=()
  for ((i = 0; i < rounds; i++)); do
    read -r cpu found _ < <("$bench" "$data" "$2" ${3:+fold})
    ours+=("$cpu")
    # grep's CPU over ten runs in a row, for a figure finer than the 10 ms
    # that time(1) reports; grep in the C locale, where a pattern is bytes,
    # and its counts into a file: told /dev/null, GNU grep stops at the
    # first match.
    theirs+=("$( { LC_ALL=C /usr/bin/time -f '%U %S' bash -c \
                  'for i in 1 2 3 4 5 6 7 8 9 10; do grep -F -c "$@" >"$0"; done' "$data/.counts" ${3:+-i} "$2" "$data"/LOG*.txt; } 2>&1 |
                awk '{printf "%.4f", ($1 + $2) / 10}')")
  done
  echo "$1 ($found lines found):"
  echo "  search   $(printf '%s\n' "${ours[@]}" | stats)"
  echo "  grep -F  $(printf '%s\n' "${theirs[@]}" | stats)"
}
measure "tsumo" tsumo
measure "ロン (Shift_JIS)" "$(printf 'ロン' | iconv -f UTF-8 -t CP932)"
measure "TSUMO, case folded (grep -i)" TSUMO fold

if [ "${WINE:-0}" = 1 ]; then
  source scripts/lib.sh
  trap 'stop_wine; stop_virtual_display' EXIT
  start_virtual_display
  ensure_wine_prefix
  TAMIRU_BIN_DIR="$(winepath -w build/windows/bin 2>/dev/null)"
  TAMIRU_LOG_BENCH_DIR="$(winepath -w "$data" 2>/dev/null)"
  export TAMIRU_BIN_DIR TAMIRU_LOG_BENCH_DIR
  wine build/windows/e2e/tamiru_e2e_tests.exe --gtest_filter='LogSearchTest.OnGenerated*' 2>/dev/null |
    grep -a "round\|FAILED" || true
fi
