// kzmap render of an imported map of 10,000 polygons of 100 vertices (one
// million vertices, five attribute columns), whole processes side by side
// with a minimal cairo program drawing the same polygons from the same
// Shapefile, in PNG, SVG and PDF; wall time and peak memory are each
// child's own. In-process timings split kzmap's work into loading the map
// and drawing it. The Shapefile is made by ogr2ogr from GeoJSON written
// here, and imported by kzmap import (timed once, reported on stderr).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/Renderer.h"
#include "bench/ChildProcess.h"
#include "sim/DocumentFile.h"
#include "sim/Host.h"

namespace {

constexpr int kSide = 100;             // polygons along each side of the grid
constexpr int kVertices = 100;         // per ring, the closing one included
constexpr double kCell = 100;          // metres between polygon centres
constexpr double kScale = 25000;
constexpr const char* kArtboard = "a1";
constexpr double kWidth = 1683.7795, kHeight = 2383.937;  // A1 in points

const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = benchchild::ScratchFolder("kz-render-bench");
  return folder;
}

std::string At(const std::string& name) { return (Folder() / name).string(); }

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

// Plane rectangular system VI around (-20000, -110000): rings of radius 40 m.
void WriteGeoJson(const std::string& path) {
  std::ofstream out(path);
  out << "{\"type\":\"FeatureCollection\",\"features\":[\n";
  out.precision(3);
  out << std::fixed;
  for (int row = 0; row < kSide; ++row)
    for (int column = 0; column < kSide; ++column) {
      const int id = row * kSide + column;
      const double cx = -25000 + kCell * column, cy = -115000 + kCell * row;
      out << (id ? ",\n" : "") << "{\"type\":\"Feature\",\"properties\":{\"id\":" << id << ",\"name\":\"区画" << id
          << "\",\"kind\":\"" << (id % 3 ? "住宅" : "公園") << "\",\"area\":" << 5026.5 + id % 7
          << ",\"year\":" << 1950 + id % 70 << "},\"geometry\":{\"type\":\"Polygon\",\"coordinates\":[[";
      for (int v = 0; v < kVertices; ++v) {
        // Clockwise, as a Shapefile's outer ring; the last repeats the first.
        const double angle = -2 * M_PI * (v % (kVertices - 1)) / (kVertices - 1);
        out << (v ? "," : "") << "[" << cx + 40 * std::cos(angle) << "," << cy + 40 * std::sin(angle) << "]";
      }
      out << "]]}}";
    }
  out << "\n]}\n";
}

struct Inputs {
  std::string shp, map;
  bool ok = false;
};

const Inputs& Prepare() {
  static const Inputs inputs = [] {
    Inputs made;
    made.shp = At("grid.shp");
    made.map = At("grid.kzmap");
    const std::string geojson = At("grid.geojson");
    WriteGeoJson(geojson);
    if (!Shell("ogr2ogr -f 'ESRI Shapefile' -a_srs EPSG:2448 -lco ENCODING=UTF-8 '" + made.shp + "' '" + geojson + "'"))
      return made;
    ::setenv("XDG_CONFIG_HOME", At("config").c_str(), 1);
    const std::string tool = KZ_TOOL_FILE;
    if (!Shell("'" + tool + "' new '" + made.map + "' --artboard " + kArtboard + " > /dev/null")) return made;
    const benchchild::ChildRun import =
        benchchild::RunChild({tool, "import", made.map, made.shp, "--to", "jgd2000:xy6", "--no-north-up", "--scale",
                              std::to_string(static_cast<int>(kScale))});
    std::fprintf(stderr, "kzmap import of %d vertices: %.2f s, peak %.0f MB\n", kSide * kSide * kVertices,
                 import.seconds, import.peakMegabytes);
    made.ok = import.status == 0;
    return made;
  }();
  return inputs;
}

const char* kExtensions[] = {"png", "svg", "pdf"};

// The child's processor time too: on a shared machine the wall time says
// as much about the neighbours as about the program.
struct Timed {
  benchchild::ChildRun run;
  double cpuSeconds = 0;
};

Timed RunTimed(const std::vector<std::string>& arguments) {
  rusage before{}, after{};
  getrusage(RUSAGE_CHILDREN, &before);
  Timed timed{benchchild::RunChild(arguments)};
  getrusage(RUSAGE_CHILDREN, &after);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  timed.cpuSeconds = seconds(after.ru_utime) - seconds(before.ru_utime) + seconds(after.ru_stime) -
                     seconds(before.ru_stime);
  return timed;
}

void ReportTimed(benchmark::State& state, const Timed& timed) {
  benchchild::Report(state, timed.run, kSide * kSide * kVertices);
  state.counters["cpu_s"] = timed.cpuSeconds;
}

void BM_KzmapRender(benchmark::State& state) {
  const Inputs& inputs = Prepare();
  if (!inputs.ok) return state.SkipWithError("the map could not be made");
  const std::string out = At(std::string("kzmap.") + kExtensions[state.range(0)]);
  for (auto _ : state) ReportTimed(state, RunTimed({KZ_TOOL_FILE, "render", inputs.map, out}));
  state.SetLabel(kExtensions[state.range(0)]);
}

void BM_CairoPeer(benchmark::State& state) {
  const Inputs& inputs = Prepare();
  if (!inputs.ok) return state.SkipWithError("the map could not be made");
  const std::string out = At(std::string("peer.") + kExtensions[state.range(0)]);
  for (auto _ : state)
    ReportTimed(state, RunTimed({KZ_PEER_FILE, inputs.shp, out, std::to_string(kWidth), std::to_string(kHeight),
                                 std::to_string(kScale)}));
  state.SetLabel(kExtensions[state.range(0)]);
}

// kzmap's two parts, in this process: reading the map, and drawing it.
void BM_LoadMap(benchmark::State& state) {
  const Inputs& inputs = Prepare();
  if (!inputs.ok) return state.SkipWithError("the map could not be made");
  for (auto _ : state) {
    sim::Host host;
    benchmark::DoNotOptimize(&sim::LoadDocumentFile(host, inputs.map));
  }
}

void BM_DrawMap(benchmark::State& state) {
  const Inputs& inputs = Prepare();
  if (!inputs.ok) return state.SkipWithError("the map could not be made");
  sim::Host host;
  const sim::Document& document = sim::LoadDocumentFile(host, inputs.map);
  const kzmap::ImageFormat formats[] = {kzmap::ImageFormat::Png, kzmap::ImageFormat::Svg, kzmap::ImageFormat::Pdf};
  const std::string out = At(std::string("draw.") + kExtensions[state.range(0)]);
  for (auto _ : state) kzmap::Renderer(document).RenderToFile(out, formats[state.range(0)]);
  state.SetLabel(kExtensions[state.range(0)]);
}

BENCHMARK(BM_KzmapRender)->DenseRange(0, 2)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CairoPeer)->DenseRange(0, 2)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadMap)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DrawMap)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
