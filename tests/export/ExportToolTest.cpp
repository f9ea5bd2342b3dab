// kzmap export as a user runs it: a map file made here, the tool's options
// turned into the dialog, and the files it writes read by GDAL and Python.
#include <gtest/gtest.h>

#include "ExportTestHost.h"
#include "sim/DocumentFile.h"

namespace {

using kztest::ExportTest;
using kztest::Field;
using kztest::Quote;
using kztest::ReadFile;
using kztest::RunCommand;

class ExportToolTest : public ExportTest {
 protected:
  // Plane rectangular system 9 at 1:3600 from (1000, 2000): two layers, a
  // square with an attribute on 道路 and a symbol on 河川.
  void SetUp() override {
    AddPlaneFrame(1000, 2000);
    sim::Layer& roads = host.AddLayer("道路");
    SetLayerFields(roads, {Field("名前", 0, 20)});
    SetAttributes(host.AddPath(*roads.group, {{0, 0}, {0, 10}, {10, 10}, {10, 0}}, true),
                  {Field("名前", 0, 20, 0, "四角")});
    sim::Layer& rivers = host.AddLayer("河川");
    host.AddSymbol(*rivers.group, {10, 40, 30, 20});
    map = Scratch("map.kzmap").string();
    sim::SaveDocumentFile(*document, map);
  }
  kztest::CommandResult Kzmap(const std::string& arguments) {
    return RunCommand("XDG_CONFIG_HOME=" + Quote(Scratch("config").string()) + " " + Quote(KZ_TOOL_FILE) +
                      " export " + Quote(map) + " " + arguments);
  }
  std::string OgrInfo(const std::string& name) {
    const auto info = RunCommand("ogrinfo -ro -al " + Quote(Scratch(name).string()));
    EXPECT_EQ(info.err, "");
    return info.out;
  }

  std::string map;
};

TEST_F(ExportToolTest, ShapefileOfOneLayer) {
  const auto run = Kzmap(Quote(Scratch("road.shp").string()) +
                         " --type polygon --target layer:道路 --layer-field --to jgd2000:xy9 --encoding utf8");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string info = OgrInfo("road.shp");
  EXPECT_NE(info.find("Feature Count: 1"), std::string::npos) << info;
  EXPECT_NE(info.find("名前 (String) = 四角"), std::string::npos) << info;
  EXPECT_NE(info.find("AI_LAYER (String) = 道路"), std::string::npos) << info;
  EXPECT_NE(info.find("POLYGON ((1000 2000,1000.0 2012.7,1012.7 2012.7,1012.7 2000.0,1000 2000))"),
            std::string::npos)
      << info;
  EXPECT_EQ(ReadFile(Scratch("road.cpg")), "UTF-8");
}

TEST_F(ExportToolTest, CsvOfEveryLayerAndOneFilePerLayer) {
  ASSERT_EQ(Kzmap(Quote(Scratch("all.csv").string()) + " --target all --encoding utf8").status, 0);
  EXPECT_EQ(ReadFile(Scratch("all.csv")),
            "\xEF\xBB\xBF平面直角X座標(m),平面直角Y座標(m),名前\r\n"
            "2006.350000000,1006.350000000,四角\r\n"
            "2038.100000000,1025.400000000,\r\n");
  const auto run = Kzmap(Quote(Scratch("layers").string()) + " --format tsv --target visible --per-layer");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(std::filesystem::exists(Scratch("layers/道路.txt")));
  EXPECT_TRUE(std::filesystem::exists(Scratch("layers/河川.txt")));
}

struct UsageCase {
  const char* arguments;
  const char* message;
};

TEST_F(ExportToolTest, UsageErrors) {
  const UsageCase cases[] = {
      {"out.csv --type polygon", "coordinate text files hold points only"},
      {"out.shp --encoding utf16", "Shapefiles are written in sjis or utf8"},
      {"out.shp --accuracy 10", "--accuracy"},
      {"out.shp --to nowhere", "unknown coordinate reference 'nowhere'"},
      {"out.shp --to jgd2000:bl --no-convert", "excludes"},
      {"out.shp --target current --per-layer", "--per-layer needs --target visible or all"},
      {"out.shp --kinds paths,lines", "lines"},
  };
  for (const UsageCase& c : cases) {
    const auto run = Kzmap(c.arguments);
    EXPECT_EQ(run.status, 2) << c.arguments;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << ": " << run.err;
  }
  const auto missing = Kzmap(Quote(Scratch("x.shp").string()) + " --target layer:無い");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("no layer titled '無い'"), std::string::npos) << missing.err;
  const auto help = RunCommand(Quote(KZ_TOOL_FILE) + " export --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--target"), std::string::npos);
}

}  // namespace
