#!/usr/bin/env python3
"""Writes the big-map benchmark's source data as CSV; GDAL turns it into Shapefiles.

  bench-data.py points N OUT.csv       N points around Tokyo (JGD2000 lat/long), five columns
  bench-data.py polygons N V OUT.csv   N polygons of V vertices each as WKT, five columns

The values are made from the index alone, so every run writes the same bytes.
"""
import math
import sys

KINDS = ["road", "river", "rail", "park", "house", "shop", "school"]


# GDAL reads the column types from a .csvt beside the file.
TYPES_PATH = [None]


def types(first):
    if TYPES_PATH[0]:
        with open(TYPES_PATH[0], "w") as out:
            out.write(first + ",String(10),String(8),Integer(6),Real(12.3),Real(8.5)\n")


def points(count, out):
    columns = max(1, int(math.ceil(math.sqrt(count))))
    out.write("lat,lon,NAME,KIND,COUNT,AREA,RATIO\n")
    types("Real(12.7),Real(12.7)")
    for i in range(count):
        lat = 35.0 + 1.5 * (i // columns) / columns
        lon = 139.0 + 1.5 * (i % columns) / columns
        out.write("%.7f,%.7f,P%d,%s,%d,%.3f,%.5f\n" % (
            lat, lon, i, KINDS[i % len(KINDS)], i % 100000, (i % 9973) * 1.25, (i % 997) / 997.0))


def polygons(count, vertices, out):
    columns = max(1, int(math.ceil(math.sqrt(count))))
    step = 1.5 / columns
    radius = step * 0.4
    ring = []
    for v in range(vertices - 1):
        angle = -2 * math.pi * v / (vertices - 1)  # clockwise: an outer ring
        r = radius * (1 + 0.2 * math.sin(5 * angle))
        ring.append((r * math.cos(angle), r * math.sin(angle)))
    ring.append(ring[0])
    out.write("WKT,NAME,KIND,COUNT,AREA,RATIO\n")
    types("WKT")
    for i in range(count):
        cx = 139.0 + step * (i % columns)
        cy = 35.0 + step * (i // columns)
        text = ",".join("%.7f %.7f" % (cx + dx, cy + dy) for dx, dy in ring)
        out.write('"POLYGON ((%s))",A%d,%s,%d,%.3f,%.5f\n' % (
            text, i, KINDS[i % len(KINDS)], i % 100000, (i % 9973) * 1.25, (i % 997) / 997.0))


def main(argv):
    if len(argv) >= 2:
        TYPES_PATH[0] = argv[-1][:-4] + ".csvt" if argv[-1].endswith(".csv") else None
    if len(argv) == 4 and argv[1] == "points":
        with open(argv[3], "w", newline="") as out:
            points(int(argv[2]), out)
        return 0
    if len(argv) == 5 and argv[1] == "polygons":
        with open(argv[4], "w", newline="") as out:
            polygons(int(argv[2]), int(argv[3]), out)
        return 0
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
