// The main job at size: a generated Shapefile of polygons with five attribute
// columns imported into a new plane rectangular map by the whole
// `kzmap import` command, beside GDAL's ogr2ogr reprojecting the same file to
// the same plane system. Each run is a child process; wall time and peak
// memory are its own. Several sizes show whether time grows linearly with
// the vertex count.
#include <benchmark/benchmark.h>
#include <shapefil.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ChildProcess.h"

namespace {

namespace fs = std::filesystem;
using benchchild::ChildRun;
using benchchild::Report;
using benchchild::RunChild;

constexpr int kVerticesPerPolygon = 100;
const char* const kJgd2000Wkt =
    "GEOGCS[\"GCS_JGD_2000\",DATUM[\"D_JGD_2000\",SPHEROID[\"GRS_1980\",6378137.0,298.257222101]],"
    "PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\",0.0174532925199433]]";

fs::path Folder() { return benchchild::ScratchFolder("kz-import-bench"); }

// polygons × 100 vertices around Tokyo in JGD2000 latitude/longitude, with
// a name, a kind, a count, an area and a ratio; written by shapelib.
fs::path MakeInput(int polygons) {
  const fs::path shp = Folder() / ("polygons" + std::to_string(polygons) + ".shp");
  if (fs::exists(shp)) return shp;
  const std::string base = (Folder() / ("polygons" + std::to_string(polygons))).string();
  SHPHandle shapes = SHPCreate(base.c_str(), SHPT_POLYGON);
  DBFHandle table = DBFCreateEx(base.c_str(), "CP932");
  DBFAddField(table, "NAME", FTString, 40, 0);
  DBFAddField(table, "KIND", FTString, 10, 0);
  DBFAddField(table, "COUNT", FTInteger, 9, 0);
  DBFAddField(table, "AREA", FTDouble, 16, 3);
  DBFAddField(table, "RATIO", FTDouble, 8, 5);
  const int columns = static_cast<int>(std::ceil(std::sqrt(polygons)));
  std::vector<double> xs(kVerticesPerPolygon), ys(kVerticesPerPolygon);
  for (int p = 0; p < polygons; ++p) {
    const double cx = 139.70 + 0.002 * (p % columns), cy = 35.60 + 0.002 * (p / columns);
    for (int v = 0; v < kVerticesPerPolygon - 1; ++v) {
      const double angle = -2 * M_PI * v / (kVerticesPerPolygon - 1);
      const double r = 0.0008 * (1 + 0.2 * std::sin(5 * angle));
      xs[v] = cx + r * std::cos(angle);
      ys[v] = cy + r * std::sin(angle);
    }
    xs.back() = xs.front();
    ys.back() = ys.front();
    SHPObject* object = SHPCreateSimpleObject(SHPT_POLYGON, kVerticesPerPolygon, xs.data(), ys.data(), nullptr);
    SHPWriteObject(shapes, -1, object);
    SHPDestroyObject(object);
    DBFWriteStringAttribute(table, p, 0, ("parcel " + std::to_string(p)).c_str());
    DBFWriteStringAttribute(table, p, 1, p % 3 == 0 ? "park" : "lot");
    DBFWriteIntegerAttribute(table, p, 2, p);
    DBFWriteDoubleAttribute(table, p, 3, 1234.5 + p);
    DBFWriteDoubleAttribute(table, p, 4, (p % 1000) / 1000.0);
  }
  SHPClose(shapes);
  DBFClose(table);
  std::ofstream(base + ".prj") << kJgd2000Wkt;
  std::ofstream(base + ".cpg") << "CP932";
  return shp;
}


void KzmapImport(benchmark::State& state) {
  const int polygons = static_cast<int>(state.range(0));
  const fs::path input = MakeInput(polygons);
  for (auto _ : state) {
    const fs::path map = Folder() / "bench.kzmap";
    fs::remove(map);
    const std::string environment = "XDG_CONFIG_HOME=" + (Folder() / "config").string();
    Report(state,
           RunChild({"env", environment, KZ_TOOL_FILE, "import", map.string(), input.string(), "--to", "jgd2000:xy9",
                     "--scale", "25000"}),
           polygons * kVerticesPerPolygon);
  }
}

void Ogr2ogrReproject(benchmark::State& state) {
  const int polygons = static_cast<int>(state.range(0));
  const fs::path input = MakeInput(polygons);
  for (auto _ : state) {
    const fs::path output = Folder() / "reprojected.shp";
    for (const char* extension : {".shp", ".shx", ".dbf", ".prj", ".cpg"}) fs::remove(fs::path(output).replace_extension(extension));
    Report(state, RunChild({"ogr2ogr", "-f", "ESRI Shapefile", "-t_srs", "EPSG:2451", output.string(), input.string()}),
           polygons * kVerticesPerPolygon);
  }
}

BENCHMARK(KzmapImport)->Arg(2500)->Arg(5000)->Arg(10000)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Ogr2ogrReproject)->Arg(2500)->Arg(5000)->Arg(10000)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  fs::remove_all(Folder(), ignored);
  return 0;
}
