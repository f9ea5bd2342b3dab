// kzmap import as a user runs it: the files and options in, the map file out,
// read back through kzmap info --json.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>

#include "ImportTestSupport.h"

namespace {

using namespace importtest;

class ImportCommandTest : public ::testing::Test {
 protected:
  ImportCommandTest() {
    MakeShapefile(folder / "駅.shp",
                  FeatureCollection({PointFeature(139.7671, 35.6812, "{\"名前\":\"東京\"}"),
                                     PointFeature(139.7005, 35.6896, "{\"名前\":\"新宿\"}")}),
                  "-a_srs EPSG:4612 -lco ENCODING=CP932");
    MakeShapefile(folder / "線.shp",
                  FeatureCollection({LineFeature({{139.70, 35.68}, {139.77, 35.69}}, "{\"名前\":\"線\"}")}),
                  "-a_srs EPSG:4612 -lco ENCODING=UTF-8");
  }
  CommandResult Kzmap(const std::string& arguments) {
    return importtest::Run("env XDG_CONFIG_HOME=" + Quote(folder / "config") + " " + KZ_TOOL_FILE + " " + arguments);
  }
  nlohmann::json Info() {
    const CommandResult info = importtest::Run("(" + std::string(KZ_TOOL_FILE) + " info " + Quote(map) + " --json 2>/dev/null)");
    EXPECT_EQ(info.status, 0) << info.out;
    return nlohmann::json::parse(info.out);
  }
  static const nlohmann::json* Layer(const nlohmann::json& info, const std::string& title) {
    for (const auto& layer : info.at("layers")) {
      if (layer.at("title") == title) return &layer;
    }
    return nullptr;
  }

  ScratchFolder folder;
  std::string map = folder / "map.kzmap";
};

TEST_F(ImportCommandTest, ImportsIntoANewMapAndThenIntoItsDataFrame) {
  const CommandResult first = Kzmap("import " + Quote(map) + " " + Quote(folder / "駅.shp") + " " +
                                    Quote(folder / "線.shp") + " --to jgd2000:xy9 --scale 10000");
  ASSERT_EQ(first.status, 0) << first.out;
  nlohmann::json info = Info();
  EXPECT_EQ(info.at("dataFrame").at("ref"), "jgd2000:xy9");
  EXPECT_EQ(info.at("dataFrame").at("scale"), 10000);
  EXPECT_EQ(info.at("markers").at("kind"), "four");
  ASSERT_NE(Layer(info, "駅"), nullptr);
  EXPECT_EQ(Layer(info, "駅")->at("art").size(), 2u);
  // The .cpg of each file decides its encoding.
  EXPECT_EQ(Layer(info, "駅")->at("art")[0].at("attributes").at("名前"), "新宿");
  EXPECT_EQ(Layer(info, "線")->at("art")[0].at("attributes").at("名前"), "線");

  // Again into the same map: its data frame is used and --to is not.
  const CommandResult second =
      Kzmap("import " + Quote(map) + " " + Quote(folder / "駅.shp") + " --to jgd2000:utm54 --no-north-up");
  ASSERT_EQ(second.status, 0) << second.out;
  EXPECT_NE(second.out.find("not used"), std::string::npos) << second.out;
  info = Info();
  EXPECT_EQ(info.at("dataFrame").at("ref"), "jgd2000:xy9");
  EXPECT_EQ(info.at("layers").at(0).at("title"), "Kartzmap DataFrame");
  EXPECT_EQ(info.at("layers").at(1).at("title"), "駅");
}

TEST_F(ImportCommandTest, AreaAndEncodingOptionsReachTheDialogs) {
  const CommandResult run = Kzmap("import " + Quote(map) + " " + Quote(folder / "駅.shp") +
                                  " --encoding sjis --from jgd2000:bl --area 35.68,139.75,35.69,139.78");
  ASSERT_EQ(run.status, 0) << run.out;
  const nlohmann::json info = Info();
  ASSERT_NE(Layer(info, "駅"), nullptr);
  ASSERT_EQ(Layer(info, "駅")->at("art").size(), 1u);  // Shinjuku lies west of the area
  EXPECT_EQ(Layer(info, "駅")->at("art")[0].at("attributes").at("名前"), "東京");
}

TEST_F(ImportCommandTest, BadUsageIsOneLineAndExitTwo) {
  const std::string shp = Quote(folder / "駅.shp");
  for (const std::string& arguments :
       {"import " + Quote(map) + " " + Quote(folder / "none.shp"), "import " + Quote(map) + " " + shp + " --to tokyo:xy20",
        "import " + Quote(map) + " " + shp + " --area 1,2,3", "import " + Quote(map) + " " + shp + " --scale -5",
        "import " + Quote(map) + " " + shp + " --encoding latin1",
        "import " + Quote(map) + " " + shp + " --north-up --no-north-up"}) {
    SCOPED_TRACE(arguments);
    const CommandResult run = Kzmap(arguments);
    EXPECT_EQ(run.status, 2) << run.out;
    EXPECT_FALSE(std::filesystem::exists(map));
  }
}

TEST_F(ImportCommandTest, HelpNamesEveryOption) {
  const CommandResult help = Kzmap("import --help");
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--encoding", "--from", "--to", "--scale", "--north-up", "--no-north-up", "--area"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
}

}  // namespace
