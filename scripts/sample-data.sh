#!/usr/bin/env bash
# Writes the bundled sample data: a Shift-JIS Shapefile set around Kyoto in
# JGD2000 latitude/longitude (EPSG:4612), each with its .prj and .cpg:
#   寺社.shp  points    名称, 種別, 創建年 (integer), 標高 (real)
#   道路.shp  roads     名称, 種別, 車線数 (integer), 延長 (real, km)
#   区域.shp  areas, two of them with a hole   名称, 種別, 面積 (real, ha)
# The files are made by GDAL's ogr2ogr from GeoJSON written here.
# Usage: scripts/sample-data.sh OUTPUT_FOLDER
set -euo pipefail
out=${1:?usage: $0 OUTPUT_FOLDER}
mkdir -p "$out"
command -v ogr2ogr >/dev/null || { echo "ogr2ogr is missing: run scripts/deps.sh" >&2; exit 1; }

make_set() {  # name geojson
  local name=$1 json=$2 tmp
  tmp=$(mktemp --suffix=.geojson)
  printf '%s' "$json" > "$tmp"
  rm -f "$out/$name".{shp,shx,dbf,prj,cpg}
  ogr2ogr -f 'ESRI Shapefile' -a_srs EPSG:4612 -lco ENCODING=CP932 "$out/$name.shp" "$tmp"
  rm -f "$tmp"
}

point() { printf '{"type":"Feature","properties":{"名称":"%s","種別":"%s","創建年":%s,"標高":%s},"geometry":{"type":"Point","coordinates":[%s,%s]}}' "$@"; }
road() {
  local name=$1 kind=$2 lanes=$3 length=$4; shift 4
  printf '{"type":"Feature","properties":{"名称":"%s","種別":"%s","車線数":%s,"延長":%s},"geometry":{"type":"LineString","coordinates":[%s]}}' \
    "$name" "$kind" "$lanes" "$length" "$*"
}
area() {
  local name=$1 kind=$2 size=$3; shift 3
  printf '{"type":"Feature","properties":{"名称":"%s","種別":"%s","面積":%s},"geometry":{"type":"Polygon","coordinates":[%s]}}' \
    "$name" "$kind" "$size" "$*"
}
ring() {  # south west north east: a closed rectangle, clockwise
  printf '[[%s,%s],[%s,%s],[%s,%s],[%s,%s],[%s,%s]]' "$2" "$1" "$2" "$3" "$4" "$3" "$4" "$1" "$2" "$1"
}

make_set 寺社 "{\"type\":\"FeatureCollection\",\"features\":[
$(point 金閣寺 寺院 1397 100.5 135.7292 35.0394),
$(point 清水寺 寺院 778 75.2 135.7850 34.9949),
$(point 二条城 城 1603 40.1 135.7482 35.0142),
$(point 八坂神社 神社 656 38.6 135.7785 35.0037),
$(point 銀閣寺 寺院 1490 82.9 135.7982 35.0270),
$(point 伏見稲荷大社 神社 711 33.4 135.7727 34.9671),
$(point 東寺 寺院 796 22.0 135.7478 34.9806)]}"

make_set 道路 "{\"type\":\"FeatureCollection\",\"features\":[
$(road 烏丸通 幹線 4 5.6 '[135.7595,34.9850],[135.7595,35.0100],[135.7596,35.0350]'),
$(road 四条通 幹線 4 3.4 '[135.7410,35.0036],[135.7600,35.0036],[135.7780,35.0037]'),
$(road 河原町通 幹線 2 3.3 '[135.7693,34.9900],[135.7690,35.0050],[135.7688,35.0200]'),
$(road 堀川通 幹線 6 5.0 '[135.7505,34.9850],[135.7504,35.0100],[135.7505,35.0300]'),
$(road 哲学の道 散策路 0 1.8 '[135.7950,35.0110],[135.7960,35.0180],[135.7972,35.0250],[135.7980,35.0268]')]}"

make_set 区域 "{\"type\":\"FeatureCollection\",\"features\":[
$(area 京都御苑 公園 65.0 "$(ring 35.0185 135.7597 35.0290 135.7650),$(ring 35.0220 135.7607 35.0265 135.7640)"),
$(area 二条城 史跡 27.5 "$(ring 35.0125 135.7455 35.0160 135.7510),$(ring 35.0135 135.7465 35.0148 135.7485)"),
$(area 梅小路公園 公園 11.6 "$(ring 34.9860 135.7420 34.9900 135.7480)")]}"

echo "sample data in $out: 寺社.shp 道路.shp 区域.shp (Shift-JIS, JGD2000 latitude/longitude)"
