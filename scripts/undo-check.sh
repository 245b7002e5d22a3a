#!/usr/bin/env bash
# Merges every example and every FT50 file the tests write into
# examples/room.json, and updates each of its top-level objects with each
# kind; undoes each import in memory and from its document file, and checks
# that the user's document comes back as it was.
#   bash scripts/undo-check.sh [--sanitize]
set -euo pipefail
cd "$(dirname "$0")/.."
build=build
if [ "${1:-}" = "--sanitize" ]; then
  build=build-sanitize
  bash scripts/build.sh --sanitize >/dev/null
else
  bash scripts/build.sh >/dev/null
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
TESSARO_KEEP_FT50="$work" "$build/tests/host_tests" >/dev/null 2>&1 || true
count=$(ls "$work" | wc -l)
TESSARO_UNDO_CORPUS="$work" "$build/tests/host_tests" --gtest_filter='UndoTest.MergesAndUpdatesAreUndoneExactly' \
  >"$work/log.txt" 2>&1 || { tail -40 "$work/log.txt"; echo "undo-check: FAILED"; exit 1; }
echo "undo-check ($build): $count test files and the examples, merged and updated 9 ways each, undone exactly"
