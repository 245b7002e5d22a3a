#!/usr/bin/env bash
# Builds and runs every test (with --sanitize: under AddressSanitizer and
# UndefinedBehaviorSanitizer, leak checking on).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh "$@"
dir=build
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-sanitize
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
ctest --test-dir "$dir" --output-on-failure -j2
