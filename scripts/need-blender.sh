#!/usr/bin/env bash
# Installs Blender from Debian when missing, with numpy, which Debian's
# Blender only recommends and the glTF importer and the add-on need.
set -euo pipefail
bash "$(dirname "$0")/install.sh" --no-recommends blender python3-numpy
