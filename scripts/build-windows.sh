#!/usr/bin/env bash
# Cross-builds the plug-in as a 32-bit Windows DLL and the stand-in host as a
# 32-bit Windows console program, into build-windows/:
#   build-windows/tessaro.exe
#   build-windows/plugins/TessaroImport/TessaroImport.dll (and res/)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
if ! command -v i686-w64-mingw32-g++-win32 >/dev/null; then
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq g++-mingw-w64-i686 >/dev/null
fi
# The header-only libraries, without the rest of the build machine's headers.
deps=build-windows/deps/include
mkdir -p "$deps"
ln -sfn /usr/include/rapidjson "$deps/rapidjson"
ln -sfn /usr/include/CLI "$deps/CLI"
ln -sfn /usr/include/tiny_gltf.h "$deps/tiny_gltf.h"
ln -sfn /usr/include/nlohmann "$deps/nlohmann"
ln -sfn /usr/include/stb "$deps/stb"
cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release \
  -DTESSARO_TESTS=OFF -DRAPIDJSON_INCLUDE="$PWD/$deps" -DCLI11_INCLUDE="$PWD/$deps" \
  -DTINYGLTF_INCLUDE="$PWD/$deps" -DNLOHMANN_JSON_INCLUDE="$PWD/$deps" -DSTB_INCLUDE="$PWD/$deps" >/dev/null
cmake --build build-windows -j2
