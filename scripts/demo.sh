#!/usr/bin/env bash
# The main job on the bundled sample data: a Shift-JIS Shapefile set around
# Kyoto (temples and shrines, roads, areas with holes) made by
# scripts/sample-data.sh, imported into a new 1:25000 map in plane
# rectangular system VI, then drawn to PNG and SVG. Everything lands in the
# build folder; each step says what it did and how long it took.
set -euo pipefail
dir=${1:-build/demo}
kz="$dir/kzmap"
sample="$dir/sample"
map="$dir/kyoto.kzmap"
# The demo keeps its own preferences, so that it neither reads nor changes the user's.
export XDG_CONFIG_HOME="$dir/config"

now() { date +%s%N; }
step() {  # LABEL COMMAND...: runs the command and prints how long it took
  local label=$1 start end
  shift
  echo "== $label"
  start=$(now)
  "$@"
  end=$(now)
  printf '   (%d ms)\n' $(( (end - start) / 1000000 ))
}

"$kz" --version
step "sample data: Shapefiles around Kyoto in JGD2000 latitude/longitude, Shift-JIS" \
  scripts/sample-data.sh "$sample"
rm -f "$map"
step "a new A3 map: $map" "$kz" new "$map" --artboard a3
step "import 区域, 道路, 寺社 into plane rectangular system VI at 1:25000" \
  "$kz" import "$map" "$sample/区域.shp" "$sample/道路.shp" "$sample/寺社.shp" --to jgd2000:xy6 --scale 25000
step "draw the map: $dir/kyoto.png" "$kz" render "$map" "$dir/kyoto.png"
step "draw the map: $dir/kyoto.svg" "$kz" render "$map" "$dir/kyoto.svg"
echo "== what the map holds"
"$kz" info "$map"
echo
echo "Open $dir/kyoto.png or $dir/kyoto.svg to see the map."
