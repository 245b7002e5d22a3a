#!/usr/bin/env bash
# Builds everything and imports the shipped example scene.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
build/tessaro import examples/scene.ft50 --prefs build/example-prefs.json "$@"
