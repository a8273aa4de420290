#!/usr/bin/env bash
# A long fuzzing campaign: every target of build/fuzz in turn, MINUTES each
# (with the sanitizers the fuzz preset builds in), its corpus kept under
# build/fuzz/campaign/ from one campaign to the next and seeded from
# fuzz/corpus/<name>/. Prints per target the runs, runs per second, the
# coverage (libFuzzer's features), the new corpus entries and the findings
# (crash, leak, timeout and out-of-memory inputs, kept beside the corpus).
# Not part of the test command:
#   cmake --preset fuzz && cmake --build --preset fuzz
#   nice -n 10 scripts/fuzz-campaign.sh MINUTES [TARGET...]
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
minutes="${1:?usage: fuzz-campaign.sh MINUTES [TARGET...]}"
shift
seconds=$(awk -v m="$minutes" 'BEGIN { printf "%d", m * 60 }')
campaign="$root/build/fuzz/campaign"
mkdir -p "$campaign"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for target in "$root"/build/fuzz/fuzz/*_fuzz; do targets+=("$(basename "$target" _fuzz)"); done
fi

# The value of libFuzzer's final statistic $2 in log $1.
stat() { grep -a "^stat::$2:" "$1" | tail -n 1 | sed "s/^stat::$2: *//"; }

printf '%-10s %12s %8s %9s %12s %9s\n' target runs runs/s features new-entries findings
failed=0
for name in "${targets[@]}"; do
  binary="$root/build/fuzz/fuzz/${name}_fuzz"
  work="$campaign/corpus-$name"
  findings="$campaign/findings-$name"
  log="$campaign/$name.$$.log"  # campaigns may run side by side on one corpus
  mkdir -p "$work" "$findings"
  seeds=()
  [ -d "$root/fuzz/corpus/$name" ] && seeds=("$root/fuzz/corpus/$name")
  options=()
  [ -f "$root/fuzz/$name.options" ] && read -r -a options <"$root/fuzz/$name.options"
  before=$(find "$findings" -type f | wc -l)
  "$binary" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 "${options[@]}" \
    -artifact_prefix="$findings/" -print_final_stats=1 "$work" "${seeds[@]}" >"$log" 2>&1
  status=$?
  found=$(( $(find "$findings" -type f | wc -l) - before ))
  features=$(grep -ao 'ft: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
  printf '%-10s %12s %8s %9s %12s %9s\n' "$name" "$(stat "$log" number_of_executed_units)" \
    "$(stat "$log" average_exec_per_sec)" "${features:-?}" "$(stat "$log" new_units_added)" "$found"
  if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
    failed=1
    echo "  $name: exit $status; findings in $findings, log $log"
  fi
done
exit "$failed"
