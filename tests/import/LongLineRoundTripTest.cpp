// A line longer than one path holds goes through kzmap import and export
// and comes back, as ogrinfo reads it, as the one part the file had; parts
// that the file kept apart stay apart even where they touch.
#include <gtest/gtest.h>

#include <cmath>

#include "ImportTestSupport.h"
// ogrinfo's reading of geometries, shared with the KML tests.
#include "../kml/ImportCheck.cpp"

namespace {

using namespace importtest;

class LongLineRoundTrip : public ::testing::Test {
 protected:
  CommandResult Kzmap(const std::string& arguments) {
    return RunMerged("env XDG_CONFIG_HOME=" + Quote(folder / "config") + " " + KZ_TOOL_FILE + " " + arguments);
  }
  ScratchFolder folder;
  std::string map = folder / "map.kzmap";
};

std::vector<std::pair<double, double>> Zigzag(int count, double west) {
  std::vector<std::pair<double, double>> points;
  for (int i = 0; i < count; ++i) points.emplace_back(west + 0.01 * i, -30000 + (i % 2) * 0.01);
  return points;
}

std::string MultiLine(const std::vector<std::vector<std::pair<double, double>>>& parts) {
  std::string coordinates;
  for (const auto& part : parts) {
    std::string text;
    for (const auto& [x, y] : part) text += (text.empty() ? "[" : ",[") + std::to_string(x) + "," + std::to_string(y) + "]";
    coordinates += (coordinates.empty() ? "[" : ",[") + text + "]";
  }
  return R"({"type":"Feature","properties":{"k":2},"geometry":{"type":"MultiLineString","coordinates":[)" + coordinates + "]}}";
}

TEST_F(LongLineRoundTrip, APartSplitOnImportIsOnePartAgainAndSeparatePartsStaySeparate) {
  const std::vector<std::pair<double, double>> longLine = Zigzag(70001, -20000);
  // Two parts of 10 points meeting end to start.
  const std::vector<std::pair<double, double>> a = Zigzag(10, -19000);
  std::vector<std::pair<double, double>> b{a.back()};
  for (int i = 1; i < 10; ++i) b.emplace_back(a.back().first + 0.01 * i, a.back().second - 0.02 * i);
  const std::string source = folder / "lines.shp";
  MakeShapefile(source, FeatureCollection({LineFeature(longLine, "{\"k\":1}"), MultiLine({a, b})}),
                "-a_srs EPSG:2451 -lco ENCODING=UTF-8");
  const std::vector<importcheck::OgrFeature> original = importcheck::OgrFeatures(source);
  ASSERT_EQ(original.size(), 2u);

  const CommandResult imported =
      Kzmap("import " + Quote(map) + " " + Quote(source) + " --to jgd2000:xy9 --scale 1000 --no-north-up");
  ASSERT_EQ(imported.status, 0) << imported.out;
  const std::string out = folder / "out.shp";
  const CommandResult exported = Kzmap("export " + Quote(map) + " " + Quote(out) + " --type polyline");
  ASSERT_EQ(exported.status, 0) << exported.out;

  const std::vector<importcheck::OgrFeature> back = importcheck::OgrFeatures(out);
  ASSERT_EQ(back.size(), 2u);
  for (size_t f = 0; f < back.size(); ++f) {
    SCOPED_TRACE(f);
    ASSERT_EQ(back[f].parts.size(), original[f].parts.size());
    for (size_t p = 0; p < back[f].parts.size(); ++p) {
      ASSERT_EQ(back[f].parts[p].size(), original[f].parts[p].size());
      double worst = 0;
      for (size_t i = 0; i < back[f].parts[p].size(); ++i) {
        worst = std::max(worst, std::hypot(back[f].parts[p][i].first - original[f].parts[p][i].first,
                                           back[f].parts[p][i].second - original[f].parts[p][i].second));
      }
      EXPECT_LT(worst, 0.001);
    }
  }
}

}  // namespace
