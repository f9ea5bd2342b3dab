// Reading and writing a Shapefile of about a million vertices (polygons with
// three attribute columns), with our reader and writer and, side by side,
// with shapelib's C library doing the same work.
#include <benchmark/benchmark.h>
#include <shapefil.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/CShapeFileReader.h"
#include "formats/CShapeFileWriter.h"
#include "host/AIFilePathSuite.h"
#include "host/AIUnicodeStringSuite.h"
#include "host/SuitePointers.h"
#include "sim/StringSuites.h"
#include "sim/SuiteBroker.h"

namespace {

constexpr int kRecords = 10000;
constexpr int kPointsPerRing = 100;  // 10,000 x 100 = one million vertices

struct Feature {
  std::vector<ShapePart> parts;
  std::string name;
  int32_t id;
  double area;
};

// Host strings for the file paths, as the plug-in has them.
struct StringHost {
  StringHost() {
    broker.Register(kAIUnicodeStringSuite, kAIUnicodeStringSuiteVersion, sim::UnicodeStringSuite());
    broker.Register(kAIFilePathSuite, kAIFilePathSuiteVersion, sim::FilePathSuite());
    sSPBasic = broker.Basic();
    sAIUnicodeString = sim::UnicodeStringSuite();
    sAIFilePath = sim::FilePathSuite();
  }
  sim::SuiteBroker broker;
};

const std::vector<Feature>& Features() {
  static const std::vector<Feature> features = [] {
    std::vector<Feature> all(kRecords);
    for (int r = 0; r < kRecords; ++r) {
      const double cx = 130000 + 37.0 * (r % 100), cy = -40000 + 41.0 * (r / 100);
      ShapePart ring;
      for (int i = 0; i < kPointsPerRing - 1; ++i) {
        const double angle = -2 * M_PI * i / (kPointsPerRing - 1);  // clockwise
        ring.push_back({cx + 15 * std::cos(angle), cy + 15 * std::sin(angle)});
      }
      ring.push_back(ring.front());
      all[r] = Feature{{ring}, "parcel-" + std::to_string(r), r, 706.5 + r * 0.125};
    }
    return all;
  }();
  return features;
}

std::string Scratch(const char* name) {
  return (std::filesystem::temp_directory_path() / ("kzbench-" + std::to_string(::getpid()) + "-" + name)).string();
}

void WriteOurs(const std::string& path) {
  CShapeFileWriter writer;
  writer.Begin(kShapePolygon, 17);
  writer.AddField(ShapeField{"NAME", kShapeFieldString, 20, 0, ""});
  writer.AddField(ShapeField{"ID", kShapeFieldInteger, 10, 0, ""});
  writer.AddField(ShapeField{"AREA", kShapeFieldReal, 16, 3, ""});
  if (!writer.Create(ai::FilePath::FromPlatform(path))) std::abort();
  for (const Feature& feature : Features()) {
    writer.SetString("NAME", feature.name);
    writer.SetInteger("ID", feature.id);
    writer.SetReal("AREA", feature.area);
    writer.WritePolygon(feature.parts);
  }
  if (!writer.Finish()) std::abort();
}

void WriteShapelib(const std::string& path) {
  SHPHandle shp = SHPCreate(path.c_str(), SHPT_POLYGON);
  DBFHandle dbf = DBFCreate(path.c_str());
  DBFAddField(dbf, "NAME", FTString, 20, 0);
  DBFAddField(dbf, "ID", FTInteger, 10, 0);
  DBFAddField(dbf, "AREA", FTDouble, 16, 3);
  std::vector<double> xs, ys;
  int record = 0;
  for (const Feature& feature : Features()) {
    xs.clear();
    ys.clear();
    std::vector<int> starts;
    for (const ShapePart& part : feature.parts) {
      starts.push_back(static_cast<int>(xs.size()));
      for (const ShapePoint& p : part) {
        xs.push_back(p.x);
        ys.push_back(p.y);
      }
    }
    SHPObject* object = SHPCreateObject(SHPT_POLYGON, -1, static_cast<int>(starts.size()), starts.data(), nullptr,
                                        static_cast<int>(xs.size()), xs.data(), ys.data(), nullptr, nullptr);
    SHPWriteObject(shp, -1, object);
    SHPDestroyObject(object);
    DBFWriteStringAttribute(dbf, record, 0, feature.name.c_str());
    DBFWriteIntegerAttribute(dbf, record, 1, feature.id);
    DBFWriteDoubleAttribute(dbf, record, 2, feature.area);
    ++record;
  }
  SHPClose(shp);
  DBFClose(dbf);
}

void RemoveTriple(const std::string& base) {
  for (const char* extension : {".shp", ".shx", ".dbf"}) std::filesystem::remove(base + extension);
}

void SetCounters(benchmark::State& state) {
  state.counters["vertices/s"] =
      benchmark::Counter(static_cast<double>(kRecords) * kPointsPerRing, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_WriteKartzmap(benchmark::State& state) {
  StringHost host;
  const std::string base = Scratch("write-kz");
  for (auto _ : state) WriteOurs(base + ".shp");
  RemoveTriple(base);
  SetCounters(state);
}

void BM_WriteShapelib(benchmark::State& state) {
  const std::string base = Scratch("write-shapelib");
  for (auto _ : state) WriteShapelib(base);
  RemoveTriple(base);
  SetCounters(state);
}

// Both readers read the same file, made once by shapelib.
const std::string& SharedFile() {
  static const std::string base = [] {
    std::string path = Scratch("read");
    WriteShapelib(path);
    return path;
  }();
  return base;
}

void BM_ReadKartzmap(benchmark::State& state) {
  StringHost host;
  const std::string path = SharedFile() + ".shp";
  double sum = 0;
  for (auto _ : state) {
    CShapeFileReader reader;
    if (!reader.Open(path)) std::abort();
    ShapePolyRecord poly;
    std::string value;
    for (uint32_t i = 0; i < reader.GetRecordCount(); ++i) {
      ShapeRecordHeader header;
      if (!reader.ReadRecordHeader(header) || !reader.ReadPoly(poly)) std::abort();
      sum += poly.parts[0][0].x;
      for (int32_t f = 0; f < reader.GetFieldCount(); ++f) {
        reader.GetFieldValue(f, value);
        sum += static_cast<double>(value.size());
      }
    }
    reader.Close();
  }
  benchmark::DoNotOptimize(sum);
  SetCounters(state);
}

void BM_ReadShapelib(benchmark::State& state) {
  const std::string base = SharedFile();
  double sum = 0;
  for (auto _ : state) {
    SHPHandle shp = SHPOpen(base.c_str(), "rb");
    DBFHandle dbf = DBFOpen(base.c_str(), "rb");
    int count = 0;
    SHPGetInfo(shp, &count, nullptr, nullptr, nullptr);
    const int fields = DBFGetFieldCount(dbf);
    for (int i = 0; i < count; ++i) {
      SHPObject* object = SHPReadObject(shp, i);
      sum += object->padfX[0];
      SHPDestroyObject(object);
      for (int f = 0; f < fields; ++f) sum += static_cast<double>(std::string(DBFReadStringAttribute(dbf, i, f)).size());
    }
    SHPClose(shp);
    DBFClose(dbf);
  }
  benchmark::DoNotOptimize(sum);
  SetCounters(state);
}

BENCHMARK(BM_WriteKartzmap)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_WriteShapelib)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ReadKartzmap)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ReadShapelib)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
