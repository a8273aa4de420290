#!/usr/bin/env bash
# Runs every fuzz target of build/fuzz for a bounded time on its seed corpus
# (SECONDS each, 15 by default), with the options in fuzz/<name>.options, as
# many targets at a time as the machine has cores (JOBS to change that).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-15}"
jobs="${JOBS:-$(nproc)}"
shopt -s nullglob

# One target; its output goes to build/fuzz/corpus-<name>.log, and its last
# lines to the terminal when it fails.
run_target() {
  local target="$1" name corpus work options=() seeds=()
  name="$(basename "$target" _fuzz)"
  corpus="$root/fuzz/corpus/$name"
  work="$root/build/fuzz/corpus-$name"
  [ -f "$root/fuzz/$name.options" ] && read -r -a options <"$root/fuzz/$name.options"
  [ -d "$corpus" ] && seeds=("$corpus")
  mkdir -p "$work"
  "$target" -max_total_time="$seconds" -rss_limit_mb=2048 "${options[@]}" \
    -artifact_prefix="$work/" -print_final_stats=0 "$work" "${seeds[@]}" >"$work.log" 2>&1 \
    || { tail -n 40 "$work.log"; echo "fuzz target $name failed"; return 1; }
}

targets=("$root"/build/fuzz/fuzz/*_fuzz)
failed=0
for ((i = 0; i < ${#targets[@]}; i += jobs)); do
  batch=("${targets[@]:i:jobs}")
  pids=()
  for target in "${batch[@]}"; do
    echo "fuzz $(basename "$target" _fuzz): ${seconds}s"
    run_target "$target" &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
done
exit "$failed"
