#!/usr/bin/env bash
# Sets up, builds and runs every test: native unit tests (ASan + UBSan), the
# fuzz targets for a short bounded time, and the Windows-side tests under Wine
# on a virtual display.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
source scripts/lib.sh
jobs="$(nproc)"

scripts/setup.sh

echo "== native unit tests"
cmake --preset native >/dev/null
cmake --build --preset native -j"$jobs"
ctest --preset native -j"$jobs" 2>&1 | tee build/native-ctest.log | tail -n 3

echo "== fuzz targets (${TAMIRU_FUZZ_SECONDS:=15} s each)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$jobs"
scripts/fuzz.sh "$TAMIRU_FUZZ_SECONDS"

echo "== Windows-side tests under Wine"
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$jobs"
trap 'stop_wine; stop_virtual_display' EXIT
start_virtual_display 1280x1024x24
ensure_wine_prefix
# The release zip from the programs just built, unpacked into a fresh folder
# whose path holds Japanese characters, a space and ソ (whose second byte is
# "\"), where the package scenario starts it as a user would.
scripts/package.sh --build-dir build/windows
export TAMIRU_PACKAGE_FOLDER='C:\ゲーム ソフト'
package_folder="$WINEPREFIX/drive_c/ゲーム ソフト"
rm -rf "$package_folder"
unzip -q build/package/Tamiru-*-win64.zip -d "$package_folder"
# The Win32-layer tests and the shards of the scenarios side by side: they
# wait on windows and timers far more than they compute.
ctest --preset windows -V -j4 >build/windows-ctest.log 2>&1 || true
grep -E '^[0-9]+: \[  (PASSED|FAILED) +\]|tests passed' build/windows-ctest.log | tail -n 6

# One closing line over both test runs: native tests as ctest counts them,
# Windows-side tests as GoogleTest counts them inside each program.
python3 - build/native-ctest.log build/windows-ctest.log <<'PY'
import re, sys
native, windows = (open(p, errors="replace").read() for p in sys.argv[1:])
m = re.search(r"tests passed, (\d+) tests failed out of (\d+)", native)
w = re.search(r"tests passed, (\d+) tests failed out of (\d+)", windows)
if not m or not w:
    print("no ctest summary"); sys.exit(1)
passed = int(m.group(2)) - int(m.group(1))
failed = int(m.group(1))
passed += sum(int(n) for n in re.findall(r"\[  PASSED  \] (\d+) tests?", windows))
failed += sum(int(n) for n in re.findall(r"\[  FAILED  \] (\d+) tests?,", windows))
if int(w.group(1)) and not failed:
    failed = int(w.group(1))  # a Windows-side program that died before its summary
print(f"{passed} passed, {failed} failed")
sys.exit(1 if failed else 0)
PY
