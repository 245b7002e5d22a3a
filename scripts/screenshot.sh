#!/usr/bin/env bash
# Exports the example scene as GLB and takes a picture of it in a three.js
# page with headless Chromium, through the file's own camera and lit by its
# own lights (a 4:3 window, the host's frame): docs/scene.png (the README's
# picture).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh >/dev/null
if ! command -v chromium >/dev/null; then
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq chromium >/dev/null
fi
[ -d docs/viewer/node_modules/three ] || (cd docs/viewer && npm ci --no-audit --no-fund --silent)
site=build/viewer
rm -rf "$site"
mkdir -p "$site"
cp docs/viewer/index.html "$site/"
ln -s "$PWD/docs/viewer/node_modules" "$site/node_modules"
build/tessaro import examples/scene.ft50 --mode new --out "$site/scene.glb" --prefs build/screenshot-prefs.json
port=$((20000 + RANDOM % 20000))
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$site" >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null' EXIT
sleep 1
chromium --headless=new --no-sandbox --hide-scrollbars --disable-gpu --enable-unsafe-swiftshader --use-angle=swiftshader \
  --window-size=800,600 --virtual-time-budget=10000 --screenshot="$PWD/docs/scene.png" \
  "http://127.0.0.1:$port/index.html?file=scene.glb" >/dev/null 2>&1
echo "screenshot: docs/scene.png"
