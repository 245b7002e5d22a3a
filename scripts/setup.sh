#!/usr/bin/env bash
# Installs what the build needs, only where it is missing; with --bench
# also what the comparison benchmark runs against (Assimp, its library and
# its command-line tool).
set -euo pipefail
packages=(cmake ninja-build g++ libgtest-dev rapidjson-dev libcli11-dev libtinygltf-dev nlohmann-json3-dev libstb-dev libtiff-dev binutils)
if [ "${1:-}" = --bench ]; then packages+=(libassimp-dev assimp-utils); fi
bash "$(dirname "$0")/install.sh" "${packages[@]}"
