#!/usr/bin/env bash
# Compares what two builds of the program make of the same files: the
# examples and every FT50 file the tests write, imported new, merged into
# the example room and updated there (each kind), as documents and GLB,
# with reports, and inspected. A change meant to keep behaviour must leave
# every output byte for byte as it was.
#
#   scripts/compare-builds.sh OLD_BUILD_DIR [NEW_BUILD_DIR]
#
# Each build folder holds a built `tessaro` and its `plugins` folder. The
# corpus is written by the new build's tests.
set -uo pipefail
cd "$(dirname "$0")/.."
old=$(realpath "${1:?usage: compare-builds.sh OLD_BUILD_DIR [NEW_BUILD_DIR]}")
new=$(realpath "${2:-build}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$work/old" "$work/new"
cp examples/*.ft50 "$work/corpus/"
TESSARO_KEEP_FT50="$work/corpus" "$new/tests/host_tests" >/dev/null 2>&1
room=$PWD/examples/room.json

# Each side runs in its own folder with the same relative names, so that
# the names the outputs hold agree.
run() {  # run BUILD OUTDIR NAME ARGS...
  local build=$1 out=$2 name=$3
  shift 3
  (cd "$out" && "$build/tessaro" "$@" >"$name.stdout" 2>"$name.stderr"
   echo "$?" >"$name.status")
}

for side in old new; do
  build=${!side}
  out=$work/$side
  for f in "$work"/corpus/*.ft50; do
    b=$(basename "$f" .ft50)
    rel=../corpus/$(basename "$f")
    opts=(--prefs none --plugins "$build/plugins")
    run "$build" "$out" "$b.new" import "$rel" --mode new --out "$b.new.json" --report "$b.new.report.json" "${opts[@]}"
    run "$build" "$out" "$b.glb" import "$rel" --mode new --out "$b.glb" "${opts[@]}"
    run "$build" "$out" "$b.merge" import "$rel" --mode merge --into "$room" --out "$b.merge.json" "${opts[@]}"
    for kind in geometry cameras materials lights; do
      run "$build" "$out" "$b.update.$kind" import "$rel" --mode update --kind "$kind" --row 1 \
        --into "$room" --out "$b.update.$kind.json" --report "$b.update.$kind.report.json" "${opts[@]}"
    done
    run "$build" "$out" "$b.inspect" inspect "$rel"
  done
done

files=$(ls "$work/corpus" | wc -l)
ok=$(cat "$work"/new/*.status | grep -c "^0$")
outputs=$(ls "$work/new" | wc -l)
if diff -r "$work/old" "$work/new" >"$work/diff.txt"; then
  echo "compare-builds: $files files, $outputs outputs ($ok of the runs exit 0), all identical"
else
  head -50 "$work/diff.txt"
  echo "compare-builds: $(grep -c '^diff\|^Only\|^Files' "$work/diff.txt") outputs differ"
  exit 1
fi
