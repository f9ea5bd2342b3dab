#!/usr/bin/env bash
# Map document cost: makes point maps (five fields) and 100-vertex polygon
# maps of several sizes with `kzmap import`, then records the map file's
# size, `kzmap info`'s time and peak memory, and the bytes per object and per
# vertex. Usage: scripts/doc-measure.sh BUILD_DIR WORK_DIR [SIZES...]
# (SIZES: point counts; polygon maps hold SIZE/100 polygons of 100 vertices).
set -euo pipefail
build=${1:?build folder with kzmap}
work=${2:?scratch folder}
shift 2
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10000 100000 1000000)
kzmap=$(realpath "$build/kzmap")
mkdir -p "$work"
cd "$work"

make_points() {  # N -> points-N.csv: lat, lon and five columns
  python3 - "$1" <<'PY'
import csv, random, sys
n = int(sys.argv[1]); r = random.Random(21)
with open(f"points-{n}.csv", "w", newline="") as f:
    w = csv.writer(f)
    w.writerow(["lat", "lon", "name", "kind", "count", "height", "note"])
    for i in range(n):
        w.writerow([f"{35 + r.random():.6f}", f"{139 + r.random():.6f}", f"P{i}", ["A", "B", "C"][i % 3],
                    r.randrange(100000), f"{r.random() * 1000:.2f}", f"n{r.randrange(1000)}"])
PY
}

make_polygons() {  # N polygons of 100 vertices -> polygons-N.shp
  python3 - "$1" <<'PY'
import csv, math, random, sys
n = int(sys.argv[1]); r = random.Random(21)
with open(f"polygons-{n}.csv", "w", newline="") as f:
    w = csv.writer(f)
    w.writerow(["WKT", "name", "kind", "count", "height", "note"])
    for i in range(n):
        cx, cy, rad = 139 + r.random(), 35 + r.random(), 0.001 + r.random() * 0.002
        ring = [(cx + rad * math.cos(2 * math.pi * k / 99), cy + rad * math.sin(2 * math.pi * k / 99)) for k in range(99)]
        ring.append(ring[0])
        wkt = "POLYGON((" + ",".join(f"{x:.7f} {y:.7f}" for x, y in ring) + "))"
        w.writerow([wkt, f"G{i}", ["A", "B", "C"][i % 3], r.randrange(100000), f"{r.random() * 1000:.2f}", f"n{i % 1000}"])
PY
  ogr2ogr -f "ESRI Shapefile" -a_srs EPSG:4612 "polygons-$1.shp" "polygons-$1.csv" \
    -oo GEOM_POSSIBLE_NAMES=WKT -oo KEEP_GEOM_COLUMNS=NO -nlt POLYGON >/dev/null
}

measure() {  # LABEL MAP OBJECTS VERTICES COMMAND...
  local label=$1 map=$2 objects=$3 vertices=$4
  shift 4
  /usr/bin/time -v "$@" >/dev/null 2>time.txt || { cat time.txt; return 1; }
  local wall rss size
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' time.txt)
  rss=$(awk -F': ' '/Maximum resident/ {print $2}' time.txt)
  size=$(stat -c %s "$map")
  python3 - "$label" "$wall" "$rss" "$size" "$objects" "$vertices" <<'PY'
import sys
label, wall, rss, size, objects, vertices = sys.argv[1:]
parts = [float(p) for p in wall.split(":")]
seconds = sum(p * 60 ** i for i, p in enumerate(reversed(parts)))
rss, size, objects, vertices = int(rss) * 1024, int(size), int(objects), int(vertices)
print(f"{label:28s} {seconds:8.2f} s  peak {rss / 1e6:8.1f} MB  file {size / 1e6:8.1f} MB  "
      f"file/object {size / objects:7.1f} B  file/vertex {size / vertices:6.1f} B  "
      f"peak/object {rss / objects:7.1f} B")
PY
}

for n in "${sizes[@]}"; do
  [ -f "points-$n.csv" ] || make_points "$n"
  rm -f "points-$n.kzmap"
  measure "import $n points" "points-$n.csv" "$n" "$n" \
    "$kzmap" import "points-$n.kzmap" "points-$n.csv" --columns y,x,string:12,string:2,integer:6,real:8.2,string:6
  measure "info $n points" "points-$n.kzmap" "$n" "$n" "$kzmap" info "points-$n.kzmap"
  p=$((n / 100))
  [ -f "polygons-$p.shp" ] || make_polygons "$p"
  rm -f "polygons-$p.kzmap"
  measure "import $p polygons" "polygons-$p.shp" "$p" "$n" "$kzmap" import "polygons-$p.kzmap" "polygons-$p.shp"
  measure "info $p polygons" "polygons-$p.kzmap" "$p" "$n" "$kzmap" info "polygons-$p.kzmap"
done
