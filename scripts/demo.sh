#!/usr/bin/env bash
# The main job on the bundled sample data: a Shift-JIS Shapefile set around
# Kyoto (temples and shrines, roads, areas with holes) made by
# scripts/sample-data.sh, imported into a new 1:25000 map in plane
# rectangular system VI, labelled with the features' names from their
# attributes, drawn to PNG and SVG, and exported again. Everything lands in the
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
step "select every feature that has a name" "$kz" attr "$map" search 名称 --text ''
step "label each selected feature with its 名称" "$kz" attr "$map" label 名称
step "draw the map: $dir/kyoto.png" "$kz" render "$map" "$dir/kyoto.png"
step "draw the map: $dir/kyoto.svg" "$kz" render "$map" "$dir/kyoto.svg"
out="$dir/export"
rm -rf "$out"
mkdir -p "$out"
step "export 寺社 back as points in JGD2000 latitude/longitude: $out/寺社.shp" \
  "$kz" export "$map" "$out/寺社.shp" --type point --target layer:寺社 --kinds paths --to jgd2000:bl --layer-field
step "export 道路 as polylines in the map's own system: $out/道路.shp" \
  "$kz" export "$map" "$out/道路.shp" --type polyline --target layer:道路 --kinds paths
step "export 区域 as polygons with their holes: $out/区域.shp" \
  "$kz" export "$map" "$out/区域.shp" --type polygon --target layer:区域 --kinds paths
step "export 寺社 as UTF-8 CSV: $out/寺社.csv" \
  "$kz" export "$map" "$out/寺社.csv" --target layer:寺社 --kinds paths --to jgd2000:bl --encoding utf8
echo "== what GDAL reads back"
for f in "$out"/寺社.shp "$out"/区域.shp; do
  ogrinfo -ro -al -q "$f" > "$out/ogrinfo.txt"
  head -n 12 "$out/ogrinfo.txt"
done
head -n 4 "$out/寺社.csv"
echo "== what the map holds"
"$kz" info "$map"
echo
echo "Open $dir/kyoto.png or $dir/kyoto.svg to see the map."
