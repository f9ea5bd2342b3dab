// Every drawn object's attribute row and the layer's field list against what
// ogrinfo reads from the same GDAL-made Shapefile, in Shift-JIS and UTF-8,
// with the encoding taken from the .cpg or chosen by the user.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ImportScenario.h"

namespace {

using namespace importtest;
using sim::DialogAction;

struct OgrColumn {
  std::string name, type;
  int width = 0, precision = 0;
};

// The field definitions as "ogrinfo -so" lists them: "NAME: Type (W.P)".
std::vector<OgrColumn> OgrColumns(const std::string& shp) {
  const CommandResult listed = Run("ogrinfo -ro -so -al " + Quote(shp));
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

int32_t TypeCode(const std::string& ogrType) {
  if (ogrType == "Integer" || ogrType == "Integer64") return 1;
  if (ogrType == "Real") return 2;
  return 0;
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

  void CheckAgainstOgr(const std::string& shp) {
    const std::vector<OgrColumn> columns = OgrColumns(shp);
    ASSERT_EQ(columns.size(), 4u);
    const std::optional<std::vector<StoredField>> fieldList = StoredRow(*host.FindLayer("parks")->group);
    ASSERT_TRUE(fieldList);
    ASSERT_EQ(fieldList->size(), columns.size());
    for (size_t i = 0; i < columns.size(); ++i) {
      SCOPED_TRACE(columns[i].name);
      EXPECT_EQ((*fieldList)[i].name, columns[i].name);
      EXPECT_EQ((*fieldList)[i].type, TypeCode(columns[i].type));
      EXPECT_EQ((*fieldList)[i].totalDigits, columns[i].width);
      EXPECT_EQ((*fieldList)[i].decimals, columns[i].precision);
      EXPECT_EQ((*fieldList)[i].value, "");
    }

    const auto rows = OgrRows(shp);
    const std::vector<sim::Art*> art = LayerArt(host, "parks");
    ASSERT_EQ(art.size(), rows.size());
    for (size_t r = 0; r < rows.size(); ++r) {
      const std::optional<std::vector<StoredField>> row = StoredRow(*art[rows.size() - 1 - r]);
      ASSERT_TRUE(row);
      ASSERT_EQ(row->size(), columns.size());
      for (size_t i = 0; i < columns.size(); ++i) {
        const StoredField& stored = (*row)[i];
        SCOPED_TRACE(stored.name + " of row " + std::to_string(r));
        const auto found = rows[r].find(stored.name);
        ASSERT_NE(found, rows[r].end());
        const std::string& read = found->second.value;
        if (stored.type == 2) {
          EXPECT_NEAR(std::strtod(stored.value.c_str(), nullptr), std::strtod(read.c_str(), nullptr),
                      0.5 * std::pow(10, -stored.decimals));
        } else if (read == "(null)") {
          EXPECT_EQ(stored.value, "");
        } else {
          EXPECT_EQ(stored.value, read);
        }
      }
    }
    // The values themselves, as written.
    const std::optional<std::vector<StoredField>> third = StoredRow(*art.front());
    EXPECT_EQ((*third)[0].value, kFeatures[2][0]);
    EXPECT_EQ((*third)[1].value, kFeatures[2][1]);
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
