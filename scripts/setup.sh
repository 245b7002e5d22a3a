#!/usr/bin/env bash
# Installs what the build needs, only where it is missing; with --bench
# also what the comparison benchmark runs against (Assimp, its library and
# its command-line tool).
set -euo pipefail
packages=(cmake ninja-build g++ libgtest-dev rapidjson-dev libcli11-dev libtinygltf-dev nlohmann-json3-dev libstb-dev libtiff-dev binutils)
if [ "${1:-}" = --bench ]; then packages+=(libassimp-dev assimp-utils); fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
