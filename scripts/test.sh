#!/usr/bin/env bash
# Builds and runs every test (with --sanitize: under AddressSanitizer and
# UndefinedBehaviorSanitizer, leak checking on).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh "$@"
# Khronos' glTF-Validator (npm) for the export test, tmux for the terminal
# dialog's.
missing=()
command -v npm >/dev/null || missing+=(nodejs npm)
command -v tmux >/dev/null || missing+=(tmux)
if ((${#missing[@]})); then
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
if [ ! -d tests/gltf/node_modules/gltf-validator ]; then
  (cd tests/gltf && npm ci --no-audit --no-fund --silent)
fi
dir=build
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-sanitize
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
ctest --test-dir "$dir" --output-on-failure -j2
