#!/usr/bin/env bash
# Times the image save of a 1920 x 1080 screen: our JPEG and BMP writers
# (bench/native/capture_bench.cpp, optimised build) and, on the same pixels
# in the same run, Debian's cjpeg -quality 90 writing a file. Prints the
# ratio of our JPEG save to cjpeg's. Usage: bench/capture_jpeg.sh [build dir]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build/bench}"
cmake --preset bench -B "$build" >/dev/null
cmake --build "$build" -j2 --target capture_bench >"$build/capture_bench-build.log" 2>&1 || { tail -n 30 "$build/capture_bench-build.log"; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
TAMIRU_BENCH_PPM="$work/screen.ppm" TAMIRU_BENCH_DIR="$work" \
  "$build/bench/capture_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_format=json --benchmark_out="$work/ours.json" --benchmark_out_format=json >/dev/null

python3 - "$work" <<'PY'
import json, statistics, subprocess, sys, time
work = sys.argv[1]
medians = [b for b in json.load(open(f"{work}/ours.json"))["benchmarks"] if b.get("aggregate_name") == "median"]
ours = {b["run_name"].split("/")[0]: b["real_time"] for b in medians}
our_bytes = next(int(b["file_bytes"]) for b in medians if b["run_name"].startswith("BM_JpegEncode"))
runs = []
for _ in range(30):
    start = time.perf_counter()
    subprocess.run(["cjpeg", "-quality", "90", "-outfile", f"{work}/cjpeg.jpg", f"{work}/screen.ppm"], check=True)
    runs.append((time.perf_counter() - start) * 1000)
cjpeg = statistics.median(runs)
for name in ("BM_JpegEncode", "BM_JpegSave", "BM_BmpEncode", "BM_BmpSave"):
    print(f"{name:14s} {ours[name]:8.2f} ms (median of 5)")
print(f"cjpeg -quality 90 (process, PPM in, file out) {cjpeg:8.2f} ms (median of 30)")
import os
print(f"JPEG file bytes: ours {our_bytes}, cjpeg {os.path.getsize(f'{work}/cjpeg.jpg')}")
print(f"JPEG save / cjpeg = {ours['BM_JpegSave'] / cjpeg:.2f}   JPEG encode / cjpeg = {ours['BM_JpegEncode'] / cjpeg:.2f}")
PY
