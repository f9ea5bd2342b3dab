// kzmap convert against cs2cs (PROJ's exact transverse Mercator) from the
// central meridian to 30° off it, latitudes 20°-46°, on both ellipsoids, in
// every plane rectangular system and the UTM zones over Japan.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "OutputLines.h"
#include "geodesy/CoordTexts.h"
#include "geodesy/TMProjection.h"
#include "support/Process.h"

namespace {

using geodesytest::NumbersByLine;
using kztest::RunShell;

const std::string kTool = KZ_TOOL_FILE;
constexpr double kDeg = 3.14159265358979323846 / 180;

struct Case {
  std::string name;
  bool utm;
  int number;  // system or zone
  int datum;
};

std::vector<Case> AllCases() {
  std::vector<Case> cases;
  for (int datum : {1, 2}) {
    const std::string ellipsoid = datum == 1 ? "Bessel" : "Grs80";
    for (int system = 1; system <= 19; ++system)
      cases.push_back({"Plane" + std::to_string(system) + ellipsoid, false, system, datum});
    for (int zone = 51; zone <= 56; ++zone)
      cases.push_back({"Utm" + std::to_string(zone) + ellipsoid, true, zone, datum});
  }
  return cases;
}

std::string Format(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.15g", value);
  return text;
}

class ConvertAgreement : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    const Case& c = GetParam();
    const std::string ellipsoid = c.datum == 1 ? "+a=6377397.155 +rf=299.152813" : "+a=6378137 +rf=298.257222101";
    geographic = "+proj=longlat " + ellipsoid;
    const std::string datum = c.datum == 1 ? "tokyo:" : "jgd2000:";
    bl = datum + "bl";
    if (c.utm) {
      meridian = *UtmCentralMeridian(c.number);
      projected = "+proj=tmerc +algo=poder_engsager +lat_0=0 +lon_0=" + Format(meridian) +
                  " +k=0.9996 +x_0=500000 +y_0=0 " + ellipsoid + " +units=m";
      plane = datum + "utm" + std::to_string(c.number);
    } else {
      TMProjection projection;
      const auto [lat0, lon0] = projection.Origins()[c.number];
      meridian = lon0;
      projected = "+proj=tmerc +algo=poder_engsager +lat_0=" + Format(lat0) + " +lon_0=" + Format(lon0) +
                  " +k=0.9999 +x_0=0 +y_0=0 " + ellipsoid + " +units=m";
      plane = datum + "xy" + std::to_string(c.number);
    }
    for (double lat : {20.0, 26.5, 33.0, 39.5, 46.0})
      for (double dLon : {0.0, 0.7, 2.5, -3.0, 6.0, -10.0, 14.0, 19.5, -22.0, 25.0, -28.0, 30.0})
        points.push_back({lat, meridian + dLon});
  }

  std::string Text(const std::vector<std::vector<double>>& rows) const {
    std::ostringstream text;
    text.precision(17);
    for (const auto& row : rows) text << row[0] << ' ' << row[1] << '\n';
    return text.str();
  }

  std::vector<std::vector<double>> Run(const std::string& command, const std::string& input,
                                       std::string* err = nullptr) const {
    const auto run = RunShell(command, input);
    EXPECT_EQ(run.status, 0) << command << '\n' << run.err;
    if (err) *err = run.err;
    auto rows = NumbersByLine(run.out);
    EXPECT_EQ(rows.size(), points.size()) << command << '\n' << run.out << run.err;
    return rows;
  }

  double meridian = 0;
  std::string geographic, projected, bl, plane;
  std::vector<std::pair<double, double>> points;  // latitude, longitude
};

TEST_P(ConvertAgreement, ForwardInverseAndRoundTrip) {
  std::vector<std::vector<double>> lonLat;
  for (const auto& [lat, lon] : points) lonLat.push_back({lon, lat});
  std::string note;
  const auto ours = Run(kTool + " convert --from " + bl + " --to " + plane, Text(lonLat), &note);
  const auto theirs = Run("cs2cs -f %.9f " + geographic + " +to " + projected, Text(lonLat));
  ASSERT_EQ(ours.size(), points.size());
  ASSERT_EQ(theirs.size(), points.size());
  double worstForward = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    const double error = std::hypot(ours[i][0] - theirs[i][0], ours[i][1] - theirs[i][1]);
    worstForward = std::max(worstForward, error);
    EXPECT_LT(error, 1e-4) << "lat " << points[i].first << " lon " << points[i].second;
  }
  // Points lie up to 30° off the meridian: the user is told, once.
  const std::string distant = "more than 20 degrees from the central meridian";
  EXPECT_NE(note.find(distant), std::string::npos) << note;
  EXPECT_EQ(note.find(distant), note.rfind(distant)) << note;

  // The inverse of PROJ's plane coordinates.
  const auto back = Run(kTool + " convert --from " + plane + " --to " + bl, Text(theirs));
  const auto expected = Run("cs2cs -f %.12f " + projected + " +to " + geographic, Text(theirs));
  ASSERT_EQ(back.size(), points.size());
  ASSERT_EQ(expected.size(), points.size());
  // PROJ gives longitudes in (-180°, 180°]; kzmap the turn nearest the
  // central meridian (184°, not -176°, for 30° east of 154°E).
  double worstInverse = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    const double east = std::remainder(back[i][0] - expected[i][0], 360.0);
    EXPECT_LT(std::fabs(back[i][0] - meridian), 90) << back[i][0];
    const double error = std::max(std::fabs(east), std::fabs(back[i][1] - expected[i][1]));
    worstInverse = std::max(worstInverse, error);
    EXPECT_LT(error, 1e-9) << "E " << theirs[i][0] << " N " << theirs[i][1];
  }

  // Our own forward and back: within a micrometre of where it started.
  const auto round = Run(kTool + " convert --from " + plane + " --to " + bl, Text(ours));
  ASSERT_EQ(round.size(), points.size());
  double worstRound = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    const double metresPerDegree = 6.37e6 * kDeg;
    const double error =
        std::hypot((round[i][1] - points[i].first) * metresPerDegree,
                   (round[i][0] - points[i].second) * metresPerDegree * std::cos(points[i].first * kDeg));
    worstRound = std::max(worstRound, error);
    EXPECT_LT(error, 1e-6) << "lat " << points[i].first << " lon " << points[i].second;
  }
  std::printf("%s: worst forward %.3g m, inverse %.3g deg, round trip %.3g m\n", GetParam().name.c_str(),
              worstForward, worstInverse, worstRound);
}

INSTANTIATE_TEST_SUITE_P(AllSystems, ConvertAgreement, ::testing::ValuesIn(AllCases()),
                         [](const auto& info) { return info.param.name; });

// Near the meridian there is nothing to tell.
TEST(ConvertNote, NotToldForPointsNearTheMeridian) {
  const auto run = RunShell(kTool + " convert --from jgd2000:bl --to jgd2000:xy9", "139.5 35.5\n145 36\n");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const auto far = RunShell(kTool + " convert --from jgd2000:xy9 --to jgd2000:bl", "2500000 0\n");
  ASSERT_EQ(far.status, 0) << far.err;
  EXPECT_NE(far.err.find("1 points lie more than 20 degrees"), std::string::npos) << far.err;
}

}  // namespace
