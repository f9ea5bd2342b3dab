// The transverse Mercator series against published values, and against the
// values this system gave before the series were replaced.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "geodesy/CoordTexts.h"
#include "geodesy/KruegerSeries.h"
#include "geodesy/TMProjection.h"

namespace {

constexpr double kDeg = 3.14159265358979323846 / 180;

// Rows of Karney's "Test data for the transverse Mercator projection" (2009,
// TMcoords.dat, computed with the exact projection to 0.1 pm): WGS 84,
// central meridian 0°, central scale 0.9996, no false easting. Every row
// within 31° of the central meridian among the file's first 250.
struct PublishedRow {
  double lat, lon, easting, northing, convergence, scale;
};
const PublishedRow kTMcoords[] = {
    {27.203894742072, 7.440229319956, 738062.0477794809553, 3031007.0741158638797, 3.416801681625375868,
     1.00633168074600267019},
    {42.701376407719, 7.572738186139, 620365.9050898417601, 4755542.0265620241836, 5.152021939103753522,
     1.00433819291969569998},
    {40.552052236608, 3.10605643618, 263004.7709889716198, 4493669.7624508701848, 2.020523080004668331,
     1.00045152537558245158},
    {3.501241735308, 27.806507229666, 3217221.7394620754606, 437776.1191609587993, 1.848169127986085672,
     1.13055811977484279446},
    {58.582623413754, 16.755557927357, 967777.1585538550834, 6615684.2665918122107, 14.410044184805568143,
     1.01110049967174710461},
    {11.99878827065, 17.597873384909, 1943965.1346867432457, 1389972.228689978338, 3.774868749144232083,
     1.04672441163442516954},
    {33.776224430873, 16.280993301103, 1515136.7582917435602, 3858996.0875369629012, 9.225127467948732285,
     1.02802878359903348214},
    {79.584190378868, 16.367006094695, 326141.9757557496954, 8881325.164542603823, 16.111414681359673051,
     1.00089993942341181312},
    {48.979056611144, 16.474541916245, 1202993.4591584864223, 5557316.0535990491813, 12.579061086594141623,
     1.01742642054231242781},
    {36.84520033941, 20.282283332283, 1818497.2435558675661, 4275471.7450572589369, 12.499655874401409124,
     1.04060375620579838882},
    {3.28727188791, 22.917603895056, 2616733.138544322417, 394644.4638147892681, 1.390425099091137669,
     1.08559457351075303955},
    {47.813685905876, 23.545092456754, 1756506.5739421266743, 5570393.9863943798503, 17.89789444055791977,
     1.03773249943759836051},
    {0.527262488978, 11.684209132768, 1309272.2164321123566, 59520.0288993871333, 0.109069182167531056,
     1.02089660980397436268},
    {20.166741997072, 3.143947731274, 328652.2771294843991, 2233043.9588736710395, 1.084863297347176706,
     1.00093521803437134364},
    {68.071020468737, 19.392822879186, 796987.2811043724991, 7677446.3576754183788, 18.084471771162892811,
     1.00738114483985271123},
    {84.986930137199, 2.067177857261, 20163.0752214330146, 9438635.9888499043815, 2.059277291707588222,
     0.99960496589466017622},
    {6.42070482504, 20.416028355525, 2306021.5565059955892, 757191.5928659006169, 2.385685550799879322,
     1.06615932703313059382},
    {52.335248167422, 22.879293778793, 1547406.3138615646706, 6048712.7518236823564, 18.474372076286182044,
     1.0291226350124929634},
    {16.461790285243, 21.433269186661, 2334053.9058301522643, 1948076.9665824793916, 6.353185129915976783,
     1.06773282981445423028},
    {19.376879758731, 0.344604702538, 36187.3424147238117, 2142565.3248023055831, 0.114334366652574163,
     0.99961618629427946552},
    {78.691869858364, 27.591736411927, 582511.6088260822781, 8876047.2170705300021, 27.133299634302376408,
     1.00374884070881342847},
    {40.893022388204, 10.668803645636, 899441.3504769787009, 4582046.4305161929187, 7.031211200325183102,
     1.00957251523499968837},
    {43.977935890852, 5.672541129169, 454986.2188972515956, 4885087.8878842827264, 3.945648021963556589,
     1.00214702964307690511},
    {33.028801664026, 0.765842683855, 71519.4504575306802, 3654740.4448518867014, 0.417448360256695198,
     0.9996630662116279997},
    {24.571871102264, 30.073097169764, 3138623.3004145471641, 3082960.6007977759991, 13.557671585295237223,
     1.12372399807947897752},
    {34.20257557563, 29.383165969835, 2748325.7946509686296, 4202811.912667864605, 17.578705709567679327,
     1.09410195730734136777},
    {18.933880535395, 19.492695056232, 2084423.8189620029383, 2211816.0356192490603, 6.556448180639453111,
     1.05379306456956292405},
    {9.916090592983, 2.895277339837, 317518.4555464869534, 1097517.5837454216348, 0.499003720919636014,
     1.00084775964536943313},
    {31.826530823362, 13.731050162682, 1304934.9018412828799, 3604655.155715481906, 7.343988561535999759,
     1.02067230331888663326},
    {38.617487254111, 4.099838486616, 356983.618539634654, 4282309.0489941972154, 2.561484750887838159,
     1.00116967656345686077},
    {57.367533447896, 8.260865981663, 496148.2537306291007, 6388503.3650426645438, 6.970955082495557851,
     1.00261965657610768433},
    {54.207636072355, 23.325730771441, 1507053.6887724474652, 6261383.5132798271265, 19.280372700853517863,
     1.02758396387063827962},
    {10.018893710119, 23.313323816796, 2624150.74092867098, 1204434.0416046227631, 4.292619330037266837,
     1.08605124643084949596},
    {21.072464821428, 29.82868439326, 3206390.6919962592145, 2650745.4004060203847, 11.666949788578689434,
     1.12935868700276526857},
    {41.824953736899, 25.39274385366, 2114521.4184058719787, 4954077.4400978378572, 17.571877886939805077,
     1.05509329051878698199},
    {11.11604988045, 20.901069188458, 2331001.7518903972451, 1313608.2247509045811, 4.214689849139200616,
     1.067599217405929328},
};

class PublishedValues : public ::testing::Test {
 protected:
  void SetUp() override {
    series.Setup(6378137, 1 / 298.257223563);
    metres = 0.9996 * series.RectifyingRadius();
  }
  KruegerSeries series;
  double metres = 0;
};

TEST_F(PublishedValues, ForwardWithinTenNanometres) {
  for (const PublishedRow& row : kTMcoords) {
    KruegerSeries::PlanePoint point;
    ASSERT_TRUE(series.Forward(row.lat * kDeg, row.lon * kDeg, point)) << row.lat << ' ' << row.lon;
    EXPECT_NEAR(metres * point.eta, row.easting, 1e-8) << row.lat << ' ' << row.lon;
    EXPECT_NEAR(metres * point.xi, row.northing, 1e-8) << row.lat << ' ' << row.lon;
    EXPECT_NEAR(point.gamma / kDeg, row.convergence, 1e-12) << row.lat << ' ' << row.lon;
    EXPECT_NEAR(0.9996 * point.scale, row.scale, 1e-13) << row.lat << ' ' << row.lon;
  }
}

// 1e-13° is about 10 nm; a longitude is measured along its parallel.
TEST_F(PublishedValues, InverseWithinTenNanometres) {
  for (const PublishedRow& row : kTMcoords) {
    KruegerSeries::GeographicPoint point;
    ASSERT_TRUE(series.Inverse(row.northing / metres, row.easting / metres, point)) << row.lat << ' ' << row.lon;
    EXPECT_NEAR(point.phi / kDeg, row.lat, 1e-13) << row.lat << ' ' << row.lon;
    EXPECT_NEAR(point.lambda / kDeg * std::cos(row.lat * kDeg), row.lon * std::cos(row.lat * kDeg), 1e-13)
        << row.lat << ' ' << row.lon;
    EXPECT_NEAR(point.gamma / kDeg, row.convergence, 1e-12) << row.lat << ' ' << row.lon;
    EXPECT_NEAR(0.9996 * point.scale, row.scale, 1e-13) << row.lat << ' ' << row.lon;
  }
}

// Where the series stop: a quarter turn from the central meridian, beyond the
// poles, and anything not finite. Just inside, they still give a point.
TEST_F(PublishedValues, RefusesOnlyWhereThereIsNoPoint) {
  KruegerSeries::PlanePoint plane;
  EXPECT_FALSE(series.Forward(35 * kDeg, 90 * kDeg, plane));
  EXPECT_FALSE(series.Forward(35 * kDeg, -91 * kDeg, plane));
  EXPECT_FALSE(series.Forward(95 * kDeg, 10 * kDeg, plane));
  EXPECT_FALSE(series.Forward(std::nan(""), 0, plane));
  ASSERT_TRUE(series.Forward(35 * kDeg, 89 * kDeg, plane));
  KruegerSeries::GeographicPoint back;
  ASSERT_TRUE(series.Inverse(plane.xi, plane.eta, back));
  EXPECT_NEAR(back.lambda / kDeg, 89, 1e-9);
  ASSERT_TRUE(series.Forward(90 * kDeg, 0, plane));
  ASSERT_TRUE(series.Inverse(plane.xi, 0, back));
  EXPECT_NEAR(back.phi / kDeg, 90, 1e-9);

  EXPECT_FALSE(series.Inverse(plane.xi * 1.001, 0, back)) << "beyond the pole";
  EXPECT_FALSE(series.Inverse(0, 25, back));
  EXPECT_FALSE(series.Inverse(0, std::numeric_limits<double>::infinity(), back));
  EXPECT_FALSE(series.Inverse(std::nan(""), 0, back));
}

// The values of the series used before, pinned by that code in a table: where
// they agreed with the exact projection (within 4° of the central meridian),
// the new ones stay within a tenth of a millimetre, so that existing maps keep
// their place.
struct BeforeRow {
  bool utm;
  int number, datum;
  double lat, lon, northing, easting, convergence, scale, inverseLat, inverseLon;
};

std::vector<BeforeRow> ReadBefore() {
  std::ifstream in(std::string(KZ_SOURCE_DIR) + "/tests/geodesy/data/GaussKruegerBefore.csv");
  std::vector<BeforeRow> rows;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#' || line.rfind("kind", 0) == 0) continue;
    std::replace(line.begin(), line.end(), ',', ' ');
    std::istringstream fields(line);
    std::string kind;
    BeforeRow row{};
    fields >> kind >> row.number >> row.datum >> row.lat >> row.lon >> row.northing >> row.easting >>
        row.convergence >> row.scale >> row.inverseLat >> row.inverseLon;
    if (!fields) continue;
    row.utm = kind == "U";
    rows.push_back(row);
  }
  return rows;
}

TEST(SeriesBefore, MapsStayWithinATenthOfAMillimetre) {
  const std::vector<BeforeRow> rows = ReadBefore();
  ASSERT_EQ(rows.size(), 1050u);
  double worstForward = 0, worstInverse = 0;
  for (const BeforeRow& row : rows) {
    TMProjection projection;
    ProjectedPoint forward;
    GeographicPoint inverse;
    if (row.utm) {
      ASSERT_TRUE(projection.SetupUtmZone(row.number, row.datum));
      ASSERT_TRUE(projection.ForwardUtm(row.lat, row.lon, forward));
      ASSERT_TRUE(projection.InverseUtm(row.northing, row.easting, inverse));
    } else {
      ASSERT_TRUE(projection.SetupPlaneSystem(row.number, row.datum));
      ASSERT_TRUE(projection.ForwardPlane(row.lat, row.lon, forward));
      ASSERT_TRUE(projection.InversePlane(row.northing, row.easting, inverse));
    }
    const double moved = std::hypot(forward.northing - row.northing, forward.easting - row.easting);
    worstForward = std::max(worstForward, moved);
    EXPECT_LT(moved, 1e-4) << row.number << ' ' << row.lat << ' ' << row.lon;
    // A tenth of a millimetre is about 1e-9° of latitude.
    const double turned = std::max(std::fabs(inverse.latitude - row.inverseLat),
                                   std::fabs(inverse.longitude - row.inverseLon) * std::cos(row.lat * kDeg));
    worstInverse = std::max(worstInverse, turned);
    EXPECT_LT(turned, 1e-9) << row.number << ' ' << row.lat << ' ' << row.lon;
    // The convergence and scale of the old series were shorter; they agree
    // to their own accuracy.
    EXPECT_NEAR(forward.convergence, row.convergence, 2e-7) << row.number << ' ' << row.lat << ' ' << row.lon;
    EXPECT_NEAR(forward.scale, row.scale, 3e-8) << row.number << ' ' << row.lat << ' ' << row.lon;
  }
  std::printf("against the series before: worst forward %.3g m, inverse %.3g deg\n", worstForward, worstInverse);
}

}  // namespace
