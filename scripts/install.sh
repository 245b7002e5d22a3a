#!/usr/bin/env bash
# Installs the Debian packages named that are missing (with sudo when not
# root); --no-recommends leaves out what they only recommend.
#   bash scripts/install.sh [--no-recommends] PACKAGE...
set -euo pipefail
options=(-y -qq)
if [ "${1:-}" = --no-recommends ]; then
  options+=(--no-install-recommends)
  shift
fi
missing=()
for p in "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing ${missing[*]}" >&2
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install "${options[@]}" "${missing[@]}" >/dev/null
fi
