// Exporting a map of about a million vertices (10,000 polygons of 100
// vertices with three attribute columns) to a Shapefile through the whole
// export command in the headless host, and, side by side, GDAL's ogr2ogr
// writing the same features to a Shapefile.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "attributes/CKzShapeAttr.h"
#include "export/CShapeFileExporter.h"
#include "georef/DataFrame.h"
#include "host/SuitePointers.h"
#include "resources/DialogIds.h"
#include "sim/Host.h"

namespace {

constexpr int kObjects = 10000;
constexpr int kAnchors = 100;  // closed paths: 100 anchors and the closing segment

std::string Scratch(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("kzexportbench-" + std::to_string(::getpid()) + "-" + name))
      .string();
}

template <typename Suite>
void Fill(sim::SuiteBroker& broker, const HostSuiteInfo& info, const Suite*& slot) {
  const void* suite = nullptr;
  slot = broker.Acquire(info.name, info.version, &suite) == kNoErr ? static_cast<const Suite*>(suite) : nullptr;
}

// The map: a plane rectangular data frame at 1:3600 and one layer of circles.
struct Map {
  Map() {
    sSPBasic = host.Basic();
#define KZ_FILL(Id, Name, Version) Fill(host.Broker(), k##Id##SuiteInfo, s##Id);
    KZ_HOST_SUITES(KZ_FILL)
#undef KZ_FILL
    plugin = host.Plugins().AddPlugin("/proc/self/exe");
    host.NewDocument();
    DataFrameParams frame;
    frame.datum = 2;
    frame.kind = 3;
    frame.system = 9;
    frame.scale = 3600;
    if (WriteDataFrame(frame) != kNoErr) std::abort();
    sim::Layer& layer = host.AddLayer("parcels");
    host.CurrentDocument()->currentLayer = &layer;
    const std::vector<ShapeField> definitions{{"NAME", kShapeFieldString, 20, 0, ""},
                                              {"ID", kShapeFieldInteger, 10, 0, ""},
                                              {"AREA", kShapeFieldReal, 16, 3, ""}};
    SetRow(*layer.group, definitions);
    for (int r = 0; r < kObjects; ++r) {
      const float cx = 37.0f * static_cast<float>(r % 100), cy = 41.0f * static_cast<float>(r / 100);
      std::vector<AIRealPoint> anchors;
      for (int i = 0; i < kAnchors; ++i) {
        const double angle = 2 * M_PI * i / kAnchors;
        anchors.push_back({cx + 15 * static_cast<float>(std::cos(angle)), cy + 15 * static_cast<float>(std::sin(angle))});
      }
      sim::Art& path = host.AddPath(*layer.group, anchors, true);
      SetRow(path, {{"NAME", kShapeFieldString, 20, 0, ("parcel-" + std::to_string(r)).c_str()},
                    {"ID", kShapeFieldInteger, 10, 0, std::to_string(r).c_str()},
                    {"AREA", kShapeFieldReal, 16, 3, std::to_string(706.5 + r * 0.125).c_str()}});
    }
  }
  void SetRow(sim::Art& art, const std::vector<ShapeField>& fields) {
    CKzShapeAttr row;
    row.Load(sim::Host::Handle(art));
    if (row.ReplaceAll(fields) != kNoErr) std::abort();
  }
  // The user's answers: polygons, curves flattened or not, then the file.
  void Export(const std::string& path, bool flatten) {
    using sim::DialogAction;
    namespace ids = dialog_ids::export_settings;
    host.Dialogs().Expect(dialog_ids::kExportSettings,
                          {DialogAction::Click(ids::kPolygon), DialogAction::Check(ids::kExpandBezier, flatten),
                           DialogAction::OK()});
    host.User().fileDialogAnswers.push_back(path);
    CShapeFileExporter exporter(plugin);
    if (exporter.Run() != kNoErr) std::abort();
    host.User().progress.Reset();
    host.Dialogs().Reset();
  }

  sim::Host host;
  SPPluginRef plugin = nullptr;
};

Map& TheMap() {
  static Map map;
  return map;
}

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

// CPU seconds (user and system) spent so far by this process or by its finished children.
double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

// CPU per export without flattening, for the ratio beside ogr2ogr.
double oursCpu = 0;

void BM_ExportKartzmap(benchmark::State& state) {
  Map& map = TheMap();
  const std::string path = Scratch("ours.shp");
  const double start = CpuSeconds(RUSAGE_SELF);
  for (auto _ : state) map.Export(path, state.range(0) != 0);
  const double cpu = (CpuSeconds(RUSAGE_SELF) - start) / static_cast<double>(state.iterations());
  if (state.range(0) == 0) oursCpu = cpu;
  state.counters["vertices"] = kObjects * (kAnchors + 1);
  state.counters["cpu_ms"] = cpu * 1000;
}
BENCHMARK(BM_ExportKartzmap)->Arg(0)->Arg(1)->ArgName("flatten")->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

// ogr2ogr writes the same features, read from the file our export made.
void BM_ExportOgr2ogr(benchmark::State& state) {
  Map& map = TheMap();
  const std::string source = Scratch("source.shp");
  map.Export(source, false);
  const std::string target = Scratch("gdal.shp");
  const std::string command = "ogr2ogr -overwrite -f 'ESRI Shapefile' '" + target + "' '" + source + "'";
  const double start = CpuSeconds(RUSAGE_CHILDREN);
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) std::abort();
  }
  const double cpu = (CpuSeconds(RUSAGE_CHILDREN) - start) / static_cast<double>(state.iterations());
  state.counters["vertices"] = kObjects * (kAnchors + 1);
  state.counters["cpu_ms"] = cpu * 1000;
  // Ours without flattening (the same work as ogr2ogr's) over ogr2ogr's, in CPU time.
  if (oursCpu > 0) state.counters["ratio_ours_to_gdal"] = oursCpu / cpu;
}
BENCHMARK(BM_ExportOgr2ogr)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

}  // namespace

BENCHMARK_MAIN();
