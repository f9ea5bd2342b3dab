#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "geodesy/Angles.h"
#include "geodesy/CoordConverter.h"
#include "georef/CoordMarkers.h"
#include "georef/DataFrame.h"
#include "georef/GeorefLayers.h"
#include "host/ATEParaFeaturesSuite.h"
#include "georef/GeorefHostTest.h"
#include "support/Process.h"

namespace {

class CoordMarkersTest : public kztest::GeorefHostTest {
 protected:
  void AddMarker(const char* title, AIRealPoint anchor, const std::string& text) {
    sim::Layer& layer = Sim().AddLayer(title);
    Sim().AddPointText(*layer.group, anchor, text);
  }
  std::vector<std::string> LayerTitles() {
    std::vector<std::string> titles;
    for (const sim::Layer* layer : Sim().CurrentDocument()->layers) titles.push_back(sim::Host::Title(*layer));
    return titles;
  }
  const sim::Art& MarkerText(const char* title) {
    const sim::Layer* layer = Sim().FindLayer(title);
    EXPECT_NE(layer, nullptr) << title;
    EXPECT_FALSE(layer->group->children.empty()) << title;
    return *layer->group->children.front();
  }
};

TEST_F(CoordMarkersTest, MarkerLayersAreMadeBelowAllInTheirOrder) {
  Sim().AddLayer("道路");
  std::array<AILayerHandle, 4> layers{};
  ASSERT_EQ(CreateFourPointMarkerLayers(&layers), kNoErr);
  EXPECT_EQ(LayerTitles(), (std::vector<std::string>{"道路", "4点座標マーカー 右下", "4点座標マーカー 左下",
                                                     "4点座標マーカー 右上", "4点座標マーカー 左上"}));
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(sim::Host::Title(*Sim().LayerOf(layers[i])), kFourPointMarkerTitles[i]);
  }

  Sim().NewDocument();
  ASSERT_EQ(CreateThreePointMarkerLayers(), kNoErr);
  EXPECT_EQ(LayerTitles(),
            (std::vector<std::string>{"3点座標マーカー 1/3", "3点座標マーカー 2/3", "3点座標マーカー 3/3"}));
}

TEST_F(CoordMarkersTest, FindMarkerSetNeedsEveryLayerOfASet) {
  int kind = -1;
  EXPECT_FALSE(FindMarkerSet(kind));
  ASSERT_EQ(CreateThreePointMarkerLayers(), kNoErr);
  ASSERT_TRUE(FindMarkerSet(kind));
  EXPECT_EQ(kind, MarkerSet::kThreePoint);
  for (int i = 0; i < 3; ++i) Sim().AddLayer(kFourPointMarkerTitles[i]);
  ASSERT_TRUE(FindMarkerSet(kind));
  EXPECT_EQ(kind, MarkerSet::kThreePoint);
  Sim().AddLayer(kFourPointMarkerTitles[3]);
  ASSERT_TRUE(FindMarkerSet(kind));
  EXPECT_EQ(kind, MarkerSet::kFourPoint);
  Sim().CloseDocument();
  EXPECT_FALSE(FindMarkerSet(kind));
}

TEST_F(CoordMarkersTest, ReadsAFourPointSetInDegreesMinutesSeconds) {
  AddMarker("4点座標マーカー 左上", {100, 900}, "35/45/0.000000&139/30/0.000000");
  AddMarker("4点座標マーカー 右上", {600, 900}, "35/45/0.000000&139/45/0.000000");
  AddMarker("4点座標マーカー 左下", {100, 200}, "35/30/0.000000&139/30/0.000000");
  AddMarker("4点座標マーカー 右下", {600, 200}, "35/30/0.000000&139/45/0.000000");
  MarkerSet set;
  MarkerTexts texts;
  ASSERT_TRUE(ReadMarkerSet(set, texts));
  EXPECT_EQ(set.kind, MarkerSet::kFourPoint);
  const double expectX[] = {139.5, 139.5, 139.75, 139.75};
  const double expectY[] = {35.5, 35.75, 35.75, 35.5};
  const float anchorX[] = {100, 100, 600, 600};
  const float anchorY[] = {200, 900, 900, 200};
  for (int i = 0; i < 4; ++i) {
    EXPECT_DOUBLE_EQ(set.map[i].x, expectX[i]) << i;
    EXPECT_DOUBLE_EQ(set.map[i].y, expectY[i]) << i;
    EXPECT_EQ(set.anchors[i].x, anchorX[i]) << i;
    EXPECT_EQ(set.anchors[i].y, anchorY[i]) << i;
  }
  EXPECT_EQ(texts[0].northing, "35/30/0.000000");
  EXPECT_EQ(texts[0].easting, "139/30/0.000000");
  EXPECT_EQ(texts[2].easting, "139/45/0.000000");
  MapTransform transform;
  ASSERT_TRUE(transform.SetFromMarkers(set));
  double x = 0, y = 0;
  transform.ArtboardToMap(350, 550, x, y);
  EXPECT_NEAR(x, 139.625, 1e-12);
  EXPECT_NEAR(y, 35.625, 1e-12);
  EXPECT_EQ(Sim().OutstandingReferences(), 0u);
}

TEST_F(CoordMarkersTest, FourPointSetsThatAreNotARectangleOrNotReadable) {
  struct Case {
    const char* what;
    const char* upperRight;
  };
  const Case cases[] = {
      {"upper y differs by the least amount", "-3000.000001&-34000.000000"},
      {"upper right x differs", "-3000.000000&-34000.5"},
      {"no &", "-3000.000000 -34000.000000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Sim().NewDocument();
    AddMarker("4点座標マーカー 左下", {0, 0}, "-6000.000000&-36000.000000");
    AddMarker("4点座標マーカー 左上", {0, 100}, "-3000.000000&-36000.000000");
    AddMarker("4点座標マーカー 右上", {100, 100}, c.upperRight);
    AddMarker("4点座標マーカー 右下", {100, 0}, "-6000.000000&-34000.000000");
    MarkerSet set;
    MarkerTexts texts;
    EXPECT_FALSE(ReadMarkerSet(set, texts));
  }
  // A marker layer whose first child is not a text.
  Sim().NewDocument();
  for (const char* title : kFourPointMarkerTitles) AddMarker(title, {0, 0}, "1&1");
  sim::Layer* layer = Sim().FindLayer(kFourPointMarkerTitles[2]);
  Sim().AddPath(*layer->group, {{0, 0}, {1, 1}}, false);
  std::swap(layer->group->children.front(), layer->group->children.back());
  MarkerSet set;
  MarkerTexts texts;
  EXPECT_FALSE(ReadMarkerSet(set, texts));
}

TEST_F(CoordMarkersTest, ThreePointSets) {
  AddMarker("3点座標マーカー 1/3", {100, 100}, "-5000.000000&-35000.000000");
  AddMarker("3点座標マーカー 2/3", {700, 180}, "-4000.000000&-33000.000000");
  AddMarker("3点座標マーカー 3/3", {250, 900}, "-1000.000000&-34500.000000");
  MarkerSet set;
  MarkerTexts texts;
  texts[3] = {"left", "over"};
  ASSERT_TRUE(ReadMarkerSet(set, texts));
  EXPECT_EQ(set.kind, MarkerSet::kThreePoint);
  EXPECT_EQ(set.map[0].x, -35000);
  EXPECT_EQ(set.map[0].y, -5000);
  EXPECT_EQ(set.anchors[2].x, 250);
  EXPECT_TRUE(texts[3].northing.empty());
  EXPECT_TRUE(texts[3].easting.empty());
  MapTransform transform;
  EXPECT_TRUE(transform.SetFromMarkers(set));

  // Collinear anchors fix no mapping: the set is not usable, like a missing one.
  Sim().NewDocument();
  AddMarker("3点座標マーカー 1/3", {100, 100}, "-5000.000000&-35000.000000");
  AddMarker("3点座標マーカー 2/3", {200, 200}, "-4000.000000&-33000.000000");
  AddMarker("3点座標マーカー 3/3", {400, 400}, "-1000.000000&-34500.000000");
  set = {};
  EXPECT_FALSE(ReadMarkerSet(set, texts));
}

// A 1:25000 frame centred on the test area (x -36000..-31000, y -9000..-3000
// in the converter's source), written with import markers at its corners.
void FrameWithImportMarkers(CoordConverter& converter, const CoordRef& target, MapTransform& transform) {
  const double xmin = -36000, xmax = -31000, ymin = -9000, ymax = -3000;
  DataFrameParams frame;
  frame.datum = target.datum;
  frame.kind = target.kind;
  frame.system = target.system;
  frame.zone = target.zone;
  frame.scale = 25000;
  frame.anchorX = 297.5f;
  frame.anchorY = 421;
  ASSERT_TRUE(converter.Convert((xmin + xmax) / 2, (ymin + ymax) / 2, frame.originX, frame.originY));
  ASSERT_TRUE(transform.SetFromDataFrame(frame));
  ASSERT_EQ(WriteDataFrame(frame), kNoErr);
  ASSERT_EQ(PlaceImportMarkers(converter, transform, xmin, xmax, ymin, ymax), kNoErr);
}

// The import of a new map: a data frame centred on the area, then the four
// markers at its corners.
struct PlacementCase {
  const char* name;
  CoordRef target;
};

void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.name; }

class PlaceImportMarkersTest : public CoordMarkersTest, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(PlaceImportMarkersTest, MarkersSitWhereTheFrameMapsTheirCorners) {
  const CoordRef source{2, 3, 9, 0};
  const CoordRef target = GetParam().target;
  CoordConverter converter;
  ASSERT_TRUE(converter.Configure(source, target));
  const double xmin = -36000, xmax = -31000, ymin = -9000, ymax = -3000;
  MapTransform transform;
  ASSERT_NO_FATAL_FAILURE(FrameWithImportMarkers(converter, target, transform));

  const bool plane = target.kind == kKindPlane;
  // Corners in the target reference (plane metres, or longitude/latitude).
  std::array<Point2D, 4> corners;
  const Point2D area[4] = {{xmin, ymin}, {xmin, ymax}, {xmax, ymax}, {xmax, ymin}};
  for (int i = 0; i < 4; ++i) {
    if (plane) {
      ASSERT_TRUE(converter.Convert(area[i].x, area[i].y, corners[i].x, corners[i].y));
    } else {
      ASSERT_TRUE(converter.ToGeographic(area[i].y, area[i].x, corners[i].y, corners[i].x));
    }
  }
  const double west = std::min(corners[0].x, corners[1].x), east = std::max(corners[2].x, corners[3].x);
  const double south = std::min(corners[0].y, corners[3].y), north = std::max(corners[1].y, corners[2].y);
  const Point2D expect[4] = {{west, south}, {west, north}, {east, north}, {east, south}};

  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(kFourPointMarkerTitles[i]);
    const sim::Art& text = MarkerText(kFourPointMarkerTitles[i]);
    char wanted[200];
    if (plane) {
      std::snprintf(wanted, sizeof wanted, "%f&%f", expect[i].y, expect[i].x);
    } else {
      const Dms lat = DegreesToDms(expect[i].y, 5);
      const Dms lon = DegreesToDms(expect[i].x, 5);
      std::snprintf(wanted, sizeof wanted, "%d/%d/%f&%d/%d/%f", lat.degrees, lat.minutes, lat.seconds, lon.degrees,
                    lon.minutes, lon.seconds);
    }
    EXPECT_EQ(sim::Host::Text(text), wanted);
    ASSERT_TRUE(text.Extras().text.fillAssigned);
    EXPECT_EQ(text.Extras().text.fill.kind, kFourColor);
    EXPECT_EQ(text.Extras().text.fill.c.f.black, 1.0f);
    ASSERT_TRUE(text.Extras().text.justificationAssigned);
    EXPECT_EQ(text.Extras().text.justification, i < 2 ? kRightJustify : kLeftJustify);

    // Back from the artboard through the data frame lands on the corner.
    double mapX = 0, mapY = 0;
    ASSERT_TRUE(transform.ArtboardToMap(text.Extras().text.anchor.h, text.Extras().text.anchor.v, mapX, mapY));
    Point2D reached{mapX, mapY};
    if (!plane) {
      CoordConverter back;
      CoordRef frameRef = target;
      if (frameRef.kind == kKindLatLong) frameRef.kind = kKindLatLongPlane;
      ASSERT_TRUE(back.Configure(frameRef, CoordRef{target.datum, kKindLatLong, 0, 0}));
      ASSERT_TRUE(back.ToGeographic(mapY, mapX, reached.y, reached.x));
    }
    // Single-precision artboard points at 1:25000: a few centimetres, or ~1e-6°.
    const double tolerance = plane ? 0.05 : 1e-6;
    EXPECT_NEAR(reached.x, expect[i].x, tolerance);
    EXPECT_NEAR(reached.y, expect[i].y, tolerance);
  }

  MarkerSet set;
  MarkerTexts texts;
  ASSERT_TRUE(ReadMarkerSet(set, texts));
  EXPECT_EQ(set.kind, MarkerSet::kFourPoint);
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(set.map[i].x, expect[i].x, plane ? 1e-6 : 1e-8) << i;
    EXPECT_NEAR(set.map[i].y, expect[i].y, plane ? 1e-6 : 1e-8) << i;
  }
  MapTransform fromMarkers;
  EXPECT_TRUE(fromMarkers.SetFromMarkers(set));
  EXPECT_EQ(Sim().OutstandingReferences(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Targets, PlaceImportMarkersTest,
                         ::testing::Values(PlacementCase{"PlaneSameSystem", {2, 3, 9, 0}},
                                           PlacementCase{"PlaneOtherSystem", {2, 3, 10, 0}},
                                           PlacementCase{"LatLong", {2, 1, 0, 0}},
                                           PlacementCase{"Utm", {2, 2, 0, 54}}),
                         [](const auto& info) { return std::string(info.param.name); });

// PROJ's reading of points: one "x y" line in, one "x y" line out.
std::vector<std::vector<double>> Cs2cs(const std::string& arguments, const std::string& points) {
  const kztest::CommandResult run = kztest::RunShell("cs2cs -f %.12f " + arguments, points);
  EXPECT_EQ(run.status, 0) << run.err;
  std::istringstream out(run.out);
  std::vector<std::vector<double>> rows;
  double x = 0, y = 0, z = 0;
  while (out >> x >> y >> z) rows.push_back({x, y});
  return rows;
}

// Corners on the Tokyo datum, markers in JGD2000 degrees: the markers carry
// the datum shift (outside the grid, the geocentric one, as PROJ computes it).
TEST_F(CoordMarkersTest, ImportMarkersCarryTheDatumShift) {
  CoordConverter converter;
  converter.UseDatumGrid(DatumGrid{});
  const CoordRef target{2, 1, 0, 0};
  ASSERT_TRUE(converter.Configure(CoordRef{1, 3, 9, 0}, target));
  const double xmin = -36000, xmax = -31000, ymin = -9000, ymax = -3000;
  MapTransform transform;
  ASSERT_NO_FATAL_FAILURE(FrameWithImportMarkers(converter, target, transform));

  char points[400];
  std::snprintf(points, sizeof points, "%f %f\n%f %f\n%f %f\n%f %f\n", xmin, ymin, xmin, ymax, xmax, ymax, xmax, ymin);
  const auto corners =
      Cs2cs("+proj=tmerc +lat_0=36 +lon_0=139.833333333333333 +k=0.9999 +x_0=0 +y_0=0 +a=6377397.155 "
            "+rf=299.152813 +towgs84=-146.414,507.337,680.507 +to +proj=longlat +a=6378137 +rf=298.257222101 "
            "+towgs84=0,0,0",
            points);
  ASSERT_EQ(corners.size(), 4u);
  const double west = std::min(corners[0][0], corners[1][0]), east = std::max(corners[2][0], corners[3][0]);
  const double south = std::min(corners[0][1], corners[3][1]), north = std::max(corners[1][1], corners[2][1]);
  const double expected[4][2] = {{west, south}, {west, north}, {east, north}, {east, south}};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(kFourPointMarkerTitles[i]);
    int latD = 0, latM = 0, lonD = 0, lonM = 0;
    double latS = 0, lonS = 0;
    ASSERT_EQ(std::sscanf(sim::Host::Text(MarkerText(kFourPointMarkerTitles[i])).c_str(), "%d/%d/%lf&%d/%d/%lf", &latD,
                          &latM, &latS, &lonD, &lonM, &lonS),
              6);
    // PROJ's geocentric shift and ours agree within a few centimetres.
    EXPECT_NEAR(latD + latM / 60.0 + latS / 3600, expected[i][1], 5e-7);
    EXPECT_NEAR(lonD + lonM / 60.0 + lonS / 3600, expected[i][0], 5e-7);
  }
}

}  // namespace
