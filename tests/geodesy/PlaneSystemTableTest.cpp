// The nineteen plane rectangular systems pinned against an outside
// definition: PROJ's EPSG definitions (JGD2000 / Japan Plane Rectangular CS
// I..XIX, EPSG:2443..2461, as projinfo prints them) and the list labels with
// every prefecture of each system.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "OutputLines.h"
#include "geodesy/CoordTexts.h"
#include "geodesy/TMProjection.h"
#include "support/Process.h"

namespace {

struct PlaneSystem {
  int number;
  const char* projDefinition;
  const char* label;
};

const PlaneSystem kSystems[] = {
    {1, "+proj=tmerc +lat_0=33 +lon_0=129.5", "1系（長崎と周辺島嶼）"},
    {2, "+proj=tmerc +lat_0=33 +lon_0=131", "2系（福岡, 佐賀, 熊本, 大分, 宮崎, 鹿児島）"},
    {3, "+proj=tmerc +lat_0=36 +lon_0=132.166666666667", "3系（山口, 島根, 広島）"},
    {4, "+proj=tmerc +lat_0=33 +lon_0=133.5", "4系（香川, 愛媛, 徳島, 高知）"},
    {5, "+proj=tmerc +lat_0=36 +lon_0=134.333333333333", "5系（兵庫, 鳥取, 岡山）"},
    {6, "+proj=tmerc +lat_0=36 +lon_0=136", "6系（京都, 大阪, 福井, 滋賀, 三重, 奈良, 和歌山）"},
    {7, "+proj=tmerc +lat_0=36 +lon_0=137.166666666667", "7系（石川, 富山, 岐阜, 愛知）"},
    {8, "+proj=tmerc +lat_0=36 +lon_0=138.5", "8系（新潟, 長野, 山梨, 静岡）"},
    {9, "+proj=tmerc +lat_0=36 +lon_0=139.833333333333", "9系（東京, 福島, 栃木, 茨城, 埼玉, 千葉, 群馬, 神奈川）"},
    {10, "+proj=tmerc +lat_0=40 +lon_0=140.833333333333", "10系（青森, 秋田, 山形, 岩手, 宮城）"},
    {11, "+proj=tmerc +lat_0=44 +lon_0=140.25", "11系（北海道西部）"},
    {12, "+proj=tmerc +lat_0=44 +lon_0=142.25", "12系（北海道中部）"},
    {13, "+proj=tmerc +lat_0=44 +lon_0=144.25", "13系（北海道東部）"},
    {14, "+proj=tmerc +lat_0=26 +lon_0=142", "14系（小笠原諸島）"},
    {15, "+proj=tmerc +lat_0=26 +lon_0=127.5", "15系（沖縄主要部）"},
    {16, "+proj=tmerc +lat_0=26 +lon_0=124", "16系（宮古列島・八重山列島）"},
    {17, "+proj=tmerc +lat_0=26 +lon_0=131", "17系（大東島）"},
    {18, "+proj=tmerc +lat_0=20 +lon_0=136", "18系（沖ノ鳥島）"},
    {19, "+proj=tmerc +lat_0=26 +lon_0=154", "19系（南鳥島）"},
};

constexpr const char* kRest = " +k=0.9999 +x_0=0 +y_0=0 +ellps=GRS80";

double ValueOf(const std::string& definition, const std::string& key) {
  const size_t at = definition.find(key + "=");
  return std::stod(definition.substr(at + key.size() + 1));
}

class PlaneSystemTable : public ::testing::TestWithParam<PlaneSystem> {};

// The origin of PROJ's definition projects to (0, 0) with the origin scale,
// and points half a degree around it land where PROJ puts them.
TEST_P(PlaneSystemTable, AgreesWithTheEpsgDefinition) {
  const PlaneSystem& system = GetParam();
  const std::string definition = system.projDefinition;
  const double lat0 = ValueOf(definition, "+lat_0"), lon0 = ValueOf(definition, "+lon_0");
  TMProjection projection;
  ASSERT_TRUE(projection.SetupPlaneSystem(system.number, 2));
  ProjectedPoint origin;
  ASSERT_TRUE(projection.ForwardPlane(lat0, lon0, origin));
  // PROJ's longitudes carry 12 decimals: 1e-12° is 0.1 mm on the ground.
  EXPECT_NEAR(origin.northing, 0, 1e-3);
  EXPECT_NEAR(origin.easting, 0, 1e-3);
  EXPECT_NEAR(origin.scale, 0.9999, 1e-12);

  std::ostringstream points;
  points.precision(12);
  const double offsets[][2] = {{0.5, 0.5}, {-0.5, 0.4}, {0.3, -0.6}, {-0.45, -0.5}};
  for (const auto& offset : offsets) points << lon0 + offset[0] << ' ' << lat0 + offset[1] << '\n';
  const auto run = kztest::RunShell("cs2cs -f %.4f +proj=longlat +ellps=GRS80 +to " + definition + kRest, points.str());
  const auto rows = geodesytest::NumbersByLine(run.out);
  ASSERT_EQ(rows.size(), 4u) << run.out << run.err;
  for (size_t i = 0; i < 4; ++i) {
    ProjectedPoint point;
    ASSERT_TRUE(projection.ForwardPlane(lat0 + offsets[i][1], lon0 + offsets[i][0], point));
    EXPECT_NEAR(point.easting, rows[i][0], 2e-3) << i;
    EXPECT_NEAR(point.northing, rows[i][1], 2e-3) << i;
  }
}

TEST_P(PlaneSystemTable, LabelNamesEveryPrefecture) {
  EXPECT_EQ(PlaneSystemLabel(GetParam().number), GetParam().label);
}

INSTANTIATE_TEST_SUITE_P(Nineteen, PlaneSystemTable, ::testing::ValuesIn(kSystems),
                         [](const auto& info) { return "System" + std::to_string(info.param.number); });

}  // namespace
