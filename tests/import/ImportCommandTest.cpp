// kzmap import as a user runs it: the files and options in, the map file out,
// read back through kzmap info --json.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <array>
#include <filesystem>
#include <fstream>

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
    return RunMerged("env XDG_CONFIG_HOME=" + Quote(folder / "config") + " " + KZ_TOOL_FILE + " " + arguments);
  }
  nlohmann::json Info() {
    const CommandResult info = kztest::RunKzmap("info " + Quote(map) + " --json");
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
                                  " --encoding sjis --from jgd2000:bl --area 139.75,35.68,139.78,35.69");
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

// A set written by GDAL with one companion removed: the message names that
// companion and why it did not open, not only the .shp.
TEST_F(ImportCommandTest, AMissingCompanionIsNamedWithTheReason) {
  for (const char* companion : {"shx", "dbf"}) {
    SCOPED_TRACE(companion);
    const std::string shp = folder / (std::string("roads_") + companion + ".shp");
    MakeShapefile(shp, FeatureCollection({LineFeature({{139.70, 35.68}, {139.77, 35.69}}, "{\"名前\":\"線\"}")}),
                  "-a_srs EPSG:4612 -lco ENCODING=UTF-8");
    const std::string gone = std::string("roads_") + companion + "." + companion;
    ASSERT_TRUE(std::filesystem::remove(folder / gone));
    const CommandResult run = Kzmap("import " + Quote(map) + " " + Quote(shp) + " --to jgd2000:xy9");
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_NE(run.out.find(gone + ": No such file or directory"), std::string::npos) << run.out;
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

// Coordinate text and KML files: the extension picks the import, the text
// options reach the field settings.
class ImportTextCommandTest : public ImportCommandTest {
 protected:
  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = folder / name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  static std::vector<std::string> FieldTexts(const nlohmann::json& layer) {
    std::vector<std::string> texts;
    for (const auto& field : layer.at("fields")) {
      texts.push_back(field.at("type").get<std::string>() + "(" + std::to_string(field.at("digits").get<int>()) + "." +
                      std::to_string(field.at("decimals").get<int>()) + ")");
    }
    return texts;
  }
  static std::array<double, 2> Centre(const nlohmann::json& art) {
    double h = 0, v = 0;
    for (const auto& point : art.at("points")) {
      h += point[0].get<double>();
      v += point[1].get<double>();
    }
    const double count = static_cast<double>(art.at("points").size());
    return {h / count, v / count};
  }
};

struct TextCase {
  const char* label;
  const char* name;
  const char* text;  // UTF-8
  const char* options;
  std::vector<std::string> fields;  // type(digits.decimals), in order
  std::vector<std::vector<std::string>> values;  // of the objects, first line first
};

class TextOptions : public ImportTextCommandTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(TextOptions, ReachTheFieldSettings) {
  const TextCase& c = GetParam();
  const std::string file = Write(c.name, c.text);
  const CommandResult run = Kzmap("import " + Quote(map) + " " + Quote(file) + " --to jgd2000:xy9 " + c.options);
  ASSERT_EQ(run.status, 0) << run.out;
  const nlohmann::json info = Info();
  const nlohmann::json* layer = Layer(info, std::filesystem::path(c.name).stem().string());
  ASSERT_NE(layer, nullptr) << info.dump();
  EXPECT_EQ(FieldTexts(*layer), c.fields);
  const auto& art = layer->at("art");
  ASSERT_EQ(art.size(), c.values.size());
  for (size_t i = 0; i < c.values.size(); ++i) {
    std::vector<std::string> values;
    for (const auto& field : layer->at("fields")) {
      values.push_back(art[art.size() - 1 - i].at("attributes").at(field.at("name").get<std::string>()));
    }
    EXPECT_EQ(values, c.values[i]) << i;
  }
}

const TextCase kTextCases[] = {
    {"CsvDefaults", "駅.csv", "緯度,経度,名前,人口\r\n35.66,139.74,\"東京, タワー\",100\r\n35.67,139.75,大阪,5\r\n", "",
     {"文字列(48.0)", "文字列(48.0)"}, {{"東京, タワー", "100"}, {"大阪", "5"}}},
    {"TypedColumns", "駅.csv", "緯度,経度,名前,人口,面積\n35.66,139.74,東京,100,1.5\n35.67,139.75,大阪,5,22.25\n",
     "--columns y,x,string:20,integer:5,real:8.2", {"文字列(20.0)", "整数(5.0)", "実数(8.2)"},
     {{"東京", "100", "1.50"}, {"大阪", "5", "22.25"}}},
    {"TabWithoutHeader", "駅.txt", "35.66\t139.74\t東京\n35.67\t139.75\t大阪\n", "--no-header --columns y,x,string:8",
     {"文字列(8.0)"}, {{"東京"}, {"大阪"}}},
    {"CommaInATxtFile", "駅.txt", "lat,lon,name\n35.66,139.74,A\n", "--delimiter comma", {"文字列(48.0)"}, {{"A"}}},
    {"LongitudeFirst", "駅.tsv", "経度\t緯度\t名前\n139.74\t35.66\t東京\n", "--columns x,y", {"文字列(48.0)"}, {{"東京"}}},
};

INSTANTIATE_TEST_SUITE_P(Cases, TextOptions, ::testing::ValuesIn(kTextCases),
                         [](const ::testing::TestParamInfo<TextCase>& info) { return info.param.label; });

TEST_F(ImportTextCommandTest, ColumnOrderDecidesWhichIsLatitude) {
  Write("a.csv", "緯度,経度\n35.66,139.74\n");
  Write("b.csv", "経度,緯度\n139.74,35.66\n");
  ASSERT_EQ(Kzmap("import " + Quote(map) + " " + Quote(folder / "a.csv") + " --to jgd2000:xy9").status, 0);
  ASSERT_EQ(Kzmap("import " + Quote(map) + " " + Quote(folder / "b.csv") + " --columns x,y").status, 0);
  const nlohmann::json info = Info();
  const auto a = Centre(Layer(info, "a")->at("art").at(0)), b = Centre(Layer(info, "b")->at("art").at(0));
  EXPECT_NEAR(a[0], b[0], 1e-3);
  EXPECT_NEAR(a[1], b[1], 1e-3);
}

TEST_F(ImportTextCommandTest, EncodingIsShiftJisUnlessTheTextReadsAsUtf8) {
  const std::string utf8 = Write("u.csv", "緯度,経度,名前\n35.66,139.74,東京\n");
  const std::string sjis = folder / "s.csv";
  ASSERT_EQ(RunMerged("iconv -f UTF-8 -t CP932 " + Quote(utf8) + " > " + Quote(sjis)).status, 0);
  ASSERT_EQ(Kzmap("import " + Quote(map) + " " + Quote(utf8) + " " + Quote(sjis)).status, 0);
  const nlohmann::json info = Info();
  for (const char* title : {"u", "s"}) {
    SCOPED_TRACE(title);
    ASSERT_NE(Layer(info, title), nullptr);
    EXPECT_EQ(Layer(info, title)->at("fields").at(0).at("name"), "名前");
    EXPECT_EQ(Layer(info, title)->at("art").at(0).at("attributes").at("名前"), "東京");
  }
}

TEST_F(ImportTextCommandTest, ShapefileTextAndKmlInOneCommand) {
  const std::string kml = folder / "路線.kml";
  const CommandResult made = RunMerged("ogr2ogr -f KML " + Quote(kml) + " " + Quote(folder / "線.shp"));
  ASSERT_EQ(made.status, 0) << made.out;
  const std::string csv = Write("点.csv", "緯度,経度,名前\n35.685,139.75,皇居\n");
  const CommandResult run = Kzmap("import " + Quote(map) + " " + Quote(folder / "駅.shp") + " " + Quote(csv) + " " +
                                  Quote(kml) + " --to jgd2000:xy9 --scale 10000");
  ASSERT_EQ(run.status, 0) << run.out;
  const nlohmann::json info = Info();
  EXPECT_EQ(info.at("dataFrame").at("ref"), "jgd2000:xy9");
  EXPECT_EQ(info.at("dataFrame").at("scale"), 10000);
  ASSERT_NE(Layer(info, "駅"), nullptr);
  ASSERT_NE(Layer(info, "点"), nullptr);
  EXPECT_EQ(Layer(info, "点")->at("art").at(0).at("attributes").at("名前"), "皇居");
  // ogr2ogr writes the layer as a folder and the row as extended data.
  const nlohmann::json* kmlLayer = Layer(info, "路線");
  ASSERT_NE(kmlLayer, nullptr);
  ASSERT_EQ(kmlLayer->at("layers").size(), 1u);
  EXPECT_EQ(kmlLayer->at("layers")[0].at("title"), "線");
  EXPECT_EQ(kmlLayer->at("layers")[0].at("art").at(0).at("attributes").at("名前"), "線");
  // The last file imported is on top, below the data frame.
  EXPECT_EQ(info.at("layers").at(1).at("title"), "路線");
  EXPECT_EQ(info.at("layers").at(2).at("title"), "点");
}

TEST_F(ImportTextCommandTest, RefusalsLeaveNoMap) {
  const std::string csv = Write("c.csv", "緯度,経度,名前\n35.66,139.74,東京\n");
  const std::string other = Write("c.dat", "35.66,139.74\n");
  const std::string shp = Quote(folder / "駅.shp");
  const struct {
    std::string arguments;
    int status;
  } cases[] = {
      {Quote(other), 2},
      {Quote(csv) + " --columns y,y,string", 2},
      {Quote(csv) + " --columns y,x,text", 2},
      {Quote(csv) + " --columns y,x,real:5.4", 2},
      {Quote(csv) + " --columns y,x,string:300", 2},
      {Quote(csv) + " --delimiter semicolon", 2},
      {shp + " --encoding utf16", 2},
      {Quote(csv) + " --columns y,x,string,string", 1},  // the file has three columns
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    const CommandResult run = Kzmap("import " + Quote(map) + " " + c.arguments);
    EXPECT_EQ(run.status, c.status) << run.out;
    EXPECT_FALSE(std::filesystem::exists(map));
  }
}

}  // namespace
