#!/usr/bin/env bash
# Sets up, builds and starts the stand-in game client MJ.exe and Tamiru side by
# side under Wine, in build/run/. On the display in $DISPLAY it waits until
# Tamiru (or the stand-in, when Tamiru is not built) is closed; without a
# display it starts a virtual one, saves a screenshot of the desktop, prints
# its path and stops what it started.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
source scripts/lib.sh

scripts/setup.sh
# TAMIRU_RUN_BIN: take the programs from that folder instead of building.
if [ -z "${TAMIRU_RUN_BIN:-}" ]; then
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j"$(nproc)"
fi
bin="${TAMIRU_RUN_BIN:-$root/build/windows/bin}"
run="${TAMIRU_RUN_DIR:-$root/build/run}"
rm -rf "$run"
mkdir -p "$run"
cp "$bin/MJ.exe" "$run/"
have_tamiru=0
if [ -f "$bin/tamiru.exe" ]; then
  cp "$bin/tamiru.exe" "$run/"
  [ -f "$bin/TamiruHelp.html" ] && cp "$bin/TamiruHelp.html" "$run/"
  have_tamiru=1
fi

# A list file: the given lines in Shift_JIS, each ending in CR LF.
list_file() {
  local file="$1"
  shift
  printf '%s\r\n' "$@" | iconv -f UTF-8 -t CP932 >"$run/$file"
}
list_file friendlist.txt aaa bbb ccc ddd
list_file ignorelist.txt spammer
list_file chatlist.txt "よろしくお願いします" "お疲れさまでした" "ありがとうございました" "もう一局いかがですか"
list_file keyword.txt "ロン" "user1"
list_file macro.txt "70 0 1 0 /Where <all> " "71 0 1 0 /Rank <R-ListBox> " "72 0 1 0 /CHATON " "73 0 1 0 /List "

# The stand-in comes up in its waiting room with chat flowing, and a few
# finished games and one game in play in its score file.
list_file standin.txt \
  "show room" \
  "notice room aaa：<<接続>>" \
  "say room bbb こんばんは、よろしくお願いします" \
  "say room ccc 東南戦どなたか入りませんか" \
  "chatter room 1500" \
  "game start 東風戦 64 aaa user1 ccc ddd" \
  "game end 64 user1 54 ccc 12 aaa -20 ddd -46" \
  "game start 東風戦 65 bbb ccc user1 ddd" \
  "game end 65 ccc 41 user1 9 ddd -12 bbb -38" \
  "game start 東風戦 66 aaa bbb user1 ccc"

# Tamiru's settings: the user's handle and the stand-in's score file.
if [ "$have_tamiru" = 1 ]; then
  {
    printf '[Setting]\r\n'
    printf 'UserName1=user1\r\n'
    printf 'File4=Z:%s\\mjscore.txt\r\n' "$(echo "$run" | tr '/' '\\')"
  } >"$run/tamiru.INI"
fi

export TAMIRU_WINEPREFIX="${TAMIRU_WINEPREFIX:-$root/build/wine-prefix}"
virtual=0
if [ -z "${DISPLAY:-}" ]; then
  start_virtual_display 1280x1024x24
  virtual=1
fi
ensure_wine_prefix

pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  if [ "$virtual" = 1 ]; then
    stop_wine
    stop_virtual_display
  fi
}
trap cleanup EXIT

cd "$run"
"$root/scripts/wine-run.sh" MJ.exe >/dev/null 2>&1 &
standin_pid=$!
pids+=("$standin_pid")
if [ "$have_tamiru" = 1 ]; then
  "$root/scripts/wine-run.sh" tamiru.exe >/dev/null 2>&1 &
  tamiru_pid=$!
  pids+=("$tamiru_pid")
else
  echo "run: tamiru.exe is not built yet; starting the stand-in alone"
fi

if [ "$virtual" = 0 ]; then
  echo "run: close Tamiru (or the stand-in when Tamiru is absent) to end"
  if [ "$have_tamiru" = 1 ]; then wait "$tamiru_pid" || true; else wait "$standin_pid" || true; fi
  exit 0
fi

# Give the windows time to come up and the chat time to flow.
for _ in $(seq 1 40); do
  xdotool search --name "待合室" >/dev/null 2>&1 && break
  sleep 0.5
done
sleep 6
shot="$run/screenshot.png"
import -window root "$shot"
echo "run: screenshot saved to $shot"
