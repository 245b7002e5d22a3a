#!/usr/bin/env bash
# Imports the examples and every FT50 file the tests write in one batch to
# GLB with a report, and again to document files, and checks that the
# report's counts agree with each document, counted from its JSON here.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/build.sh >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$work/glb" "$work/json"
cp examples/*.ft50 "$work/corpus/"
TESSARO_KEEP_FT50="$work/corpus" build/tests/host_tests >/dev/null 2>&1 || true
count=$(ls "$work/corpus" | wc -l)
# Some of the files are damaged on purpose: the batch goes on past them and
# says so in its status.
set +e
build/tessaro import "$work"/corpus/*.ft50 --mode new --prefs none -q --out-dir "$work/glb" --format glb \
  --report "$work/report.json" >"$work/glb.txt"
build/tessaro import "$work"/corpus/*.ft50 --mode new --prefs none -q --out-dir "$work/json" --format json \
  >"$work/json.txt"
set -e
python3 scripts/report_check.py "$work/report.json" "$work/json"
echo "report-check: $count files, one batch each to GLB and to documents"
