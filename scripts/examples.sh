#!/usr/bin/env bash
# Rewrites examples/ with the project's own FT50 writer, and the example
# scene's texture.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
build/tests/make_examples examples
python3 scripts/make-oak.py examples/tex/oak.png
