#!/usr/bin/env bash
# Builds and runs the split-mesh benchmark (an optimised build in build-bench/).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSARO_TESTS=ON >/dev/null
cmake --build build-bench -j2 --target bench_split_mesh
build-bench/bench/bench_split_mesh "$@"
