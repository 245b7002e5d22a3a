#!/usr/bin/env bash
# Builds the Blender add-on's zip and tests it headless in Blender
# (tests/blender/addon_test.py): installed from the zip into a throw-away
# Blender configuration, the example imported new and updated after a
# material was assigned by hand, each checked against the host's document.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/need-blender.sh
zip=$(bash scripts/blender-addon.sh)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config" "$work/scripts" "$work/out"
rc=0
TMPDIR="$work" BLENDER_USER_CONFIG="$work/config" BLENDER_USER_SCRIPTS="$work/scripts" \
  blender -b --factory-startup --python-exit-code 1 --python tests/blender/addon_test.py -- \
  "$PWD/$zip" "$PWD/examples" "$PWD/build/tessaro" "$work/out" >"$work/blender.log" 2>&1 || rc=$?
grep -E "^(FAIL|addon tests)" "$work/blender.log" || true
if [ "$rc" != 0 ]; then
  echo "blender-addon-check: failed (status $rc):" >&2
  tail -n 40 "$work/blender.log" >&2
fi
exit "$rc"
