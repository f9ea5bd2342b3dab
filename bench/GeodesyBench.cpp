// Per-point cost of Kartzmap's projection and datum conversion beside PROJ
// (proj_trans_generic) on the same points: forward and inverse transverse
// Mercator on plane system 9 (within 2° of its meridian, and out to 30° of
// it), and a full Tokyo plane 9 -> JGD2000 plane 9 conversion through the
// same synthetic datum grid (PROJ reads it as NTv2). PROJ runs its exact
// transverse Mercator (Poder/Engsager), the same Krüger series.
#include <benchmark/benchmark.h>
#include <proj.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "geodesy/CoordConverter.h"
#include "geodesy/TMProjection.h"

namespace {

constexpr double kLat0 = 36, kLon0 = 139 + 50.0 / 60;
constexpr int kPoints = 4096;
// The synthetic grid: 33..38°N, 135..143°E, about 385,000 cells like the real file.
constexpr double kSouth = 33, kNorth = 38, kWest = 135, kEast = 143;

GridShift ShiftAt(double lat, double lon) {
  return {11.6 + 0.31 * (lat - 35) + 0.05 * std::sin(lon * 7), -11.8 + 0.27 * (lon - 139) + 0.04 * std::cos(lat * 5)};
}

struct Points {
  std::vector<double> lat, lon;            // degrees
  std::vector<double> northing, easting;   // plane 9 on GRS-80
  std::vector<double> tokyoN, tokyoE;      // plane 9 on Bessel
};

// 20°-46°N and up to 30° either side of system 9's meridian.
Points WidePoints() {
  Points p;
  TMProjection grs80;
  grs80.SetupPlaneSystem(9, kDatumJgd2000);
  uint32_t state = 6789;
  auto next = [&] {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) / 16777216.0;
  };
  for (int i = 0; i < kPoints; ++i) {
    const double lat = 20 + 26 * next();
    const double lon = kLon0 - 30 + 60 * next();
    ProjectedPoint a;
    grs80.ForwardPlane(lat, lon, a);
    p.lat.push_back(lat);
    p.lon.push_back(lon);
    p.northing.push_back(a.northing);
    p.easting.push_back(a.easting);
  }
  return p;
}

const Points& Wide() {
  static const Points points = WidePoints();
  return points;
}

const Points& SamplePoints() {
  static const Points points = [] {
    Points p;
    TMProjection grs80, bessel;
    grs80.SetupPlaneSystem(9, kDatumJgd2000);
    bessel.SetupPlaneSystem(9, kDatumTokyo);
    uint32_t state = 12345;
    auto next = [&] {
      state = state * 1664525u + 1013904223u;
      return (state >> 8) / 16777216.0;
    };
    for (int i = 0; i < kPoints; ++i) {
      const double lat = kLat0 - 1.4 + 2.8 * next();
      const double lon = kLon0 - 1.9 + 3.8 * next();
      ProjectedPoint a, b;
      grs80.ForwardPlane(lat, lon, a);
      bessel.ForwardPlane(lat, lon, b);
      p.lat.push_back(lat);
      p.lon.push_back(lon);
      p.northing.push_back(a.northing);
      p.easting.push_back(a.easting);
      p.tokyoN.push_back(b.northing);
      p.tokyoE.push_back(b.easting);
    }
    return p;
  }();
  return points;
}

std::vector<GridRecord> GridRecords() {
  std::vector<GridRecord> records;
  for (int i = static_cast<int>(kSouth * 120); i <= kNorth * 120; ++i)
    for (int j = static_cast<int>((kWest - 100) * 80); j <= (kEast - 100) * 80; ++j) {
      const int32_t code =
          (i / 80) * 1000000 + (j / 80) * 10000 + (i % 80 / 10) * 1000 + (j % 80 / 10) * 100 + (i % 10) * 10 + j % 10;
      records.push_back({code, ShiftAt(i / 120.0, 100 + j / 80.0)});
    }
  return records;
}

// The same shifts as an NTv2 file; NTv2 counts longitude positive west and
// lists each row from east to west, rows from south to north.
std::string WriteNtv2() {
  const std::string path = (std::filesystem::temp_directory_path() / "kz_bench_tky2jgd.gsb").string();
  std::ofstream out(path, std::ios::binary);
  auto label = [&](const char* name) { out.write((std::string(name) + "        ").substr(0, 8).data(), 8); };
  auto integer = [&](const char* name, int32_t value) {
    label(name);
    out.write(reinterpret_cast<const char*>(&value), 4);
    out.write("\0\0\0\0", 4);
  };
  auto real = [&](const char* name, double value) {
    label(name);
    out.write(reinterpret_cast<const char*>(&value), 8);
  };
  auto text = [&](const char* name, const char* value) {
    label(name);
    label(value);
  };
  const int rows = static_cast<int>((kNorth - kSouth) * 120) + 1;
  const int columns = static_cast<int>((kEast - kWest) * 80) + 1;
  integer("NUM_OREC", 11);
  integer("NUM_SREC", 11);
  integer("NUM_FILE", 1);
  text("GS_TYPE", "SECONDS");
  text("VERSION", "NTv2.0");
  text("SYSTEM_F", "TOKYO");
  text("SYSTEM_T", "JGD2000");
  real("MAJOR_F", 6377397.155);
  real("MINOR_F", 6377397.155 * (1 - 1 / 299.152813));
  real("MAJOR_T", 6378137.0);
  real("MINOR_T", 6378137.0 * (1 - 1 / 298.257222101));
  text("SUB_NAME", "KZBENCH");
  text("PARENT", "NONE");
  text("CREATED", "20260101");
  text("UPDATED", "20260101");
  real("S_LAT", kSouth * 3600);
  real("N_LAT", kNorth * 3600);
  real("E_LONG", -kEast * 3600);
  real("W_LONG", -kWest * 3600);
  real("LAT_INC", 30);
  real("LONG_INC", 45);
  integer("GS_COUNT", rows * columns);
  for (int i = 0; i < rows; ++i)
    for (int j = columns - 1; j >= 0; --j) {
      const GridShift shift = ShiftAt(kSouth + i / 120.0, kWest + j / 80.0);
      const float node[4] = {static_cast<float>(shift.dB), static_cast<float>(-shift.dL), 0, 0};
      out.write(reinterpret_cast<const char*>(node), sizeof node);
    }
  label("END");
  label("");
  return path;
}

const std::string kTmercJgd = "+proj=tmerc +algo=poder_engsager +lat_0=36 +lon_0=139.8333333333333 +k=0.9999 +x_0=0 +y_0=0 +ellps=GRS80";
const std::string kTmercTokyo =
    "+proj=tmerc +algo=poder_engsager +lat_0=36 +lon_0=139.8333333333333 +k=0.9999 +x_0=0 +y_0=0 +a=6377397.155 "
    "+rf=299.152813";

struct Proj {
  explicit Proj(const std::string& definition) {
    context = proj_context_create();
    operation = proj_create(context, definition.c_str());
  }
  ~Proj() {
    if (operation) proj_destroy(operation);
    proj_context_destroy(context);
  }
  PJ_CONTEXT* context;
  PJ* operation;
};

void ForwardKartzmap(benchmark::State& state, const Points& p) {
  TMProjection projection;
  projection.SetupPlaneSystem(9, kDatumJgd2000);
  ProjectedPoint out;
  for (auto _ : state)
    for (int i = 0; i < kPoints; ++i) {
      projection.ForwardPlane(p.lat[i], p.lon[i], out);
      benchmark::DoNotOptimize(out);
    }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kPoints);
}

void ForwardPROJ(benchmark::State& state, const Points& p) {
  Proj proj(kTmercJgd);
  if (!proj.operation) return state.SkipWithError("PROJ cannot create the projection");
  std::vector<double> x(kPoints), y(kPoints);
  for (auto _ : state) {
    state.PauseTiming();
    for (int i = 0; i < kPoints; ++i) {
      x[i] = p.lon[i] * M_PI / 180;
      y[i] = p.lat[i] * M_PI / 180;
    }
    state.ResumeTiming();
    proj_trans_generic(proj.operation, PJ_FWD, x.data(), sizeof(double), kPoints, y.data(), sizeof(double), kPoints,
                       nullptr, 0, 0, nullptr, 0, 0);
    benchmark::DoNotOptimize(x.data());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kPoints);
}

void InverseKartzmap(benchmark::State& state, const Points& p) {
  TMProjection projection;
  projection.SetupPlaneSystem(9, kDatumJgd2000);
  GeographicPoint out;
  for (auto _ : state)
    for (int i = 0; i < kPoints; ++i) {
      projection.InversePlane(p.northing[i], p.easting[i], out);
      benchmark::DoNotOptimize(out);
    }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kPoints);
}

void InversePROJ(benchmark::State& state, const Points& p) {
  Proj proj(kTmercJgd);
  if (!proj.operation) return state.SkipWithError("PROJ cannot create the projection");
  std::vector<double> x(kPoints), y(kPoints);
  for (auto _ : state) {
    state.PauseTiming();
    x = p.easting;
    y = p.northing;
    state.ResumeTiming();
    proj_trans_generic(proj.operation, PJ_INV, x.data(), sizeof(double), kPoints, y.data(), sizeof(double), kPoints,
                       nullptr, 0, 0, nullptr, 0, 0);
    benchmark::DoNotOptimize(x.data());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kPoints);
}

void Forward_Kartzmap(benchmark::State& state) { ForwardKartzmap(state, SamplePoints()); }
void Forward_PROJ(benchmark::State& state) { ForwardPROJ(state, SamplePoints()); }
void Inverse_Kartzmap(benchmark::State& state) { InverseKartzmap(state, SamplePoints()); }
void Inverse_PROJ(benchmark::State& state) { InversePROJ(state, SamplePoints()); }
void ForwardTo30Degrees_Kartzmap(benchmark::State& state) { ForwardKartzmap(state, Wide()); }
void ForwardTo30Degrees_PROJ(benchmark::State& state) { ForwardPROJ(state, Wide()); }
void InverseTo30Degrees_Kartzmap(benchmark::State& state) { InverseKartzmap(state, Wide()); }
void InverseTo30Degrees_PROJ(benchmark::State& state) { InversePROJ(state, Wide()); }

void PlaneToPlaneWithGrid_Kartzmap(benchmark::State& state) {
  const Points& p = SamplePoints();
  CoordConverter converter;
  DatumGrid grid;
  grid.Assign(GridRecords());
  converter.UseDatumGrid(std::move(grid));
  if (!converter.Configure(CoordRef{kDatumTokyo, kKindPlane, 9, 0}, CoordRef{kDatumJgd2000, kKindPlane, 9, 0}))
    return state.SkipWithError("cannot configure");
  double x = 0, y = 0, convergence = 0, scale = 0;
  for (auto _ : state)
    for (int i = 0; i < kPoints; ++i) {
      converter.Convert(p.tokyoE[i], p.tokyoN[i], x, y, &convergence, &scale);
      benchmark::DoNotOptimize(x);
      benchmark::DoNotOptimize(y);
    }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kPoints);
}

void PlaneToPlaneWithGrid_PROJ(benchmark::State& state) {
  const Points& p = SamplePoints();
  static const std::string grid = WriteNtv2();
  Proj proj("+proj=pipeline +step +inv " + kTmercTokyo + " +step +proj=hgridshift +grids=" + grid + " +step " +
            kTmercJgd);
  if (!proj.operation) return state.SkipWithError("PROJ cannot create the pipeline");
  std::vector<double> x(kPoints), y(kPoints);
  for (auto _ : state) {
    state.PauseTiming();
    x = p.tokyoE;
    y = p.tokyoN;
    state.ResumeTiming();
    proj_trans_generic(proj.operation, PJ_FWD, x.data(), sizeof(double), kPoints, y.data(), sizeof(double), kPoints,
                       nullptr, 0, 0, nullptr, 0, 0);
    benchmark::DoNotOptimize(x.data());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kPoints);
}

// Both sides must compute the same thing before their speed means anything.
bool SameProjection(const char* what, const Points& p) {
  Proj proj(kTmercJgd);
  if (!proj.operation) return false;
  std::vector<double> x(kPoints), y(kPoints);
  for (int i = 0; i < kPoints; ++i) {
    x[i] = p.lon[i] * M_PI / 180;
    y[i] = p.lat[i] * M_PI / 180;
  }
  proj_trans_generic(proj.operation, PJ_FWD, x.data(), sizeof(double), kPoints, y.data(), sizeof(double), kPoints,
                     nullptr, 0, 0, nullptr, 0, 0);
  std::vector<double> lon = p.easting, lat = p.northing;
  proj_trans_generic(proj.operation, PJ_INV, lon.data(), sizeof(double), kPoints, lat.data(), sizeof(double), kPoints,
                     nullptr, 0, 0, nullptr, 0, 0);
  TMProjection projection;
  projection.SetupPlaneSystem(9, kDatumJgd2000);
  double forward = 0, inverse = 0;
  for (int i = 0; i < kPoints; ++i) {
    ProjectedPoint a;
    GeographicPoint b;
    if (!projection.ForwardPlane(p.lat[i], p.lon[i], a) || !projection.InversePlane(p.northing[i], p.easting[i], b))
      return false;
    forward = std::max(forward, std::hypot(a.easting - x[i], a.northing - y[i]));
    inverse = std::max(inverse, std::max(std::fabs(b.longitude - lon[i] * 180 / M_PI),
                                         std::fabs(b.latitude - lat[i] * 180 / M_PI)));
  }
  std::printf("%s: largest difference from PROJ forward %.3g m, inverse %.3g deg over %d points\n", what, forward,
              inverse, kPoints);
  return forward < 1e-4 && inverse < 1e-9;
}

bool SameResults() {
  if (!SameProjection("within 2 degrees", SamplePoints()) || !SameProjection("to 30 degrees", Wide())) return false;
  const Points& p = SamplePoints();
  CoordConverter converter;
  DatumGrid grid;
  grid.Assign(GridRecords());
  converter.UseDatumGrid(std::move(grid));
  converter.Configure(CoordRef{kDatumTokyo, kKindPlane, 9, 0}, CoordRef{kDatumJgd2000, kKindPlane, 9, 0});
  Proj proj("+proj=pipeline +step +inv " + kTmercTokyo + " +step +proj=hgridshift +grids=" + WriteNtv2() + " +step " +
            kTmercJgd);
  if (!proj.operation) return false;
  std::vector<double> x = p.tokyoE, y = p.tokyoN;
  proj_trans_generic(proj.operation, PJ_FWD, x.data(), sizeof(double), kPoints, y.data(), sizeof(double), kPoints,
                     nullptr, 0, 0, nullptr, 0, 0);
  double worst = 0;
  for (int i = 0; i < kPoints; ++i) {
    double ox = 0, oy = 0;
    converter.Convert(p.tokyoE[i], p.tokyoN[i], ox, oy);
    worst = std::max(worst, std::hypot(ox - x[i], oy - y[i]));
  }
  std::printf("plane-to-plane with grid: largest difference from PROJ %.4f m over %d points\n", worst, kPoints);
  return worst < 0.01;
}

// Prints the time per point of each side and the ratio after the usual table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      // Processor time: the machine is shared, and waiting is not cost.
      const double ns = run.GetAdjustedCPUTime() / kPoints;
      const std::string name = run.benchmark_name();
      times[name] = ns;
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-24s %14s %14s %10s\n", "CPU per point", "Kartzmap ns", "PROJ ns", "ratio");
    for (const char* what :
         {"Forward", "Inverse", "ForwardTo30Degrees", "InverseTo30Degrees", "PlaneToPlaneWithGrid"}) {
      const auto ours = times.find(std::string(what) + "_Kartzmap");
      const auto theirs = times.find(std::string(what) + "_PROJ");
      if (ours == times.end() || theirs == times.end()) continue;
      std::printf("%-24s %14.1f %14.1f %10.2f\n", what, ours->second, theirs->second, ours->second / theirs->second);
    }
  }

 private:
  std::map<std::string, double> times;
};

}  // namespace

BENCHMARK(Forward_Kartzmap);
BENCHMARK(Forward_PROJ);
BENCHMARK(Inverse_Kartzmap);
BENCHMARK(Inverse_PROJ);
BENCHMARK(ForwardTo30Degrees_Kartzmap);
BENCHMARK(ForwardTo30Degrees_PROJ);
BENCHMARK(InverseTo30Degrees_Kartzmap);
BENCHMARK(InverseTo30Degrees_PROJ);
BENCHMARK(PlaneToPlaneWithGrid_Kartzmap);
BENCHMARK(PlaneToPlaneWithGrid_PROJ);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!SameResults()) std::printf("warning: the two sides disagree; the comparison is not like for like\n");
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
