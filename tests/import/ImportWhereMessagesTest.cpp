// kzmap import into a new map that cannot be placed, each cause told in its
// own words naming the file; and data drawn partly off the artboard told
// with the scale that fits it, which is then checked by importing at it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "import/ImportTestSupport.h"

namespace {

using importtest::FeatureCollection;
using importtest::LineFeature;
using importtest::MakeShapefile;
using importtest::PointFeature;
using importtest::Quote;

using importtest::ScratchFolder;

// Temples near Kyoto in degrees, and the same area in plane system VI metres.
std::string Degrees() {
  return FeatureCollection({PointFeature(135.7292, 35.0394, R"({"name": "a"})"),
                            PointFeature(135.7983, 35.0270, R"({"name": "b"})")});
}
std::string Metres() {
  return FeatureCollection({LineFeature({{-23640.3, -112576.2}, {-18432.4, -107029.7}}, R"({"name": "c"})")});
}

struct Cause {
  const char* name;
  // Shapefiles to make: file name, GeoJSON, ogr2ogr options; a name ending
  // in "-noprj" loses its .prj.
  std::vector<std::vector<std::string>> files;
  const char* options;
  std::vector<std::string> told;  // each must appear in what the tool says
};

std::vector<Cause> Causes() {
  return {
      {"FileWithoutRecords",
       {{"empty.shp", FeatureCollection({}), "-a_srs EPSG:4612 -nlt POINT"}},
       "--to jgd2000:xy6",
       {"empty.shp にはレコードがないため、新しい地図の位置を決められません", "レコードのあるファイルを選んでください"}},
      {"ReferenceNotDrawn",
       {{"merc.shp", Metres(), "-a_srs EPSG:3857"}},
       "",
       {"merc.shp の .prj の座標系「WGS 84 / Pseudo-Mercator」では地図を描けないため",
        "「データファイルの座標値」でファイルの座標系を選ぶか"}},
      {"PlaneMetresWithoutPrj",
       {{"plane-noprj.shp", Metres(), "-a_srs EPSG:2448"}},
       "",
       {"plane-noprj.shp の座標値（東西 -23640.300〜-18432.400、南北 -112576.200〜-107029.700）は緯度経度の範囲を超えている",
        ".prj がないため緯度経度とみなしました"}},
      {"PlaneFileBesideADegreesFile",
       {{"deg.shp", Degrees(), "-a_srs EPSG:4612"}, {"plane-noprj.shp", Metres(), "-a_srs EPSG:2448"}},
       "",
       {"plane-noprj.shp の座標値（東西 -23640.300〜-18432.400"}},
      {"DifferingReferencesTakenAsOne",
       {{"plane.shp", Metres(), "-a_srs EPSG:2448"}, {"deg.shp", Degrees(), "-a_srs EPSG:4612"}},
       "--from jgd2000:bl",
       {"次のファイルは座標系が異なり、読み込む範囲の中心をひとつの座標系で求められないため",
        "plane.shp：世界測地系(JGD2000) 平面直角座標 第6系", "deg.shp：世界測地系(JGD2000) 緯度経度"}},
  };
}

class ImportWhere : public ::testing::TestWithParam<Cause> {};

TEST_P(ImportWhere, EachCauseIsToldNamingTheFile) {
  const Cause& cause = GetParam();
  ScratchFolder folder;
  ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
  std::string arguments;
  for (const std::vector<std::string>& file : cause.files) {
    const std::string shp = folder / file[0];
    MakeShapefile(shp, file[1], file[2]);
    if (file[0].find("-noprj") != std::string::npos)
      std::filesystem::remove(shp.substr(0, shp.size() - 4) + ".prj");
    arguments += " " + Quote(shp);
  }
  const std::string map = folder / "map.kzmap";
  const auto run = kztest::RunMerged(Quote(KZ_TOOL_FILE) + " import " + Quote(map) + arguments + " " + cause.options);
  EXPECT_NE(run.status, 0) << run.out;
  for (const std::string& words : cause.told) EXPECT_NE(run.out.find(words), std::string::npos) << words << "\n" << run.out;
  EXPECT_EQ(run.out.find("読み込む範囲の中心の座標を変換できない"), std::string::npos) << run.out;
  EXPECT_FALSE(std::filesystem::exists(map)) << "no map is made";
}

INSTANTIATE_TEST_SUITE_P(Causes, ImportWhere, ::testing::ValuesIn(Causes()),
                         [](const auto& info) { return std::string(info.param.name); });

// A4 is 210 mm wide. A line 12 km long from west to east, at 1:25000, is
// 480 mm on paper; 12000 m / 0.210 m = 57143, which a user types as 58000.
// At 1:58000 it is 207 mm: it fits.
TEST(ImportOffArtboard, TellsTheFilesAndTheScaleThatFits) {
  ScratchFolder folder;
  ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
  const std::string wide = folder / "wide.shp";
  MakeShapefile(wide, FeatureCollection({LineFeature({{-30000, -110000}, {-18000, -110000}}, R"({"name": "w"})")}),
                "-a_srs EPSG:2448");
  const std::string small = folder / "small.shp";
  MakeShapefile(small, FeatureCollection({PointFeature(-24000, -110000, R"({"name": "s"})")}), "-a_srs EPSG:2448");
  const auto import = [&](const std::string& map, const std::string& scale) {
    return kztest::RunMerged(Quote(KZ_TOOL_FILE) + " new " + Quote(map) + " --artboard a4 > /dev/null && " + Quote(KZ_TOOL_FILE) +
               " import " + Quote(map) + " " + Quote(small) + " " + Quote(wide) + " --to jgd2000:xy6 --no-north-up" +
               " --scale " + scale);
  };
  auto run = import(folder / "a.kzmap", "25000");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("次のファイルのデータの一部がアートボードの外に描かれました（縮尺 1:25000）。縮尺を 1:58000 に"
                         "すると全体がアートボードに収まります：\nwide.shp"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find("small.shp\n"), std::string::npos) << "the point lies on the artboard\n" << run.out;
  run = import(folder / "b.kzmap", "58000");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out.find("アートボードの外"), std::string::npos) << run.out;
  run = import(folder / "c.kzmap", "56000");
  EXPECT_NE(run.out.find("縮尺を 1:58000 にすると"), std::string::npos) << run.out;
}

}  // namespace
