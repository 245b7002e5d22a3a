#!/usr/bin/env bash
# Builds the Blender add-on as an installable zip, build/tessaro_blender.zip:
# the add-on (blender/tessaro_ft50) with the tessaro program and the
# plug-in it runs, in tessaro_ft50/bin. Install it in Blender with
# Edit > Preferences > Add-ons > Install.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh >/dev/null
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/tessaro_ft50/bin"
cp blender/tessaro_ft50/*.py "$stage/tessaro_ft50/"
cp build/tessaro "$stage/tessaro_ft50/bin/"
cp -r build/plugins "$stage/tessaro_ft50/bin/"
# The debug information stays behind: the zip is what users install.
strip --strip-debug "$stage/tessaro_ft50/bin/tessaro" "$stage"/tessaro_ft50/bin/plugins/*/*.so
rm -f build/tessaro_blender.zip
(cd "$stage" && python3 -m zipfile -c "$OLDPWD/build/tessaro_blender.zip" tessaro_ft50)
echo "build/tessaro_blender.zip"
