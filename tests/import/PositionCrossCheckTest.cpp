// Where the import puts things, checked against PROJ on GDAL-made files: the
// new data frame's origin is PROJ's projection of the data's centre, the
// marker texts are PROJ's projection of the area's corners, and every
// distance between drawn vertices, taken back to the ground through the
// scale, is PROJ's distance on the map plane; all to 1 mm. Sources in
// JGD2000 latitude/longitude and in a Tokyo-datum plane system (through a
// synthetic datum grid beside a copy of the plug-in); targets a plane system
// and a UTM zone.
#include <gtest/gtest.h>
#include <proj.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "ImportScenario.h"
#include "geodesy/CoordRef.h"
#include "geodesy/DatumGrid.h"
#include "resources/DialogIds.h"

namespace {

namespace coord_ids = dialog_ids::import_coord;
using namespace importtest;
using sim::DialogAction;
using Point = std::pair<double, double>;

constexpr double kMillimetre = 0.001;
const char* const kPlane9Grs80 =
    "+proj=tmerc +lat_0=36 +lon_0=139.83333333333333 +k=0.9999 +x_0=0 +y_0=0 +a=6378137 +rf=298.257222101";
const char* const kPlane9Bessel =
    "+proj=tmerc +lat_0=36 +lon_0=139.83333333333333 +k=0.9999 +x_0=0 +y_0=0 +a=6377397.155 +rf=299.152813";
const char* const kUtm54Grs80 = "+proj=utm +zone=54 +a=6378137 +rf=298.257222101";

std::string FromDegrees(const std::string& projection) {
  return "+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad +step " + projection;
}

// The synthetic datum shift, linear in latitude and longitude so that the
// grid's bilinear interpolation gives it exactly: seconds of arc.
double ShiftB(double lat, double lon) { return 11.5 + 0.3 * (lat - 35) - 0.2 * (lon - 139); }
double ShiftL(double lat, double lon) { return -12.25 + 0.1 * (lat - 35) + 0.45 * (lon - 139); }

// The same shift as a PROJ affine step on (longitude, latitude) in degrees.
std::string ShiftStep() {
  char step[512];
  std::snprintf(step, sizeof step,
                "+proj=affine +xoff=%.17g +s11=%.17g +s12=%.17g +yoff=%.17g +s21=%.17g +s22=%.17g",
                (-12.25 - 0.1 * 35 - 0.45 * 139) / 3600, 1 + 0.45 / 3600, 0.1 / 3600, (11.5 - 0.3 * 35 + 0.2 * 139) / 3600,
                -0.2 / 3600, 1 + 0.3 / 3600);
  return step;
}

// Third-order mesh cell code of cell row i (30" from the equator) and column j (45" from 100°E).
int32_t CellCode(int i, int j) {
  return (i / 80) * 1000000 + (j / 80) * 10000 + (i % 80 / 10) * 1000 + (j % 80 / 10) * 100 + (i % 10) * 10 + j % 10;
}

void WriteSyntheticGrid(const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  for (int i = static_cast<int>(35.5 * 120); i <= static_cast<int>(35.9 * 120); ++i) {
    for (int j = static_cast<int>(39.5 * 80); j <= static_cast<int>(40.1 * 80); ++j) {
      const double lat = i / 120.0, lon = 100 + j / 80.0;
      unsigned char bytes[kGridRecordSize];
      EncodeGridRecord({CellCode(i, j), {ShiftB(lat, lon), ShiftL(lat, lon)}}, bytes);
      out.write(reinterpret_cast<const char*>(bytes), sizeof bytes);
    }
  }
}

struct SourceData {
  std::vector<Point> line;    // one polyline
  std::vector<Point> points;  // separate point records
};

class PositionCrossCheck : public ImportScenario {
 protected:
  // Imports the data (made by GDAL with the options) and checks the new
  // map against PROJ's operation from the source coordinates to the target
  // plane. plane: the target is a plane rectangular system (decimal marker
  // texts), else latitude/longitude marker texts.
  void ImportAndCheck(const SourceData& data, const std::string& ogrOptions, std::vector<DialogAction> dialog,
                      const std::string& operation, double scale, bool plane, const std::string& toTargetGeographic) {
    std::vector<std::string> features{LineFeature(data.line, "{\"kind\":\"line\"}")};
    const std::string lines = folder / "lines.shp", points = folder / "points.shp";
    MakeShapefile(lines, FeatureCollection(features), ogrOptions);
    features.clear();
    for (const Point& p : data.points) features.push_back(PointFeature(p.first, p.second, "{\"kind\":\"point\"}"));
    MakeShapefile(points, FeatureCollection(features), ogrOptions);
    AnswerFiles({lines, points});
    AnswerCoords(std::move(dialog));
    ASSERT_TRUE(Import());
    ExpectCleanDialogs();
    ASSERT_TRUE(AlertTextsBesidesArtboardAdvice().empty()) << AlertTextsBesidesArtboardAdvice().front();

    // The extent and its centre, from the coordinates written.
    std::vector<Point> all = data.line;
    all.insert(all.end(), data.points.begin(), data.points.end());
    double xmin = 1e300, xmax = -1e300, ymin = 1e300, ymax = -1e300;
    for (const auto& [x, y] : all) {
      xmin = std::min(xmin, x);
      xmax = std::max(xmax, x);
      ymin = std::min(ymin, y);
      ymax = std::max(ymax, y);
    }
    const DataFrameParams frame = DocumentDataFrame(host);
    EXPECT_EQ(frame.scale, scale);
    const Point origin = ProjTransform(operation, (xmin + xmax) / 2, (ymin + ymax) / 2);
    EXPECT_NEAR(frame.originX, origin.first, kMillimetre);
    EXPECT_NEAR(frame.originY, origin.second, kMillimetre);
    worst = std::max({worst, std::fabs(frame.originX - origin.first), std::fabs(frame.originY - origin.second)});

    CheckMarkers(operation, toTargetGeographic, plane, xmin, xmax, ymin, ymax, scale);

    // Distances between drawn vertices, the line's and the points'.
    std::vector<AIRealPoint> drawn;
    std::vector<Point> expected;
    const std::vector<sim::Art*> lineArt = LayerArt(host, "lines");
    ASSERT_EQ(lineArt.size(), 1u);
    ASSERT_EQ(lineArt[0]->Segments().size(), data.line.size());
    for (size_t i = 0; i < data.line.size(); ++i) {
      drawn.push_back(lineArt[0]->Segments()[i].p);
      expected.push_back(ProjTransform(operation, data.line[i].first, data.line[i].second));
    }
    const std::vector<sim::Art*> pointArt = LayerArt(host, "points");
    ASSERT_EQ(pointArt.size(), data.points.size());
    for (size_t i = 0; i < data.points.size(); ++i) {
      // Later points lie on top: the layer lists them in reverse.
      const sim::Art& shape = *pointArt[data.points.size() - 1 - i];
      float left = 1e30f, right = -1e30f, bottom = 1e30f, top = -1e30f;
      for (const auto& s : shape.Segments()) {
        left = std::min(left, s.p.h);
        right = std::max(right, s.p.h);
        bottom = std::min(bottom, s.p.v);
        top = std::max(top, s.p.v);
      }
      EXPECT_NEAR(right - left, 2.5, 1e-3);
      drawn.push_back({(left + right) / 2, (bottom + top) / 2});
      expected.push_back(ProjTransform(operation, data.points[i].first, data.points[i].second));
    }
    for (size_t i = 0; i < drawn.size(); ++i) {
      for (size_t j = i + 1; j < drawn.size(); ++j) {
        const double want = std::hypot(expected[i].first - expected[j].first, expected[i].second - expected[j].second);
        const double got = ArtboardGround(drawn[i], drawn[j], scale);
        EXPECT_NEAR(got, want, kMillimetre) << i << "-" << j;
        worst = std::max(worst, std::fabs(got - want));
      }
    }
    std::printf("[ measured ] worst difference from PROJ: %.3f mm\n", worst * 1000);
  }

  void CheckMarkers(const std::string& operation, const std::string& toTargetGeographic, bool plane, double xmin,
                    double xmax, double ymin, double ymax, double scale) {
    const std::string& toCorner = plane ? operation : toTargetGeographic;
    const Point lowerLeft = ProjTransform(toCorner, xmin, ymin), upperLeft = ProjTransform(toCorner, xmin, ymax);
    const Point upperRight = ProjTransform(toCorner, xmax, ymax), lowerRight = ProjTransform(toCorner, xmax, ymin);
    const double west = std::min(lowerLeft.first, upperLeft.first), east = std::max(upperRight.first, lowerRight.first);
    const double south = std::min(lowerLeft.second, lowerRight.second);
    const double north = std::max(upperLeft.second, upperRight.second);
    struct Marker {
      const char* title;
      double north, east;
    };
    const Marker markers[] = {{"4点座標マーカー 左上", north, west},
                              {"4点座標マーカー 右上", north, east},
                              {"4点座標マーカー 左下", south, west},
                              {"4点座標マーカー 右下", south, east}};
    for (const Marker& marker : markers) {
      SCOPED_TRACE(marker.title);
      const std::string text = LayerText(host, marker.title);
      Point read;  // (north, east), metres on the plane or degrees
      if (plane) {
        read = MarkerNumbers(text);
      } else {
        int d1 = 0, m1 = 0, d2 = 0, m2 = 0;
        double s1 = 0, s2 = 0;
        ASSERT_EQ(std::sscanf(text.c_str(), "%d/%d/%lf&%d/%d/%lf", &d1, &m1, &s1, &d2, &m2, &s2), 6) << text;
        read = {d1 + m1 / 60.0 + s1 / 3600, d2 + m2 / 60.0 + s2 / 3600};
      }
      // Degrees are compared as ground distances: 1 mm is about 9e-9 degrees.
      const double unit = plane ? 1.0 : 111000.0;
      EXPECT_NEAR(read.first * unit, marker.north * unit, kMillimetre);
      EXPECT_NEAR(read.second * unit, marker.east * unit, kMillimetre);
      worst = std::max({worst, std::fabs(read.first - marker.north) * unit, std::fabs(read.second - marker.east) * unit});
    }
    // The markers sit where the map puts their coordinates: their distance
    // on the artboard is the ground distance between the corners.
    const auto anchor = [this](const char* title) { return LayerArt(host, title).front()->Extras().text.anchor; };
    const Point upperLeftPlane = plane ? Point{west, north} : ProjTransform(operation, west, north);
    const Point lowerRightPlane = plane ? Point{east, south} : ProjTransform(operation, east, south);
    const double want = std::hypot(upperLeftPlane.first - lowerRightPlane.first, upperLeftPlane.second - lowerRightPlane.second);
    const double got = ArtboardGround(anchor("4点座標マーカー 左上"), anchor("4点座標マーカー 右下"), scale);
    EXPECT_NEAR(got, want, kMillimetre);
  }

  double worst = 0;
};

// A line and points across the middle of Tokyo, about 4 km by 4 km.
const SourceData kTokyoLatLong{
    {{139.7400, 35.6600}, {139.7513, 35.6712}, {139.7621, 35.6655}, {139.7744, 35.6843}, {139.7801, 35.6990}},
    {{139.7450, 35.6950}, {139.7666, 35.6801}, {139.7790, 35.6620}}};

TEST_F(PositionCrossCheck, Jgd2000LatitudeLongitudeIntoAPlaneSystemMap) {
  ImportAndCheck(kTokyoLatLong, "-a_srs EPSG:4612",
                 {DialogAction::Click(coord_ids::kTargetPlane), DialogAction::Choose(coord_ids::kTargetSystem, 9),
                  DialogAction::SetText(coord_ids::kScale, "25000"), DialogAction::OK()},
                 FromDegrees(kPlane9Grs80), 25000, true, "");
  // North up: the map is turned by the meridian convergence at its centre.
  PJ_CONTEXT* context = proj_context_create();
  PJ* projection = proj_create(context, kPlane9Grs80);
  const PJ_FACTORS factors =
      proj_factors(projection, proj_coord(proj_torad(139.76005), proj_torad(35.6795), 0, 0));
  proj_destroy(projection);
  proj_context_destroy(context);
  EXPECT_NEAR(DocumentDataFrame(host).rotation, -proj_todeg(factors.meridian_convergence), 1e-6);
}

TEST_F(PositionCrossCheck, Jgd2000LatitudeLongitudeIntoAUtmMap) {
  ImportAndCheck(kTokyoLatLong, "-a_srs EPSG:4612",
                 {DialogAction::Click(coord_ids::kTargetUtm), DialogAction::Choose(coord_ids::kTargetZone, 54),
                  DialogAction::SetText(coord_ids::kScale, "25000"), DialogAction::OK()},
                 FromDegrees(kUtm54Grs80), 25000, false, "+proj=noop");
}

// A copy of the plug-in with a synthetic datum grid beside it.
class TokyoSourceCrossCheck : public PositionCrossCheck {
 protected:
  std::string PluginFile() const override {
    const std::string copy = folder / "Kartzmap.so";
    std::filesystem::copy_file(KZ_PLUGIN_FILE, copy, std::filesystem::copy_options::overwrite_existing);
    WriteSyntheticGrid(folder / "TKY2JGD_Win.dat");
    return copy;
  }
};

TEST_F(TokyoSourceCrossCheck, TokyoPlaneSystemThroughTheGridIntoAJgd2000PlaneMap) {
  const SourceData tokyoPlane{{{-9000, -37000}, {-8100, -36200}, {-7400, -36650}, {-6300, -35100}, {-5200, -34000}},
                              {{-8800, -34300}, {-6900, -35500}, {-5600, -36800}}};
  const std::string operation = "+proj=pipeline +step +inv " + std::string(kPlane9Bessel) +
                                " +step +proj=unitconvert +xy_in=rad +xy_out=deg +step " + ShiftStep() +
                                " +step +proj=unitconvert +xy_in=deg +xy_out=rad +step " + kPlane9Grs80;
  ImportAndCheck(tokyoPlane, "-a_srs EPSG:30169",
                 {DialogAction::Inspect([](const sim::DialogState& state) {
                    // The .prj's Tokyo plane system 9 is chosen for the user.
                    EXPECT_TRUE(state.Control(coord_ids::kSourceTokyo).checked);
                    EXPECT_TRUE(state.Control(coord_ids::kSourcePlane).checked);
                    EXPECT_EQ(state.Control(coord_ids::kSourceSystem).selection, 9);
                  }),
                  DialogAction::Click(coord_ids::kTargetPlane), DialogAction::Choose(coord_ids::kTargetSystem, 9),
                  DialogAction::SetText(coord_ids::kScale, "25000"), DialogAction::OK()},
                 operation, 25000, true, "");
}

// JGD2000 to JGD2011: a synthetic earthquake correction beside a copy of the
// plug-in, linear so that its bilinear interpolation is exact, and the same
// shift as a PROJ affine step (seconds of arc, on latitude and longitude).
double CorrectionB(double lat, double lon) { return -0.35 + 0.4 * (lat - 38) - 0.3 * (lon - 141); }
double CorrectionL(double lat, double lon) { return 0.62 - 0.2 * (lat - 38) + 0.5 * (lon - 141); }

std::string CorrectionStep() {
  char step[512];
  std::snprintf(step, sizeof step,
                "+proj=affine +xoff=%.17g +s11=%.17g +s12=%.17g +yoff=%.17g +s21=%.17g +s22=%.17g",
                (0.62 + 0.2 * 38 - 0.5 * 141) / 3600, 1 + 0.5 / 3600, -0.2 / 3600,
                (-0.35 - 0.4 * 38 + 0.3 * 141) / 3600, -0.3 / 3600, 1 + 0.4 / 3600);
  return step;
}

void WriteSyntheticCorrection(const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  for (int i = 0; i < 16; ++i) out << "header " << i + 1 << "\r\n";
  char line[80];
  for (int i = static_cast<int>(38.1 * 120); i <= static_cast<int>(38.4 * 120); ++i) {
    for (int j = static_cast<int>(40.7 * 80); j <= static_cast<int>(41.1 * 80); ++j) {
      const double lat = i / 120.0, lon = 100 + j / 80.0;
      std::snprintf(line, sizeof line, "%08d %.12f %.12f\r\n", CellCode(i, j), CorrectionB(lat, lon),
                    CorrectionL(lat, lon));
      out << line;
    }
  }
}

const char* const kPlane10Grs80 =
    "+proj=tmerc +lat_0=40 +lon_0=140.83333333333333 +k=0.9999 +x_0=0 +y_0=0 +a=6378137 +rf=298.257222101";

// A line and points across Sendai.
const SourceData kSendaiLatLong{
    {{140.8500, 38.2400}, {140.8632, 38.2511}, {140.8719, 38.2466}, {140.8850, 38.2650}, {140.8930, 38.2790}},
    {{140.8555, 38.2701}, {140.8781, 38.2602}, {140.8890, 38.2433}}};

class Jgd2011CrossCheck : public PositionCrossCheck {
 protected:
  std::string PluginFile() const override {
    const std::string copy = folder / "Kartzmap.so";
    std::filesystem::copy_file(KZ_PLUGIN_FILE, copy, std::filesystem::copy_options::overwrite_existing);
    WriteSyntheticCorrection(folder / "touhokutaiheiyouoki2011.par");
    return copy;
  }
};

TEST_F(Jgd2011CrossCheck, Jgd2000LatitudeLongitudeThroughTheCorrectionIntoAJgd2011PlaneMap) {
  const std::string operation = "+proj=pipeline +step " + CorrectionStep() +
                                " +step +proj=unitconvert +xy_in=deg +xy_out=rad +step " + kPlane10Grs80;
  ImportAndCheck(kSendaiLatLong, "-a_srs EPSG:4612",
                 {DialogAction::Click(coord_ids::kTargetJgd2011), DialogAction::Click(coord_ids::kTargetPlane),
                  DialogAction::Choose(coord_ids::kTargetSystem, 10), DialogAction::SetText(coord_ids::kScale, "10000"),
                  DialogAction::OK()},
                 operation, 10000, true, "");
  const DataFrameParams frame = DocumentDataFrame(host);
  EXPECT_EQ(frame.datum, kDatumJgd2011);
  EXPECT_EQ(frame.system, 10);
  EXPECT_EQ(LayerText(host, "Kartzmap DataFrame").rfind("D=JGD2011|P=XY10|", 0), 0u);
}

// Without the correction file the same import goes through unchanged
// coordinates, and the user is told once.
TEST_F(PositionCrossCheck, Jgd2000IntoJgd2011WithoutTheCorrectionIsToldOnce) {
  std::vector<std::string> features;
  for (const Point& p : kSendaiLatLong.points)
    features.push_back(PointFeature(p.first, p.second, "{\"kind\":\"point\"}"));
  const std::string points = folder / "points.shp", more = folder / "more.shp";
  MakeShapefile(points, FeatureCollection(features), "-a_srs EPSG:4612");
  MakeShapefile(more, FeatureCollection(features), "-a_srs EPSG:4612");
  AnswerFiles({points, more});
  AnswerCoords({DialogAction::Click(coord_ids::kTargetJgd2011), DialogAction::Click(coord_ids::kTargetPlane),
                DialogAction::Choose(coord_ids::kTargetSystem, 10), DialogAction::OK()});
  ASSERT_TRUE(Import());
  ExpectCleanDialogs();
  EXPECT_EQ(AlertTexts(),
            std::vector<std::string>{"東北地方太平洋沖地震の補正パラメータファイル「touhokutaiheiyouoki2011.par」が見つからないため、"
                                     "JGD2000とJGD2011の間は補正せずに変換します。補正地域では最大5m程度ずれることがあります。"});
  EXPECT_TRUE(ErrorTexts().empty());
  const DataFrameParams frame = DocumentDataFrame(host);
  EXPECT_EQ(frame.datum, kDatumJgd2011);
  // The centre of the data, projected as if on JGD2000.
  const Point origin = ProjTransform(FromDegrees(kPlane10Grs80), (140.8555 + 140.8890) / 2, (38.2433 + 38.2701) / 2);
  EXPECT_NEAR(frame.originX, origin.first, kMillimetre);
  EXPECT_NEAR(frame.originY, origin.second, kMillimetre);
}

}  // namespace
