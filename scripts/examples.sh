#!/usr/bin/env bash
# Rewrites examples/ with the project's own FT50 writer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
build/tests/make_examples examples
