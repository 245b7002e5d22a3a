#!/usr/bin/env bash
# Builds the benchmarks optimised (in build-bench/) and runs one of them:
#   bash bench/run.sh split_mesh [MAX_POLYGONS]
#   bash bench/run.sh many_materials [MAX_MATERIALS]
#   bash bench/run.sh hostile_layouts [SCALE]
set -euo pipefail
cd "$(dirname "$0")/.."
name="${1:?usage: bench/run.sh split_mesh|many_materials|hostile_layouts [SIZE]}"
shift
bash scripts/setup.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench -j2 --target "bench_$name"
"build-bench/bench/bench_$name" "$@"
