#!/usr/bin/env bash
# Takes the README's picture of the add-on's import options in Blender's
# file browser (docs/blender-import.png), in Blender on a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/need-blender.sh
bash scripts/install.sh --no-recommends xvfb xauth libgl1-mesa-dri
zip=$PWD/$(bash scripts/blender-addon.sh)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config" "$work/scripts"
TMPDIR="$work" BLENDER_USER_CONFIG="$work/config" BLENDER_USER_SCRIPTS="$work/scripts" \
  timeout 300 xvfb-run -a -s "-screen 0 1280x720x24" blender --factory-startup --python scripts/blender_screenshot.py -- \
  "$zip" "$work/shot.png" "$PWD/examples/scene.ft50" >"$work/blender.log" 2>&1
if [ ! -s "$work/shot.png" ]; then
  echo "blender-screenshot: no picture was taken:" >&2
  tail -n 20 "$work/blender.log" >&2
  exit 1
fi
cp "$work/shot.png" docs/blender-import.png
echo "screenshot: docs/blender-import.png"
