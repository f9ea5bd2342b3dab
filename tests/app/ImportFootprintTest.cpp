// The import's memory estimate: the counts it takes from Shapefiles that
// GDAL wrote and from text files, damaged files that must not make it
// claim the impossible, the machine's available memory as /proc/meminfo
// tells it, and the message that stops an import too big for the machine.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>

#include "app/ImportFootprint.h"
#include "sim/DocumentFile.h"
#include "sim/Host.h"
#include "support/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;
using kzmap::ImportFootprint;

void Write(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// N points as CSV with a header and five attribute columns.
std::string PointsCsv(int count) {
  std::string text = "lat,lon,NAME,KIND,COUNT,AREA,RATIO\n";
  for (int i = 0; i < count; ++i) {
    text += std::to_string(35 + i * 1e-4) + "," + std::to_string(139 + i * 1e-4) + ",P" + std::to_string(i) +
            ",road," + std::to_string(i) + ",1.5,0.25\n";
  }
  return text;
}

// N square-ish polygons of V vertices (the first repeated last) as WKT in CSV.
std::string PolygonsCsv(int count, int vertices) {
  std::string text = "WKT,NAME,KIND,COUNT,AREA,RATIO\n";
  for (int i = 0; i < count; ++i) {
    text += "\"POLYGON ((";
    for (int v = 0; v < vertices; ++v) {
      const int k = v == vertices - 1 ? 0 : v;
      const double angle = -6.283185307179586 * k / (vertices - 1);
      text += (v ? "," : "") + std::to_string(139 + i * 0.01 + 0.001 * std::cos(angle)) + " " +
              std::to_string(35 + 0.001 * std::sin(angle));
    }
    text += "))\",A" + std::to_string(i) + ",park," + std::to_string(i) + ",2.5,0.5\n";
  }
  return text;
}

// GDAL's ogr2ogr makes the Shapefile set from the CSV.
std::string Ogr2ogr(const fs::path& csv, const fs::path& shp, const std::string& options) {
  const std::string line = "ogr2ogr -f 'ESRI Shapefile' '" + shp.string() + "' '" + csv.string() + "' " + options +
                           " -a_srs EPSG:4612 > /dev/null 2>&1";
  if (std::system(line.c_str()) != 0) return "ogr2ogr failed: " + line;
  return {};
}

struct CountCase {
  const char* label;
  int features, vertices;  // as written
  bool points;
  uint64_t objects, cells;  // what the estimate must count
};

void PrintTo(const CountCase& c, std::ostream* out) { *out << c.label; }

class ShapefileCounts : public testing::TestWithParam<CountCase> {};

TEST_P(ShapefileCounts, AreTheRecordsVerticesAndCellsGdalWrote) {
  const CountCase& c = GetParam();
  kztest::ScratchFolder folder;
  const fs::path csv = folder.Path("in.csv"), shp = folder.Path("in.shp");
  if (c.points) {
    Write(csv, PointsCsv(c.features));
    ASSERT_EQ(Ogr2ogr(csv, shp, "-oo X_POSSIBLE_NAMES=lon -oo Y_POSSIBLE_NAMES=lat -select NAME,KIND,COUNT,AREA,RATIO"),
              "");
  } else {
    Write(csv, PolygonsCsv(c.features, c.vertices));
    ASSERT_EQ(Ogr2ogr(csv, shp, "-select NAME,KIND,COUNT,AREA,RATIO"), "");
  }
  const ImportFootprint::Source source = ImportFootprint::Estimate(shp.string());
  EXPECT_EQ(source.objects, c.objects);
  EXPECT_EQ(source.vertices, static_cast<uint64_t>(c.features) * static_cast<uint64_t>(c.vertices));
  EXPECT_EQ(source.cells, c.cells);
  EXPECT_GT(source.bytes, 0u);
}

INSTANTIATE_TEST_SUITE_P(Files, ShapefileCounts,
                         testing::Values(CountCase{"Points", 1000, 1, true, 1000, 5000},
                                         CountCase{"Polygons", 50, 37, false, 50, 250},
                                         CountCase{"OnePolygon", 1, 5, false, 1, 5}),
                         [](const testing::TestParamInfo<CountCase>& info) { return std::string(info.param.label); });

TEST(ShapefileCounts, WithoutAnIndexComeFromTheTable) {
  kztest::ScratchFolder folder;
  const fs::path csv = folder.Path("in.csv"), shp = folder.Path("in.shp");
  Write(csv, PointsCsv(300));
  ASSERT_EQ(Ogr2ogr(csv, shp, "-oo X_POSSIBLE_NAMES=lon -oo Y_POSSIBLE_NAMES=lat -select NAME,KIND"), "");
  fs::remove(folder.Path("in.shx"));
  const auto source = ImportFootprint::Estimate(shp.string());
  EXPECT_EQ(source.objects, 300u);
  EXPECT_EQ(source.cells, 600u);
}

// A table or index that claims far more records than the geometry file can
// hold is damaged; the estimate keeps to what the .shp can hold.
TEST(ShapefileCounts, DamagedCountsStayWithinTheGeometryFile) {
  kztest::ScratchFolder folder;
  const fs::path csv = folder.Path("in.csv"), shp = folder.Path("in.shp");
  Write(csv, PointsCsv(10));
  ASSERT_EQ(Ogr2ogr(csv, shp, "-oo X_POSSIBLE_NAMES=lon -oo Y_POSSIBLE_NAMES=lat -select NAME"), "");
  {
    std::fstream dbf(folder.Path("in.dbf"), std::ios::in | std::ios::out | std::ios::binary);
    dbf.seekp(4);
    dbf.write("\xff\xff\xff\xff", 4);  // 4,294,967,295 records
  }
  Write(folder.Path("in.shx"), std::string(100, '\0') + std::string(8u << 20, '\0'));  // a million entries
  const uint64_t shpBytes = fs::file_size(shp);
  const auto source = ImportFootprint::Estimate(shp.string());
  EXPECT_LE(source.objects, (shpBytes - 100) / 12);
  EXPECT_LE(source.vertices, (shpBytes - 100) / 12);
}

struct TextCase {
  const char* label;
  std::string text;
  uint64_t objects, cells;
};

void PrintTo(const TextCase& c, std::ostream* out) { *out << c.label; }

class TextCounts : public testing::TestWithParam<TextCase> {};

// Lines counted as Python's csv module counts rows of these files; the cells
// are the columns beyond the two coordinates.
TEST_P(TextCounts, AreItsLines) {
  kztest::ScratchFolder folder;
  const fs::path path = folder.Path("in.csv");
  Write(path, GetParam().text);
  const auto source = ImportFootprint::Estimate(path.string());
  EXPECT_EQ(source.objects, GetParam().objects);
  EXPECT_EQ(source.vertices, GetParam().objects);
  EXPECT_EQ(source.cells, GetParam().cells);
}

INSTANTIATE_TEST_SUITE_P(
    Files, TextCounts,
    testing::Values(TextCase{"HeaderAndRows", PointsCsv(2500), 2501, 2501 * 5},
                    TextCase{"NoLineEndAtTheEnd", "y,x,a\n1,2,3\n4,5,6", 3, 3},
                    TextCase{"Tabs", "y\tx\ta\tb\n1\t2\t3\t4\n", 2, 4},
                    TextCase{"CrLf", "y,x\r\n1,2\r\n3,4\r\n", 3, 0},
                    TextCase{"Empty", "", 0, 0},
                    // Longer than the block the file is read in.
                    TextCase{"LongFirstLine", std::string(3u << 20, 'a') + ",b,c\n1,2,3\n", 2, 2}),
    [](const testing::TestParamInfo<TextCase>& info) { return std::string(info.param.label); });

TEST(Footprint, OfAMissingFileIsNothing) {
  const auto source = ImportFootprint::Estimate("/nonexistent/none.shp");
  EXPECT_EQ(source.objects, 0u);
  EXPECT_EQ(source.bytes, 0u);
  EXPECT_EQ(ImportFootprint::Estimate("/nonexistent/none.csv").bytes, 0u);
}

TEST(Footprint, StopsAnImportTooBigAndNamesTheFileAndSizes) {
  kztest::ScratchFolder folder;
  const fs::path small = folder.Path("small.csv"), big = folder.Path("大きい.csv");
  Write(small, PointsCsv(10));
  Write(big, PointsCsv(20000));
  const ImportFootprint footprint = ImportFootprint::Of({small.string(), big.string()}, folder.Path("none.kzmap"));
  const uint64_t total = footprint.Total();
  ASSERT_GT(total, footprint.Sources()[1].bytes);
  EXPECT_EQ(footprint.Problem(total), "");
  EXPECT_EQ(footprint.Problem(uint64_t{1} << 40), "");
  const std::string problem = footprint.Problem(total - 1);
  EXPECT_NE(problem.find(big.string()), std::string::npos) << problem;
  EXPECT_EQ(problem.find(small.string()), std::string::npos) << problem;
  EXPECT_NE(problem.find("20001 objects"), std::string::npos) << problem;
  EXPECT_NE(problem.find(std::to_string((total + (1u << 20) - 1) >> 20) + " MB"), std::string::npos) << problem;
  EXPECT_NE(problem.find(std::to_string(((total - 1) + (1u << 20) - 1) >> 20) + " MB are available"),
            std::string::npos)
      << problem;
}

TEST(Footprint, CountsTheOpenMap) {
  kztest::ScratchFolder folder;
  const fs::path csv = folder.Path("p.csv"), map = folder.Path("m.kzmap");
  Write(csv, PointsCsv(10));
  const uint64_t without = ImportFootprint::Of({csv.string()}, map.string()).Total();
  Write(map, std::string(1u << 20, ' '));
  const ImportFootprint with = ImportFootprint::Of({csv.string()}, map.string());
  EXPECT_GE(with.Total(), without + (1u << 20));
  EXPECT_NE(with.Problem(without).find("the open map takes about"), std::string::npos);
}

// A packed map is counted from its header: what its objects take in memory,
// which is more than its file (a JSON map counts by its size, as above).
TEST(Footprint, CountsAPackedMapByWhatItHolds) {
  kztest::ScratchFolder folder;
  const fs::path csv = folder.Path("p.csv"), map = folder.Path("m.kzmap");
  Write(csv, PointsCsv(10));
  const uint64_t without = ImportFootprint::Of({csv.string()}, map.string()).Total();
  sim::Host host;
  sim::Document& document = host.NewDocument({0, 842, 595, 0});
  sim::Layer& layer = host.AddLayer("点");
  for (int i = 0; i < 20000; ++i) {
    const auto x = static_cast<AIReal>(i % 500), y = static_cast<AIReal>(i / 500);
    host.AddPath(*layer.group, {{x, y}, {x + 1, y}, {x + 1, y + 1}, {x, y + 1}}, true);
  }
  sim::SaveDocumentFile(document, map.string());
  const uint64_t estimate = sim::LoadedDocumentBytes(map.string());
  EXPECT_GT(estimate, fs::file_size(map));
  EXPECT_EQ(ImportFootprint::Of({csv.string()}, map.string()).Total(), without + estimate);
  EXPECT_EQ(sim::LoadedDocumentBytes(folder.Path("none.kzmap").string()), 0u);
}

struct MeminfoCase {
  const char* label;
  std::string text;
  std::optional<uint64_t> available;
};

void PrintTo(const MeminfoCase& c, std::ostream* out) { *out << c.label; }

class Meminfo : public testing::TestWithParam<MeminfoCase> {};

TEST_P(Meminfo, GivesMemAvailableInBytes) {
  EXPECT_EQ(ImportFootprint::AvailableFrom(GetParam().text), GetParam().available);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Meminfo,
    testing::Values(MeminfoCase{"Linux",
                                "MemTotal:       24684032 kB\nMemFree:        18097152 kB\n"
                                "MemAvailable:   22672384 kB\nBuffers:          123456 kB\n",
                                uint64_t{22672384} * 1024},
                    MeminfoCase{"OldKernel", "MemTotal:       24684032 kB\nMemFree:        18097152 kB\n", std::nullopt},
                    MeminfoCase{"NoUnit", "MemAvailable:   22672384\n", std::nullopt},
                    MeminfoCase{"NotANumber", "MemAvailable:   lots kB\n", std::nullopt},
                    MeminfoCase{"Empty", "", std::nullopt}),
    [](const testing::TestParamInfo<MeminfoCase>& info) { return std::string(info.param.label); });

TEST(Meminfo, OfThisMachineIsSomething) {
  unsetenv("KZMAP_MEMORY_AVAILABLE");
  const auto available = ImportFootprint::Available();
  ASSERT_TRUE(available.has_value());
  EXPECT_GT(*available, 0u);
  setenv("KZMAP_MEMORY_AVAILABLE", "12345", 1);
  EXPECT_EQ(ImportFootprint::Available(), std::optional<uint64_t>(12345));
  unsetenv("KZMAP_MEMORY_AVAILABLE");
}

}  // namespace
