// KML and coordinate text files at size imported into a new plane
// rectangular map by the whole `kzmap import` command, beside GDAL's ogr2ogr
// reading the same file and reprojecting it to the same plane system. Each
// run is a child process; wall time and peak memory are its own. The KML
// holds polygons of 100 vertices in the layout Google Earth writes (styles,
// folders, one tuple per line); the text file holds one point per line with
// a name and a number. Several sizes show whether time grows linearly.
#include <benchmark/benchmark.h>
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
constexpr int kPolygonsPerFolder = 1000;

fs::path Folder() { return benchchild::ScratchFolder("kz-kml-text-bench"); }

// vertices / 100 polygons around Tokyo, a folder per thousand, a style map.
fs::path MakeKml(int vertices) {
  const fs::path kml = Folder() / ("polygons" + std::to_string(vertices) + ".kml");
  if (fs::exists(kml)) return kml;
  std::ofstream out(kml);
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n<Document>\n"
         "\t<name>区画</name>\n"
         "\t<Style id=\"s\"><LineStyle><color>ff0000ff</color><width>1.5</width></LineStyle>"
         "<PolyStyle><color>7f00ff00</color></PolyStyle></Style>\n"
         "\t<StyleMap id=\"m\"><Pair><key>normal</key><styleUrl>#s</styleUrl></Pair></StyleMap>\n";
  const int polygons = vertices / kVerticesPerPolygon;
  const int columns = static_cast<int>(std::ceil(std::sqrt(polygons)));
  char tuple[64];
  for (int p = 0; p < polygons; ++p) {
    if (p % kPolygonsPerFolder == 0) out << (p ? "\t</Folder>\n" : "") << "\t<Folder>\n\t\t<name>組 " << p / kPolygonsPerFolder << "</name>\n";
    const double cx = 139.70 + 0.002 * (p % columns), cy = 35.60 + 0.002 * (p / columns);
    out << "\t\t<Placemark>\n\t\t\t<name>区画 " << p << "</name>\n\t\t\t<styleUrl>#m</styleUrl>\n"
        << "\t\t\t<Polygon><outerBoundaryIs><LinearRing>\n\t\t\t\t<coordinates>\n";
    for (int v = 0; v < kVerticesPerPolygon; ++v) {
      const double angle = 2 * M_PI * (v % (kVerticesPerPolygon - 1)) / (kVerticesPerPolygon - 1);
      const double r = 0.0008 * (1 + 0.2 * std::sin(5 * angle));
      std::snprintf(tuple, sizeof tuple, "\t\t\t\t\t%.9f,%.9f,0\n", cx + r * std::cos(angle), cy + r * std::sin(angle));
      out << tuple;
    }
    out << "\t\t\t\t</coordinates>\n\t\t\t</LinearRing></outerBoundaryIs></Polygon>\n\t\t</Placemark>\n";
  }
  out << "\t</Folder>\n</Document>\n</kml>\n";
  return kml;
}

// One point per line: latitude, longitude, a quoted name, a count.
fs::path MakeCsv(int points) {
  const fs::path csv = Folder() / ("points" + std::to_string(points) + ".csv");
  if (fs::exists(csv)) return csv;
  std::ofstream out(csv);
  out << "lat,lon,name,count\n";
  const int columns = static_cast<int>(std::ceil(std::sqrt(points)));
  char line[128];
  for (int p = 0; p < points; ++p) {
    std::snprintf(line, sizeof line, "%.9f,%.9f,\"地点 %d, 東\",%d\n", 35.60 + 0.0001 * (p / columns),
                  139.70 + 0.0001 * (p % columns), p, p % 1000);
    out << line;
  }
  return csv;
}


ChildRun KzmapImport(const fs::path& input, const std::vector<std::string>& extra) {
  const fs::path map = Folder() / "bench.kzmap";
  fs::remove(map);
  std::vector<std::string> arguments{"env",    "XDG_CONFIG_HOME=" + (Folder() / "config").string(),
                                     KZ_TOOL_FILE, "import", map.string(), input.string(), "--to", "jgd2000:xy9",
                                     "--scale", "25000"};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  return RunChild(arguments);
}

ChildRun Ogr2ogr(const fs::path& input, const std::vector<std::string>& extra) {
  const fs::path output = Folder() / "reprojected.gpkg";
  fs::remove(output);
  std::vector<std::string> arguments{"ogr2ogr", "-f", "GPKG", "-t_srs", "EPSG:2451", output.string(), input.string()};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  return RunChild(arguments);
}

void KzmapImportKml(benchmark::State& state) {
  const int vertices = static_cast<int>(state.range(0));
  const fs::path input = MakeKml(vertices);
  for (auto _ : state) Report(state, KzmapImport(input, {}), vertices);
}

void Ogr2ogrKml(benchmark::State& state) {
  const int vertices = static_cast<int>(state.range(0));
  const fs::path input = MakeKml(vertices);
  for (auto _ : state) Report(state, Ogr2ogr(input, {}), vertices);
}

void KzmapImportCsv(benchmark::State& state) {
  const int points = static_cast<int>(state.range(0));
  const fs::path input = MakeCsv(points);
  for (auto _ : state) Report(state, KzmapImport(input, {"--encoding", "utf8", "--columns", "y,x,string:24,integer:6"}), points);
}

void Ogr2ogrCsv(benchmark::State& state) {
  const int points = static_cast<int>(state.range(0));
  const fs::path input = MakeCsv(points);
  for (auto _ : state) {
    Report(state,
           Ogr2ogr(input, {"-s_srs", "EPSG:4612", "-oo", "X_POSSIBLE_NAMES=lon", "-oo", "Y_POSSIBLE_NAMES=lat", "-oo",
                           "KEEP_GEOM_COLUMNS=NO"}),
           points);
  }
}

BENCHMARK(KzmapImportKml)->Arg(250000)->Arg(500000)->Arg(1000000)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Ogr2ogrKml)->Arg(250000)->Arg(500000)->Arg(1000000)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(KzmapImportCsv)->Arg(250000)->Arg(500000)->Arg(1000000)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Ogr2ogrCsv)->Arg(250000)->Arg(500000)->Arg(1000000)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  fs::remove_all(Folder(), ignored);
  return 0;
}
