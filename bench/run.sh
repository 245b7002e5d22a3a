#!/usr/bin/env bash
# Builds the benchmarks optimised (in build-bench/) and runs one of them:
#   bash bench/run.sh split_mesh [MAX_POLYGONS]
#   bash bench/run.sh many_materials [MAX_MATERIALS]
#   bash bench/run.sh hostile_layouts [SCALE]
#   bash bench/run.sh growth [SCALE]
#   bash bench/run.sh compare [--rounds N] [--keep] [--textured] [--export] [--cold] [TRIANGLES...]
#   bash bench/run.sh blender [--rounds N] [TRIANGLES...]
set -euo pipefail
cd "$(dirname "$0")/.."
name="${1:?usage: bench/run.sh split_mesh|many_materials|hostile_layouts|growth|compare|blender [SIZE]}"
shift
if [ "$name" = blender ]; then exec bash bench/blender.sh "$@"; fi
if [ "$name" = compare ]; then bash scripts/setup.sh --bench; else bash scripts/setup.sh; fi
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench -j2 --target "bench_$name"
"build-bench/bench/bench_$name" "$@"
