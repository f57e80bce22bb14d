#!/usr/bin/env bash
# Builds libgpuscout and checks it against a real NVIDIA GPU: the compute tests'
# GPU cases and a plausible device report. Exit status 0 only if every check
# passes. Run on a machine with a GPU and a CUDA toolkit:
#   tools/gpu-check.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/gpu-check}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DODDSMITH_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target gpuscout gpuscout_gpu_check gpuscout_cli
echo "== full report and compute tests (gpuscout) =="
"$build/bin/gpuscout" || true
echo "== checks =="
"$build/bin/gpuscout_gpu_check"
