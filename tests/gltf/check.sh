#!/usr/bin/env bash
# Exports every example and every FT50 file the tests write as glTF and as
# GLB, and runs Khronos' glTF-Validator on each: any error fails.
# Usage: tests/gltf/check.sh BUILD_DIR (after npm ci in tests/gltf)
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/ft50" "$work/out"
cp "$root"/examples/*.ft50 "$work/ft50/"
# The examples' textures, found in the tex folder beside them.
cp -r "$root"/examples/tex "$work/ft50/"
TESSARO_KEEP_FT50="$work/ft50" "$build/tests/host_tests" --gtest_filter='-Gltf*' >/dev/null 2>&1 || true
exported=0
export_one() {  # FILE NAME [ARGS...]
  local file=$1 name=$2
  shift 2
  for ext in gltf glb; do
    local rc=0
    "$build/tessaro" import "$file" --out "$work/out/$name.$ext" --prefs "$work/prefs.json" "$@" \
      >/dev/null 2>&1 || rc=$?
    # 4: the load refused the file, so there is nothing to export.
    if [ "$rc" != 0 ] && [ "$rc" != 4 ] && [ "$rc" != 5 ]; then
      echo "check: tessaro import $file ($ext) exited with $rc" >&2
      exit 1
    fi
    [ -f "$work/out/$name.$ext" ] && exported=$((exported + 1))
  done
}
for f in "$work"/ft50/*.ft50; do export_one "$f" "$(basename "$f" .ft50)" --mode new; done
export_one "$root/examples/scene.ft50" room-merged --mode merge --into "$root/examples/room.json"
echo "check: $exported exports"
# Only the exports: texture files copied beside them are checked through them.
node "$here/validate.mjs" "$work"/out/*.gltf "$work"/out/*.glb | grep -v ": 0 errors," || true
node "$here/validate.mjs" "$work"/out/*.gltf "$work"/out/*.glb >/dev/null
echo "check: no validator errors"
