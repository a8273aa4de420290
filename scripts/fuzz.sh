#!/usr/bin/env bash
# Runs every fuzz target of build/fuzz for a bounded time on its seed corpus
# (SECONDS each, 15 by default), with the options in fuzz/<name>.options.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-15}"
shopt -s nullglob
for target in "$root"/build/fuzz/fuzz/*_fuzz; do
  name="$(basename "$target" _fuzz)"
  corpus="$root/fuzz/corpus/$name"
  work="$root/build/fuzz/corpus-$name"
  options=()
  [ -f "$root/fuzz/$name.options" ] && read -r -a options <"$root/fuzz/$name.options"
  seeds=()
  [ -d "$corpus" ] && seeds=("$corpus")
  mkdir -p "$work"
  echo "fuzz $name: ${seconds}s"
  "$target" -max_total_time="$seconds" -rss_limit_mb=2048 "${options[@]}" \
    -artifact_prefix="$work/" -print_final_stats=0 "$work" "${seeds[@]}" >"$work.log" 2>&1 \
    || { tail -n 40 "$work.log"; echo "fuzz target $name failed"; exit 1; }
done
