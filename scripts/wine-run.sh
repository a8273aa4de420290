#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's prefix and settings.
# Used by ctest as the cross-compiling emulator and by the run command.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export WINEPREFIX="${TAMIRU_WINEPREFIX:-$here/../build/wine-prefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
exec wine "$@"
