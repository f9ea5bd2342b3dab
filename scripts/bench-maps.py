#!/usr/bin/env python3
"""Big maps, whole processes: kzmap beside GDAL on the same data, in one run.

  bench-maps.py BUILD_DIR

For each dataset: `kzmap import` into a new map beside `ogr2ogr` making a
GeoPackage in the same plane system; `kzmap info` beside `ogrinfo -so` on that
GeoPackage; `kzmap export` to a lat/long Shapefile beside `ogr2ogr` doing the
same from the GeoPackage; 1,000 points imported into the map beside `ogr2ogr
-append` into the GeoPackage, and a copy of the map file; one object's value
set with `kzmap attr set` beside `ogrinfo -sql UPDATE` of its row. Each command
is a child process; its wall time and peak resident size (wait4) are its own. Then the map file's size beside the
Shapefile set it came from, and the time per object and per vertex at each
size.

Environment:
  KZ_BENCH_SIZES   which sizes run, as vertex/object counts: any of 1e4 1e5
                   1e6 1e7 (default "1e4 1e5 1e6"); 1e6 adds the 1M-point CSV
                   and Shapefile and the 10,000 x 100 polygons, 1e7 the
                   10M-vertex polygons (100,000 x 100) only
  KZ_BENCH_5M      1: also import, open and export the 5M-point map, from
                   CSV and from a Shapefile
  KZ_BENCH_REPEAT  runs of each command, the median kept (default 1)
  KZ_BENCH_DATA    where the generated data is kept (default BUILD_DIR/bench-data)
"""
import os
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PLANE = "EPSG:2451"  # JGD2000 plane rectangular IX
LATLONG = "EPSG:4612"  # JGD2000 latitude/longitude
COLUMNS = "y,x,string:10,string:8,integer:6,real:12.3,real:8.5"
FIELDS = "NAME,KIND,COUNT,AREA,RATIO"
BASE = [0.0]  # peak MB of the tool on an empty map


def run(arguments, repeat):
    """Median wall seconds and the peak MB of the run that gave it; exit status."""
    results = []
    for _ in range(repeat):
        start = time.monotonic()
        with open(os.devnull, "wb") as null:
            child = subprocess.Popen(arguments, stdout=null, stderr=subprocess.PIPE)
            err = child.stderr.read()
            _, status, usage = os.wait4(child.pid, 0)
            child.returncode = os.waitstatus_to_exitcode(status)
        seconds = time.monotonic() - start
        if child.returncode != 0:
            sys.stderr.write("failed (%d): %s\n%s\n" % (child.returncode, " ".join(arguments),
                                                        err.decode("utf-8", "replace")[-2000:]))
            return None
        results.append((seconds, usage.ru_maxrss / 1024.0))
    results.sort()
    return results[len(results) // 2]


def remove(*paths):
    for path in paths:
        if os.path.isdir(path):
            shutil.rmtree(path)
        elif os.path.exists(path):
            os.remove(path)


def shapefile_set(shp):
    base = shp[:-4]
    return [base + e for e in (".shp", ".shx", ".dbf", ".prj", ".cpg") if os.path.exists(base + e)]


def set_bytes(shp):
    return sum(os.path.getsize(p) for p in shapefile_set(shp))


COMMANDS = ("import", "info", "export")


class Dataset:
    def __init__(self, name, kind, objects, vertices_each, source):
        self.name = name
        self.kind = kind  # "points" or "polygons"
        self.objects = objects
        self.vertices = objects * vertices_each
        self.vertices_each = vertices_each
        self.source = source  # "csv" or "shp": what kzmap imports


FEW = Dataset("points1e3-shp", "points", 1000, 1, "shp")


def make_data(folder, dataset):
    """The CSV the generator writes and the Shapefile GDAL makes of it, made
    once and kept: each is written under a temporary name and renamed only
    when whole, so an interrupted run never leaves a half file to reuse."""
    csv = os.path.join(folder, dataset.name + ".csv")
    shp = os.path.join(folder, dataset.name + ".shp")
    if not os.path.exists(csv):
        part = os.path.join(folder, dataset.name + ".part.csv")
        if dataset.kind == "points":
            arguments = ["points", str(dataset.objects), part]
        else:
            arguments = ["polygons", str(dataset.objects), str(dataset.vertices_each), part]
        subprocess.check_call([sys.executable, os.path.join(HERE, "bench-data.py")] + arguments)
        os.replace(part[:-4] + ".csvt", csv[:-4] + ".csvt")
        os.replace(part, csv)
    if not os.path.exists(shp):
        part = os.path.join(folder, dataset.name + ".part.shp")
        remove(*shapefile_set(part))
        options = ["-select", FIELDS, "-a_srs", LATLONG, "-nln", dataset.name]
        if dataset.kind == "points":
            options += ["-oo", "X_POSSIBLE_NAMES=lon", "-oo", "Y_POSSIBLE_NAMES=lat"]
        subprocess.check_call(["ogr2ogr", "-f", "ESRI Shapefile", part, csv] + options)
        # The .shp last: its presence says the set is whole.
        for made in sorted(shapefile_set(part), key=lambda p: p.endswith(".shp")):
            os.replace(made, shp[:-4] + made[-4:])
    return csv, shp


def bench(build, folder, dataset, repeat, rows):
    csv, shp = make_data(folder, dataset)
    kzmap = os.path.join(build, "kzmap")
    work = os.path.join(folder, "work")
    os.makedirs(work, exist_ok=True)
    source = csv if dataset.source == "csv" else shp
    map_file = os.path.join(work, dataset.name + ".kzmap")
    gpkg = os.path.join(work, dataset.name + ".gpkg")
    out_shp = os.path.join(work, dataset.name + "-out.shp")
    peer_shp = os.path.join(work, dataset.name + "-peer.shp")

    def fresh_import():
        remove(map_file)
        command = [kzmap, "import", map_file, source, "--to", "jgd2000:xy9", "--from", "jgd2000:bl"]
        if dataset.source == "csv":
            command += ["--columns", COLUMNS, "--encoding", "utf8"]
        return command

    # Import: a new map beside a new GeoPackage in the same plane system.
    results = {}
    runs = []
    for _ in range(repeat):
        runs.append(run(fresh_import(), 1))
    runs = [r for r in runs if r]
    results["import"] = sorted(runs)[len(runs) // 2] if runs else None
    peer = ["ogr2ogr", "-overwrite", "-f", "GPKG", gpkg, source, "-t_srs", PLANE, "-nln", dataset.name]
    if dataset.source == "csv":
        peer += ["-oo", "X_POSSIBLE_NAMES=lon", "-oo", "Y_POSSIBLE_NAMES=lat", "-s_srs", LATLONG,
                 "-select", FIELDS]
    results["import peer"] = run(peer, repeat)
    if not results["import"]:
        rows.append((dataset, results, 0, 0))
        return
    map_bytes = os.path.getsize(map_file)

    results["info"] = run([kzmap, "info", map_file], repeat)
    results["info peer"] = run(["ogrinfo", "-so", gpkg, dataset.name], repeat)
    kind = "point" if dataset.kind == "points" else "polygon"
    results["export"] = run([kzmap, "export", map_file, out_shp, "--target", "all", "--type", kind,
                             "--to", "jgd2000:bl", "--encoding", "utf8"], repeat)
    results["export peer"] = run(["ogr2ogr", "-overwrite", "-f", "ESRI Shapefile", peer_shp, gpkg,
                                  "-t_srs", LATLONG, "-lco", "ENCODING=UTF-8"], repeat)
    add(build, folder, work, map_file, gpkg, repeat, results)
    change(build, work, dataset, map_file, gpkg, repeat, results)
    rows.append((dataset, results, map_bytes, set_bytes(shp)))
    remove(map_file, gpkg, *shapefile_set(out_shp), *shapefile_set(peer_shp))


def add(build, folder, work, map_file, gpkg, repeat, results):
    """A few objects added to the big map: 1,000 points imported into a copy
    of it beside `ogr2ogr -append` adding them to a copy of the GeoPackage as
    a layer of their own; and a copy of the map file, the speed of the disk."""
    _, few_shp = make_data(folder, FEW)
    copy = os.path.join(work, "add.kzmap")
    copy_gpkg = os.path.join(work, "add.gpkg")
    mine, peer, copied = [], [], []
    for _ in range(repeat):
        remove(copy, copy_gpkg)
        copied.append(run(["cp", map_file, copy], 1))
        mine.append(run([os.path.join(build, "kzmap"), "import", copy, few_shp, "--to", "jgd2000:xy9",
                         "--from", "jgd2000:bl"], 1))
        shutil.copyfile(gpkg, copy_gpkg)
        peer.append(run(["ogr2ogr", "-update", "-append", copy_gpkg, few_shp, "-t_srs", PLANE, "-nln", "few"], 1))
    for name, found in (("add", mine), ("add peer", peer), ("copy", copied)):
        found = sorted(r for r in found if r)
        results[name] = found[len(found) // 2] if found else None
    remove(copy, copy_gpkg)


def change(build, work, dataset, map_file, gpkg, repeat, results):
    """One object of the big map changed: its value set by `kzmap attr set`
    on the selection (the object in the middle, selected by a search first,
    not timed) beside `ogrinfo -sql UPDATE` of that object's row by its fid
    in a copy of the GeoPackage."""
    kzmap = os.path.join(build, "kzmap")
    chosen = dataset.objects // 2
    name = ("P" if dataset.kind == "points" else "A") + str(chosen)
    selected = os.path.join(work, "selected.kzmap")
    copy = os.path.join(work, "set.kzmap")
    copy_gpkg = os.path.join(work, "set.gpkg")
    remove(selected)
    shutil.copyfile(map_file, selected)
    results["search"] = run([kzmap, "attr", selected, "search", "NAME", "--text", name], 1)
    mine, peer = [], []
    for _ in range(repeat):
        remove(copy, copy_gpkg)
        shutil.copyfile(selected, copy)
        mine.append(run([kzmap, "attr", copy, "set", "KIND=changed"], 1))
        shutil.copyfile(gpkg, copy_gpkg)
        peer.append(run(["ogrinfo", "-q", copy_gpkg, "-sql",
                         "UPDATE %s SET KIND='changed' WHERE fid=%d" % (dataset.name, chosen + 1)], 1))
    for key, found in (("set", mine), ("set peer", peer)):
        found = sorted(r for r in found if r)
        results[key] = found[len(found) // 2] if found else None
    remove(selected, copy, copy_gpkg)


def ratio(a, b):
    return "%.2f" % (a / b) if a and b else "-"


def print_tables(rows):
    print()
    print("%-22s %-7s %9s %9s %7s %9s %9s %7s" % ("data", "command", "kzmap s", "peer s", "time x",
                                                  "kzmap MB", "peer MB", "mem x"))
    for dataset, results, _, _ in rows:
        for command in COMMANDS + ("add", "set"):
            mine, peer = results.get(command), results.get(command + " peer")
            print("%-22s %-7s %9s %9s %7s %9s %9s %7s" % (
                dataset.name, command,
                "%.2f" % mine[0] if mine else "failed", "%.2f" % peer[0] if peer else "failed",
                ratio(mine and mine[0], peer and peer[0]),
                "%.0f" % mine[1] if mine else "-", "%.0f" % peer[1] if peer else "-",
                ratio(mine and mine[1], peer and peer[1])))
    print()
    print("add: 1,000 points imported into the map beside ogr2ogr -append into the GeoPackage;")
    print("set: a value set on one selected object beside ogrinfo -sql UPDATE of its row by fid;")
    print("copy: cp of the map file, for the speed of the disk; search: selecting that object first")
    print("%-22s %9s %9s %9s %9s %9s %9s" % ("data", "add s", "set s", "copy s", "add/copy", "set/copy",
                                             "search s"))
    for dataset, results, _, _ in rows:
        mine, changed, copied, search = (results.get(k) for k in ("add", "set", "copy", "search"))
        if mine and copied:
            print("%-22s %9.2f %9s %9.2f %9s %9s %9s" % (
                dataset.name, mine[0], "%.2f" % changed[0] if changed else "-", copied[0],
                ratio(mine[0], copied[0]), ratio(changed and changed[0], copied[0]),
                "%.2f" % search[0] if search else "-"))
    print()
    print("%-22s %10s %10s %12s %12s %8s %10s %10s" % ("data", "objects", "vertices", "map bytes", "shp set",
                                                       "size x", "B/object", "B/vertex"))
    for dataset, results, map_bytes, shp_bytes in rows:
        if not map_bytes:
            continue
        print("%-22s %10d %10d %12d %12d %8s %10.1f %10.1f" % (
            dataset.name, dataset.objects, dataset.vertices, map_bytes, shp_bytes, ratio(map_bytes, shp_bytes),
            map_bytes / dataset.objects, map_bytes / dataset.vertices))
    print()
    print("peak memory beyond an empty map's (%.0f MB), beside the goal of 300 B/object + 100 B/vertex:" % BASE[0])
    print("%-22s %-7s %12s %12s %10s" % ("data", "command", "peak MB", "goal MB", "over/goal"))
    for dataset, results, _, _ in rows:
        goal = (300 * dataset.objects + 100 * dataset.vertices) / 2 ** 20
        for command in COMMANDS:
            mine = results.get(command)
            if mine:
                print("%-22s %-7s %12.0f %12.1f %10.2f" % (dataset.name, command, mine[1], goal,
                                                          max(0.0, mine[1] - BASE[0]) / goal))
    print()
    print("time per object and per vertex (microseconds):")
    print("%-22s %-7s %12s %12s" % ("data", "command", "us/object", "us/vertex"))
    for dataset, results, _, _ in rows:
        for command in COMMANDS:
            mine = results.get(command)
            if mine:
                print("%-22s %-7s %12.3f %12.4f" % (dataset.name, command, mine[0] * 1e6 / dataset.objects,
                                                     mine[0] * 1e6 / dataset.vertices))


def datasets(sizes, five_million):
    """Points and polygons at each size up to a million; at ten million the
    polygons alone (100,000 x 100): the points' big run is the 5M one."""
    chosen = []
    for size in sizes:
        n = int(float(size))
        if n < 1000:
            continue
        if n <= 10 ** 6:
            chosen.append(Dataset("points%s-shp" % size, "points", n, 1, "shp"))
        if n == 10 ** 6:
            chosen.append(Dataset("points%s-csv" % size, "points", n, 1, "csv"))
        chosen.append(Dataset("polygons%s" % size, "polygons", max(1, n // 100), 100, "shp"))
    if five_million:
        chosen.append(Dataset("points5e6-shp", "points", 5 * 10 ** 6, 1, "shp"))
        chosen.append(Dataset("points5e6-csv", "points", 5 * 10 ** 6, 1, "csv"))
    return chosen


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    build = os.path.abspath(argv[1])
    if not os.access(os.path.join(build, "kzmap"), os.X_OK):
        sys.stderr.write("no kzmap in %s\n" % build)
        return 1
    sizes = os.environ.get("KZ_BENCH_SIZES", "1e4 1e5 1e6").split()
    repeat = max(1, int(os.environ.get("KZ_BENCH_REPEAT", "1")))
    folder = os.environ.get("KZ_BENCH_DATA", os.path.join(build, "bench-data"))
    os.makedirs(folder, exist_ok=True)
    # What the tool takes with nothing in the map: info on a new, empty map.
    empty = os.path.join(folder, "empty.kzmap")
    remove(empty)
    subprocess.check_call([os.path.join(build, "kzmap"), "new", empty])
    base = run([os.path.join(build, "kzmap"), "info", empty], 1)
    BASE[0] = base[1] if base else 0.0
    rows = []
    for dataset in datasets(sizes, os.environ.get("KZ_BENCH_5M") == "1"):
        sys.stderr.write("== %s: %d objects, %d vertices\n" % (dataset.name, dataset.objects, dataset.vertices))
        bench(build, folder, dataset, repeat, rows)
    print_tables(rows)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
