// KML that the other import tests leave out: tracks as GPS converters write
// them, files cut short or nested past the reader's depth, holes wound like
// their outer ring, and the area limit on polygons inside, outside and
// across it, each checked against what GDAL reads from the same file.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "ImportCheck.h"
#include "resources/DialogIds.h"

namespace {

namespace coord_ids = dialog_ids::import_coord;
using namespace importtest;
using importcheck::Point;
using sim::DialogAction;

class KmlLoss : public importcheck::KmlScenario {};

// As GPS converters write a recorded track: times, then "lon lat alt" tuples.
const char* const kTracks =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<kml xmlns=\"http://www.opengis.net/kml/2.2\" xmlns:gx=\"http://www.google.com/kml/ext/2.2\">\n"
    "<Document><name>GPS</name>\n"
    "<Placemark><name>走行1</name>\n"
    "<gx:Track>\n"
    "<when>2020-05-01T00:00:00Z</when><when>2020-05-01T00:01:00Z</when><when>2020-05-01T00:02:00Z</when>\n"
    "<gx:coord>139.7400 35.6600 10</gx:coord>\n"
    "<gx:coord>139.7513 35.6712 11.5</gx:coord>\n"
    "<gx:coord>139.7621 35.6655 12</gx:coord>\n"
    "<ExtendedData><SchemaData schemaUrl=\"#hr\"><gx:SimpleArrayData name=\"hr\"><gx:value>90</gx:value>"
    "<gx:value>95</gx:value><gx:value>99</gx:value></gx:SimpleArrayData></SchemaData></ExtendedData>\n"
    "</gx:Track>\n"
    "</Placemark>\n"
    "<Placemark><name>走行2</name>\n"
    "<gx:MultiTrack><altitudeMode>absolute</altitudeMode><gx:interpolate>0</gx:interpolate>\n"
    "<gx:Track><when>2020-05-01T00:00:00Z</when><when>2020-05-01T00:01:00Z</when>\n"
    "<gx:coord>139.7744 35.6843 0</gx:coord><gx:coord>139.7801 35.6990 0</gx:coord></gx:Track>\n"
    "<gx:Track><when>2020-05-01T01:00:00Z</when><when>2020-05-01T01:01:00Z</when>\n"
    "<gx:coord>139.7450 35.6750 0</gx:coord><gx:coord>139.7700 35.6950 0</gx:coord></gx:Track>\n"
    "</gx:MultiTrack>\n"
    "</Placemark>\n"
    "</Document></kml>\n";

TEST_F(KmlLoss, TracksAreDrawnAsTheLinesGdalReads) {
  const std::string kml = Write("tracks.kml", kTracks);
  const std::vector<importcheck::OgrFeature> features = importcheck::OgrFeatures(kml);
  ASSERT_EQ(features.size(), 2u);
  ImportPlane9(kml);
  EXPECT_TRUE(AlertTextsBesidesArtboardAdvice().empty()) << AlertTextsBesidesArtboardAdvice().front();
  const std::vector<sim::Art*> art = Drawn("GPS");
  ASSERT_EQ(art.size(), 2u);
  std::vector<AIRealPoint> drawn;
  std::vector<Point> geographic;
  for (size_t i = 0; i < art.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(importcheck::Value(*StoredRow(*art[i]), "Name"), features[i].fields.at("Name").value);
    const std::vector<sim::Art*> paths =
        art[i]->type == kCompoundPathArt ? std::vector<sim::Art*>(art[i]->children.begin(), art[i]->children.end())
                                         : std::vector<sim::Art*>{art[i]};
    ASSERT_EQ(paths.size(), features[i].parts.size()) << features[i].geometry;
    for (size_t part = 0; part < paths.size(); ++part) {
      const sim::Art& path = *paths[paths.size() - 1 - part];
      EXPECT_FALSE(path.closed);
      const std::vector<AIRealPoint> anchors = importcheck::Anchors(path);
      ASSERT_EQ(anchors.size(), features[i].parts[part].size());
      drawn.insert(drawn.end(), anchors.begin(), anchors.end());
      geographic.insert(geographic.end(), features[i].parts[part].begin(), features[i].parts[part].end());
    }
  }
  EXPECT_LT(importcheck::WorstDistanceError(drawn, geographic, importcheck::kToPlane9, kScale), kMillimetre);
}

std::string PointPlacemark(const std::string& name, double x, double y) {
  return "<Placemark><name>" + name + "</name><Point><coordinates>" + std::to_string(x) + "," + std::to_string(y) +
         "</coordinates></Point></Placemark>\n";
}

TEST_F(KmlLoss, AFileCutShortIsReportedWhereItEnds) {
  std::string line;
  for (int i = 0; i < 21; ++i) line += std::to_string(139.74 + 0.001 * i) + "," + std::to_string(35.66 + 0.0005 * i) + " ";
  std::string whole = "<?xml version=\"1.0\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\"><Document>\n" +
                      PointPlacemark("前", 139.74, 35.66) + "<Placemark><name>線</name><LineString><coordinates>\n" + line +
                      "\n</coordinates></LineString></Placemark>\n" + PointPlacemark("後", 139.75, 35.67) +
                      "</Document></kml>\n";
  // Cut after the fourteenth tuple of the line.
  size_t cut = whole.find("<coordinates>\n") + 14;
  for (int tuples = 0; tuples < 14; ++tuples) cut = whole.find(' ', cut) + 1;
  const std::string kml = Write("cut.kml", whole.substr(0, cut));
  const CommandResult lines = RunMerged("wc -l < " + Quote(kml));
  ASSERT_EQ(lines.status, 0);
  const long endLine = std::stol(lines.out) + 1;  // the line the file ends in has no line end

  ImportPlane9(kml);
  // The whole placemark before the cut stands; the cut one is left out and said.
  const std::vector<sim::Art*> art = Drawn("cut");
  ASSERT_EQ(art.size(), 1u);
  EXPECT_EQ(importcheck::Value(*StoredRow(*art[0]), "Name"), "前");
  EXPECT_EQ(AlertTexts(), (std::vector<std::string>{"cut.kml は " + std::to_string(endLine) +
                                                    " 行目で途切れていて、壊れています。途切れたプレースマーク 1 個を除き、そこまでを読み込みました"}));
}

TEST_F(KmlLoss, ContentNestedPastTheDepthLimitIsReported) {
  std::string kml = "<kml><Document>" + PointPlacemark("浅い", 139.74, 35.66);
  // kml and Document take two levels; 300 folders reach past 256.
  for (int i = 0; i < 300; ++i) kml += "<Folder>";
  kml += "<visibility/>" + PointPlacemark("深い", 139.75, 35.67);
  for (int i = 0; i < 300; ++i) kml += "</Folder>";
  kml += "</Document></kml>\n";
  ImportPlane9(Write("deep.kml", kml));
  // Past 256 open elements: 46 folders, an empty element, then Placemark, name, Point, coordinates.
  EXPECT_EQ(AlertTexts(), (std::vector<std::string>{"deep.kml の 256 段より深く入れ子になった要素 51 個は読み込んでいません"}));
}

TEST_F(KmlLoss, AHoleWoundLikeItsOuterRingIsStillAHole) {
  // Both rings counter-clockwise, as some writers leave them.
  const std::string kml = Write("park.kml",
                                "<kml><Placemark><name>池</name><Polygon><outerBoundaryIs><LinearRing><coordinates>"
                                "139.70,35.60 139.73,35.60 139.73,35.62 139.70,35.62 139.70,35.60</coordinates></LinearRing>"
                                "</outerBoundaryIs><innerBoundaryIs><LinearRing><coordinates>139.71,35.605 139.72,35.605 "
                                "139.72,35.61 139.71,35.61 139.71,35.605</coordinates></LinearRing></innerBoundaryIs>"
                                "</Polygon></Placemark></kml>");
  ImportPlane9(kml);
  const std::vector<sim::Art*> art = Drawn("park");
  ASSERT_EQ(art.size(), 1u);
  ASSERT_EQ(art[0]->type, kCompoundPathArt);
  ASSERT_EQ(art[0]->children.size(), 2u);
  for (const sim::Art* ring : art[0]->children) EXPECT_TRUE(ring->Style().evenOdd);
}

TEST_F(KmlLoss, ValuesChangedToFitTheirSchemaFieldAreCounted) {
  std::string kml = "<kml><Document><Schema name=\"s\" id=\"s\"><SimpleField name=\"人口\" type=\"int\"/></Schema>\n";
  for (const char* value : {"100", "abc", "2.5", "-7"}) {
    kml += std::string("<Placemark><ExtendedData><SchemaData schemaUrl=\"#s\"><SimpleData name=\"人口\">") + value +
           "</SimpleData></SchemaData></ExtendedData><Point><coordinates>139.74,35.66</coordinates></Point></Placemark>\n";
  }
  ImportPlane9(Write("schema.kml", kml + "</Document></kml>\n"));
  // "abc" is no number and 2.5 no integer; 100 and -7 are kept as given.
  EXPECT_EQ(AlertTexts(), (std::vector<std::string>{"schema.kml の値のうち 2 個は、数値でないかフィールドの桁数に収まらないため、収まる値に変えて読み込みました"}));
}

std::string PolygonPlacemark(const std::string& name, double west, double south, double east, double north) {
  char coordinates[256];
  std::snprintf(coordinates, sizeof coordinates, "%.4f,%.4f %.4f,%.4f %.4f,%.4f %.4f,%.4f %.4f,%.4f", west, south, east,
                south, east, north, west, north, west, south);
  return "<Placemark><name>" + name + "</name><Polygon><outerBoundaryIs><LinearRing><coordinates>" + coordinates +
         "</coordinates></LinearRing></outerBoundaryIs></Polygon></Placemark>\n";
}

TEST_F(KmlLoss, AreaKeepsThePolygonsGdalsSpatialFilterKeeps) {
  // The area: 35.60-35.70 N, 139.70-139.80 E.
  const std::string kml = Write(
      "area.kml", "<kml><Document>\n" + PolygonPlacemark("内", 139.72, 35.62, 139.74, 35.64) +
                      PolygonPlacemark("外", 139.82, 35.62, 139.84, 35.64) +
                      PolygonPlacemark("西に跨る", 139.68, 35.65, 139.71, 35.66) +
                      PolygonPlacemark("北に跨る", 139.75, 35.69, 139.76, 35.72) +
                      PolygonPlacemark("囲む", 139.60, 35.50, 139.90, 35.80) +
                      PolygonPlacemark("南の外", 139.75, 35.50, 139.76, 35.59) + "</Document></kml>\n");
  std::vector<std::string> expected;
  for (const auto& feature : importcheck::OgrFeatures(kml, "-spat 139.70 35.60 139.80 35.70")) {
    expected.push_back(feature.fields.at("Name").value);
  }
  ASSERT_EQ(expected.size(), 4u);
  AnswerFiles({kml});
  AnswerCoords({DialogAction::Check(coord_ids::kLimitArea, true),
                DialogAction::SetText(coord_ids::kNorthWest, "35.70,139.70"),
                DialogAction::SetText(coord_ids::kSouthEast, "35.60,139.80"),
                DialogAction::Click(coord_ids::kTargetPlane), DialogAction::Choose(coord_ids::kTargetSystem, 9),
                DialogAction::SetText(coord_ids::kScale, "5000"), DialogAction::OK()});
  ASSERT_TRUE(ImportItem(kKmlItem));
  ExpectCleanDialogs();
  std::vector<std::string> names;
  for (const sim::Art* art : Drawn("area")) names.push_back(importcheck::Value(*StoredRow(*art), "Name"));
  EXPECT_EQ(names, expected);
}

}  // namespace
