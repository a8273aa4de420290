#!/usr/bin/env bash
# Runs shard INDEX of COUNT of a GoogleTest program under Wine in a session of
# its own: a virtual display and a copy of the project's prefix, so that the
# windows in front, the keys held and the processes of one shard never meet
# another's while the shards run side by side.
#   scripts/wine-shard.sh INDEX COUNT program.exe [arguments]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/lib.sh"
index="$1" count="$2"
shift 2
base="${TAMIRU_WINEPREFIX:-$(repo_root)/build/wine-prefix}"
[ -f "$base/system.reg" ] || { echo "no Wine prefix at $base" >&2; exit 1; }
prefix="$base-shard$index"
rm -rf "$prefix"
cp -a "$base" "$prefix"
export TAMIRU_WINEPREFIX="$prefix"
# The copy goes when the shard passed; after a failure it stays, with the
# working folders the failed scenarios kept in it.
end_session() {
  local status=$?
  stop_wine
  stop_virtual_display
  if [ "$status" = 0 ]; then rm -rf "$prefix"; else echo "shard $index kept its prefix: $prefix"; fi
}
trap end_session EXIT
start_virtual_display 1280x1024x24
ensure_wine_prefix
GTEST_TOTAL_SHARDS="$count" GTEST_SHARD_INDEX="$index" "$here/wine-run.sh" "$@"
