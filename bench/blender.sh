#!/usr/bin/env bash
# The add-on against Blender's own glTF importer on the same mesh: the
# textured grid as FT50 through the add-on (mode merge, into the default
# scene), and as the GLB that tessaro exports of it through Blender's glTF
# importer. Each import runs in a Blender process of its own, the two
# alternating; the import's own wall time is timed inside Blender, and the
# medians are printed with what Blender then holds.
#   bash bench/run.sh blender [--rounds N] [TRIANGLES...]   (default 1000000, 5 rounds)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=5
sizes=()
while (($#)); do
  case "$1" in
    --rounds) rounds=$2; shift 2 ;;
    *) sizes+=("$1"); shift ;;
  esac
done
((${#sizes[@]})) || sizes=(1000000)
bash scripts/need-blender.sh
zip=$PWD/$(bash scripts/blender-addon.sh)
cmake --build build -j2 --target bench_grid >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config" "$work/scripts"
run() {  # run ft50|gltf FILE: prints "seconds vertices polygons"
  TMPDIR="$work" BLENDER_USER_CONFIG="$work/config" BLENDER_USER_SCRIPTS="$work/scripts" \
    blender -b --factory-startup --python-exit-code 1 --python bench/blender_import.py -- "$1" "$2" "$zip" 2>&1 |
    awk '/^RESULT/ {print $3, $4, $5}'
}
median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2)}'; }
printf '%10s | %10s %10s | %7s | %s\n' triangles "add-on s" "glTF s" ratio "vertices and faces (add-on; glTF)"
for n in "${sizes[@]}"; do
  build/bench/bench_grid "$n" --textured "$work/grid.ft50"
  build/tessaro import "$work/grid.ft50" --mode new --out "$work/grid.glb" --prefs none -q
  : >"$work/ft50.txt"
  : >"$work/gltf.txt"
  for ((r = 0; r < rounds; r++)); do
    run ft50 "$work/grid.ft50" >>"$work/ft50.txt"
    run gltf "$work/grid.glb" >>"$work/gltf.txt"
  done
  a=$(cut -d' ' -f1 "$work/ft50.txt" | median)
  b=$(cut -d' ' -f1 "$work/gltf.txt" | median)
  awk -v a="$a" -v b="$b" -v x="$(head -1 "$work/ft50.txt")" -v y="$(head -1 "$work/gltf.txt")" 'BEGIN {
    split(x, f, " "); split(y, g, " ")
    printf "%10d | %10.3f %10.3f | %7.2f | %d and %d; %d and %d\n", f[3], a, b, a / b, f[2], f[3], g[2], g[3] }'
done
