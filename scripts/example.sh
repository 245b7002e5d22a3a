#!/usr/bin/env bash
# Builds the program and the plug-in (nothing else: no tests, no
# benchmarks) and imports the shipped example scene.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target tessaro TessaroImport
build/tessaro import examples/scene.ft50 --prefs build/example-prefs.json "$@"
