# Shared shell helpers of the test and run commands. Source, don't run.

repo_root() { cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd; }

# Starts a virtual X display of the given size and exports DISPLAY; the
# display is stopped by stop_virtual_display (or at exit through the trap).
# The server picks a free display number itself (-displayfd) and writes it
# once it accepts connections, so that sessions started at the same moment
# never share one.
start_virtual_display() {
  local size="${1:-1280x1024x24}" number_file number="" i
  number_file="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  TAMIRU_XVFB_PID=$!
  # Out of the job table, so that a script's own "wait" for the programs it
  # started does not wait for the display server too.
  disown "$TAMIRU_XVFB_PID"
  for i in $(seq 1 100); do
    if [ "$(tail -c 1 "$number_file")" = "" ] && [ -s "$number_file" ]; then
      number="$(tr -dc 0-9 <"$number_file")"
      break
    fi
    kill -0 "$TAMIRU_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$number_file"
  if [ -z "$number" ]; then
    echo "could not start a virtual display" >&2
    return 1
  fi
  export DISPLAY=":$number"
}

# Moves the pointer to the display's bottom-left corner, away from every
# window. Under Wine on a display without a window manager, a window that
# appears under a resting pointer is hit-tested about a hundred times a second
# until the pointer moves (about 5% of a core), which a measurement would
# take for the program's own cost.
park_pointer() {
  local height
  height=$(xdotool getdisplaygeometry 2>/dev/null | cut -d' ' -f2) || return 0
  xdotool mousemove 1 $((${height:-2} - 2)) >/dev/null 2>&1 || true
}

stop_virtual_display() {
  if [ -n "${TAMIRU_XVFB_PID:-}" ]; then
    kill "$TAMIRU_XVFB_PID" 2>/dev/null || true
    local i
    for i in $(seq 1 50); do kill -0 "$TAMIRU_XVFB_PID" 2>/dev/null || break; sleep 0.1; done
    TAMIRU_XVFB_PID=
  fi
}

# CPU time of every thread of a process in microseconds, from the scheduler's
# nanosecond count (/proc/<pid>/stat counts in 10 ms steps, too coarse for
# an idle program over half a minute). 0 for a process that is gone.
cpu_us() {
  [ -n "$1" ] && [ -d "/proc/$1/task" ] || { echo 0; return; }
  cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ ns += $1 } END { printf "%d", ns / 1000 }'
}

# The Linux process id of the Wine process started in folder $1 whose
# command line matches $2 (Wine's command lines hold Windows paths, so the
# working folder tells the copies of one program apart).
process_in_folder() {
  local p
  for p in $(pgrep -f "$2" || true); do
    [ "$(readlink "/proc/$p/cwd" 2>/dev/null)" = "$1" ] && { echo "$p"; return; }
  done
}

# The Wine prefix lives under the build folder; the first run creates it.
wine_env() {
  export TAMIRU_WINEPREFIX="${TAMIRU_WINEPREFIX:-$(repo_root)/build/wine-prefix}"
  export WINEPREFIX="$TAMIRU_WINEPREFIX" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export LANG=ja_JP.UTF-8
}

ensure_wine_prefix() {
  wine_env
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "creating the Wine prefix in $WINEPREFIX (first run only)"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    # The server writes the new prefix's registry when it ends: wait for
    # that, so that a copy of the prefix (scripts/wine-shard.sh) is whole.
    wineserver -w >/dev/null 2>&1 || true
  fi
  # Keep the server and Wine's own background processes (services, explorer)
  # running between test programs, started here with their output away from
  # ctest's pipes: a background process holding a test's pipe open would
  # make ctest wait for it long after the test ended.
  wineserver -p >/dev/null 2>&1 || true
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

stop_wine() {
  wine_env
  wineserver -k >/dev/null 2>&1 || true
}
