// Every drawn object's attribute row and the layer's field list, as
// `kzmap info --json` reports them from the saved map, against what ogrinfo
// reads from the same GDAL-made Shapefile, in Shift-JIS and UTF-8, with the
// encoding taken from the .cpg or chosen by the user.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "ImportScenario.h"
#include "sim/DocumentFile.h"

namespace {

using namespace importtest;
using sim::DialogAction;

struct OgrColumn {
  std::string name, type;
  int width = 0, precision = 0;
};

// The field definitions as "ogrinfo -so" lists them: "NAME: Type (W.P)".
std::vector<OgrColumn> OgrColumns(const std::string& shp) {
  const CommandResult listed = RunMerged("ogrinfo -ro -so -al " + Quote(shp));
  EXPECT_EQ(listed.status, 0) << listed.out;
  std::vector<OgrColumn> columns;
  std::istringstream lines(listed.out);
  std::string line;
  bool fields = false;
  while (std::getline(lines, line)) {
    if (line.rfind("Geometry Column", 0) == 0 || line.rfind("Data axis", 0) == 0) fields = true;
    const size_t colon = line.find(": "), open = line.find(" ("), dot = line.find('.', open), close = line.find(')');
    if (!fields || colon == std::string::npos || open == std::string::npos || dot == std::string::npos ||
        close == std::string::npos || open < colon) {
      continue;
    }
    OgrColumn column{line.substr(0, colon), line.substr(colon + 2, open - colon - 2)};
    column.width = std::atoi(line.c_str() + open + 2);
    column.precision = std::atoi(line.c_str() + dot + 1);
    columns.push_back(column);
  }
  return columns;
}

// The field type names the map's field lists use for ogrinfo's types.
std::string TypeName(const std::string& ogrType) {
  if (ogrType == "Integer" || ogrType == "Integer64") return "整数";
  if (ogrType == "Real") return "実数";
  return "文字列";
}

const char* const kFeatures[][4] = {
    {"新宿御苑", "12", "58.3", "公園"},
    {"代々木公園", "-3", "54.1", ""},
    {"ｶﾀｶﾅ・記号①", "2147483647", "0.5", "区立"},
};

class AttributeCrossCheck : public ImportScenario, public ::testing::WithParamInterface<const char*> {
 protected:
  std::string MakeParks(const std::string& encoding) {
    std::vector<std::string> features;
    for (int i = 0; i < 3; ++i) {
      const double x = 139.70 + 0.01 * i;
      features.push_back(PolygonFeature({{{x, 35.68}, {x, 35.69}, {x + 0.005, 35.69}, {x + 0.005, 35.68}}},
                                        std::string("{\"名前\":\"") + kFeatures[i][0] + "\",\"人口\":" + kFeatures[i][1] +
                                            ",\"面積\":" + kFeatures[i][2] + ",\"種別\":\"" + kFeatures[i][3] + "\"}"));
    }
    const std::string shp = folder / "parks.shp";
    MakeShapefile(shp, FeatureCollection(features),
                  "-a_srs EPSG:4612 -lco ENCODING=" + encoding + " -lco RESIZE=YES");
    return shp;
  }

  // The layer "parks" of the map as kzmap info --json reports it.
  nlohmann::json InfoOfParks() {
    const std::string map = folder / "parks.kzmap";
    sim::SaveDocumentFile(*host.CurrentDocument(), map);
    const CommandResult info = kztest::RunKzmap("info " + Quote(map) + " --json");
    EXPECT_EQ(info.status, 0) << info.out;
    const nlohmann::json document = nlohmann::json::parse(info.out);
    for (const auto& layer : document.at("layers")) {
      if (layer.at("title") == "parks") return layer;
    }
    ADD_FAILURE() << "no layer parks";
    return {};
  }

  void CheckAgainstOgr(const std::string& shp) {
    const nlohmann::json layer = InfoOfParks();
    const std::vector<OgrColumn> columns = OgrColumns(shp);
    ASSERT_EQ(columns.size(), 4u);
    const nlohmann::json& fields = layer.at("fields");
    ASSERT_EQ(fields.size(), columns.size());
    for (size_t i = 0; i < columns.size(); ++i) {
      SCOPED_TRACE(columns[i].name);
      EXPECT_EQ(fields[i].at("name"), columns[i].name);
      EXPECT_EQ(fields[i].at("type"), TypeName(columns[i].type));
      EXPECT_EQ(fields[i].at("digits"), columns[i].width);
      EXPECT_EQ(fields[i].at("decimals"), columns[i].precision);
    }

    const auto rows = OgrRows(shp);
    const nlohmann::json& art = layer.at("art");
    ASSERT_EQ(art.size(), rows.size());
    for (size_t r = 0; r < rows.size(); ++r) {
      // Later records lie on top: the layer lists them first.
      const nlohmann::json& attributes = art[rows.size() - 1 - r].at("attributes");
      ASSERT_EQ(attributes.size(), columns.size());
      for (const OgrColumn& column : columns) {
        SCOPED_TRACE(column.name + " of row " + std::to_string(r));
        const std::string stored = attributes.at(column.name);
        const std::string& read = rows[r].at(column.name).value;
        if (column.type == "Real") {
          EXPECT_NEAR(std::strtod(stored.c_str(), nullptr), std::strtod(read.c_str(), nullptr),
                      0.5 * std::pow(10, -column.precision));
        } else if (read == "(null)") {
          EXPECT_EQ(stored, "");
        } else {
          EXPECT_EQ(stored, read);
        }
      }
    }
    // The values themselves, as written.
    EXPECT_EQ(art.front().at("attributes").at("名前"), kFeatures[2][0]);
    EXPECT_EQ(art.front().at("attributes").at("人口"), kFeatures[2][1]);
  }
};

TEST_P(AttributeCrossCheck, EncodingFromTheCodePageFile) {
  const std::string shp = MakeParks(GetParam());
  AnswerFiles({shp});
  AnswerNewPlaneMap(9);
  ASSERT_TRUE(Import());
  ExpectCleanDialogs();
  EXPECT_TRUE(AlertTexts().empty()) << AlertTexts().front();
  CheckAgainstOgr(shp);
}

TEST_P(AttributeCrossCheck, EncodingChosenByTheUser) {
  const std::string encoding = GetParam();
  const std::string shp = MakeParks(encoding);
  std::filesystem::remove(folder / "parks.cpg");  // the user's choice is all there is
  AnswerFiles({shp}, encoding == "UTF-8" ? "UTF-8" : "シフトJIS");
  AnswerNewPlaneMap(9);
  ASSERT_TRUE(Import());
  ExpectCleanDialogs();
  // ogrinfo needs to be told too, now that the .cpg is gone.
  std::ofstream(folder / "parks.cpg") << (encoding == "UTF-8" ? "UTF-8" : "CP932");
  CheckAgainstOgr(shp);
}

INSTANTIATE_TEST_SUITE_P(Encodings, AttributeCrossCheck, ::testing::Values("CP932", "UTF-8"),
                         [](const auto& info) { return std::string(info.param) == "CP932" ? "ShiftJis" : "Utf8"; });

TEST_F(ImportScenario, TheUsersChoiceOverridesTheCodePageFile) {
  const std::string shp = folder / "sjis.shp";
  MakeShapefile(shp, FeatureCollection({PointFeature(139.7, 35.6, "{\"名前\":\"駅\"}")}),
                "-a_srs EPSG:4612 -lco ENCODING=CP932");
  AnswerFiles({shp}, "UTF-8");
  AnswerNewPlaneMap(9);
  ASSERT_TRUE(Import());
  const std::optional<std::vector<StoredField>> row = StoredRow(*LayerArt(host, "sjis").front());
  ASSERT_TRUE(row);
  EXPECT_NE((*row)[0].name, "名前");  // Shift-JIS bytes read as UTF-8 are not the name
}

}  // namespace
