#!/usr/bin/env bash
# Exports every example as GLB and as its document, imports each GLB into
# Blender (headless, with Blender's own glTF importer) and compares what
# Blender sees with the document: objects and hierarchy, meshes, materials
# and images, cameras, lights, dimensions in metres and where cameras look
# (scripts/blender_check.py). Installs Blender from Debian when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/need-blender.sh
bash scripts/build.sh >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
names=()
for f in examples/*.ft50; do
  name=$(basename "$f" .ft50)
  for out in "$name.glb" "$name.json"; do
    if ! build/tessaro import "$f" --mode new --out "$work/$out" --prefs "$work/prefs.json" >"$work/$out.log" 2>&1; then
      echo "blender-check: tessaro import $f --out $out failed:" >&2
      cat "$work/$out.log" >&2
      exit 1
    fi
  done
  names+=("$name")
done
rc=0
# Blender's own temporary files go into the work folder too.
TMPDIR="$work" blender -b --factory-startup --python-exit-code 1 --python scripts/blender_check.py -- \
  "$work" "$PWD/examples" "$work/report" "${names[@]}" >"$work/blender.log" 2>&1 || rc=$?
if [ ! -s "$work/report" ]; then
  echo "blender-check: Blender ended with status $rc before reporting:" >&2
  tail -n 40 "$work/blender.log" >&2
  exit 1
fi
cat "$work/report"
exit "$rc"
