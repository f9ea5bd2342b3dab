// The KML import as the host runs it, on a file that GDAL's KML driver wrote
// from GDAL-made Shapefiles and on a file in the layout Google Earth writes:
// folders become sublayers, names, descriptions and extended data equal what
// ogrinfo reads, vertices lie where PROJ puts them (to 1 mm), and styles
// give stroke, fill and opacity.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "ImportCheck.h"
#include "resources/DialogIds.h"

namespace {

namespace coord_ids = dialog_ids::import_coord;
using namespace importtest;
using importcheck::Point;
using sim::DialogAction;

class KmlImport : public importcheck::KmlScenario {};

// Points, a line and a polygon with a hole across the middle of Tokyo.
const std::vector<Point> kPoints{{139.7400, 35.6600}, {139.7513, 35.6712}};
const std::vector<Point> kLine{{139.7621, 35.6655}, {139.7744, 35.6843}, {139.7801, 35.6990}};
const std::vector<std::vector<Point>> kPolygon{{{139.745, 35.675}, {139.770, 35.675}, {139.770, 35.695}, {139.745, 35.695}},
                                               {{139.750, 35.680}, {139.760, 35.680}, {139.755, 35.690}}};

std::string GdalKml(const ScratchFolder& folder) {
  const std::string shapes = folder / "shapes";
  std::filesystem::create_directory(shapes);
  const std::string options = "-a_srs EPSG:4326 -lco ENCODING=UTF-8";
  MakeShapefile(shapes + "/p.shp",
                FeatureCollection({PointFeature(kPoints[0].first, kPoints[0].second,
                                                R"({"Name":"東京タワー","人口":100,"面積":1.5})"),
                                   PointFeature(kPoints[1].first, kPoints[1].second,
                                                R"({"Name":"大阪 \"城\" & <門>","人口":-7,"面積":0.125})")}),
                options);
  MakeShapefile(shapes + "/l.shp", FeatureCollection({LineFeature(kLine, R"({"Name":"線路","長さ":12.5})")}), options);
  MakeShapefile(shapes + "/a.shp", FeatureCollection({PolygonFeature(kPolygon, R"({"Name":"穴あき","コード":3})")}),
                options);
  const std::string kml = folder / "gdal.kml";
  const CommandResult made = RunMerged("ogr2ogr -f KML " + Quote(kml) + " " + Quote(shapes));
  EXPECT_EQ(made.status, 0) << made.out;
  return kml;
}

TEST_F(KmlImport, GdalFileImportsCompletely) {
  const std::string kml = GdalKml(folder);
  const std::vector<importcheck::OgrFeature> features = importcheck::OgrFeatures(kml);
  ASSERT_EQ(features.size(), 4u);
  ImportPlane9(kml);
  ASSERT_TRUE(AlertTextsBesidesArtboardAdvice().empty()) << AlertTextsBesidesArtboardAdvice().front();

  // The document has no name: the import layer keeps the file's; each
  // GDAL layer is a folder, and a sublayer.
  EXPECT_EQ(SublayerTitles("gdal"), (std::vector<std::string>{"p", "l", "a"}));
  EXPECT_EQ(CurrentLayerTitle(), "gdal");

  std::vector<AIRealPoint> drawn;
  std::vector<Point> geographic;
  size_t feature = 0;
  for (const char* layer : {"p", "l", "a"}) {
    SCOPED_TRACE(layer);
    for (sim::Art* art : Drawn(layer)) {
      ASSERT_LT(feature, features.size());
      const importcheck::OgrFeature& ogr = features[feature++];
      EXPECT_EQ(ogr.layer, layer);
      const auto row = StoredRow(*art);
      ASSERT_TRUE(row);
      // Name and description as ogrinfo reads them, then the schema's fields typed.
      EXPECT_EQ(importcheck::Value(*row, "Name"), ogr.fields.count("Name") ? ogr.fields.at("Name").value : "");
      EXPECT_EQ(importcheck::Value(*row, "Desc"), "");
      for (const auto& [name, field] : ogr.fields) {
        if (name == "Name" || name == "tessellate" || name == "extrude" || name == "visibility" || name == "Style") {
          continue;
        }
        SCOPED_TRACE(name);
        const std::string value = importcheck::Value(*row, name);
        if (field.type == "Real") {
          EXPECT_DOUBLE_EQ(std::stod(value), std::stod(field.value));
        } else {
          EXPECT_EQ(value, field.value);
        }
        for (const auto& stored : *row) {
          if (stored.name == name) EXPECT_EQ(stored.type, field.type == "Integer" ? 1 : field.type == "Real" ? 2 : 0);
        }
      }
      // Vertices in the order ogrinfo reads them.
      if (ogr.geometry == "POINT") {
        drawn.push_back(importcheck::Centre(*art));
        geographic.push_back(ogr.parts.at(0).at(0));
        continue;
      }
      const std::vector<sim::Art*> paths = art->type == kCompoundPathArt ? std::vector<sim::Art*>(art->children.begin(), art->children.end()) : std::vector<sim::Art*>{art};
      ASSERT_EQ(paths.size(), ogr.parts.size());
      for (size_t part = 0; part < paths.size(); ++part) {
        const sim::Art& path = *paths[paths.size() - 1 - part];  // the first part lies at the bottom
        if (art->type == kCompoundPathArt) EXPECT_TRUE(StoredRow(path));
        std::vector<Point> ring = ogr.parts[part];
        if (path.closed) ring.pop_back();  // a closed path does not repeat its first point
        const std::vector<AIRealPoint> anchors = importcheck::Anchors(path);
        drawn.insert(drawn.end(), anchors.begin(), anchors.end());
        geographic.insert(geographic.end(), ring.begin(), ring.end());
        // GDAL's style: a red line, no fill.
        EXPECT_EQ(path.Style().stroke.color.kind, kThreeColor);
        EXPECT_EQ(path.Style().stroke.color.c.rgb.red, 1);
        EXPECT_EQ(path.Style().stroke.color.c.rgb.blue, 0);
        EXPECT_FALSE(path.Style().fillPaint);
        EXPECT_TRUE(path.Style().strokePaint);
      }
    }
  }
  EXPECT_EQ(feature, features.size());
  // The polygon with its hole is one compound path of two closed paths.
  ASSERT_EQ(Drawn("a").size(), 1u);
  EXPECT_EQ(Drawn("a")[0]->type, kCompoundPathArt);
  const double worst = importcheck::WorstDistanceError(drawn, geographic, importcheck::kToPlane9, kScale);
  EXPECT_LT(worst, kMillimetre);
  std::printf("[ measured ] %zu vertices, worst distance difference from PROJ: %.3f mm\n", drawn.size(), worst * 1000);
}

const char* const kEarthKml = R"(<?xml version="1.0" encoding="UTF-8"?>
<kml xmlns="http://www.opengis.net/kml/2.2" xmlns:gx="http://www.google.com/kml/ext/2.2">
<Document>
	<name>散歩の記録</name>
	<Style id="s_park">
		<LineStyle>
			<color>ff00aa00</color>
			<width>2.5</width>
		</LineStyle>
		<PolyStyle>
			<color>7f00ff00</color>
		</PolyStyle>
	</Style>
	<Style id="s_park_hl">
		<LineStyle><color>ffffffff</color><width>4</width></LineStyle>
	</Style>
	<StyleMap id="m_park">
		<Pair>
			<key>normal</key>
			<styleUrl>#s_park</styleUrl>
		</Pair>
		<Pair>
			<key>highlight</key>
			<styleUrl>#s_park_hl</styleUrl>
		</Pair>
	</StyleMap>
	<Style id="s_road">
		<LineStyle><color>ff0000ff</color><width>3</width></LineStyle>
		<PolyStyle><fill>1</fill><outline>0</outline></PolyStyle>
	</Style>
	<Folder>
		<name>公園</name>
		<open>1</open>
		<Placemark id="park1">
			<name>芝公園</name>
			<description><![CDATA[池 & 広場]]></description>
			<styleUrl>#m_park</styleUrl>
			<Polygon>
				<tessellate>1</tessellate>
				<outerBoundaryIs>
					<LinearRing>
						<coordinates>
							139.745,35.675,0 139.77,35.675,0 139.77,35.695,0
							139.745,35.695,0 139.745,35.675,0
						</coordinates>
					</LinearRing>
				</outerBoundaryIs>
				<innerBoundaryIs>
					<LinearRing>
						<coordinates>
							139.75,35.68,0 139.76,35.68,0 139.755,35.69,0 139.75,35.68,0
						</coordinates>
					</LinearRing>
				</innerBoundaryIs>
			</Polygon>
		</Placemark>
		<Folder>
			<name>道</name>
			<Placemark>
				<name>参道</name>
				<styleUrl>#s_road</styleUrl>
				<LineString>
					<tessellate>1</tessellate>
					<coordinates>
						139.7621,35.6655,0
						139.7744,35.6843,0
						139.7801,35.699,0
					</coordinates>
				</LineString>
			</Placemark>
		</Folder>
	</Folder>
	<Placemark>
		<name>塔</name>
		<description>展望台</description>
		<Point>
			<coordinates>139.74,35.66,0</coordinates>
		</Point>
	</Placemark>
</Document>
</kml>
)";

TEST_F(KmlImport, GoogleEarthFileImportsWithFoldersAndStyles) {
  const std::string kml = Write("earth.kml", kEarthKml);
  const std::vector<importcheck::OgrFeature> features = importcheck::OgrFeatures(kml);
  ASSERT_EQ(features.size(), 3u);
  ImportPlane9(kml);
  ASSERT_TRUE(AlertTextsBesidesArtboardAdvice().empty()) << AlertTextsBesidesArtboardAdvice().front();

  // The document's name titles the import layer; folders nest.
  EXPECT_EQ(CurrentLayerTitle(), "散歩の記録");
  EXPECT_EQ(SublayerTitles("散歩の記録"), (std::vector<std::string>{"公園"}));
  EXPECT_EQ(SublayerTitles("公園"), (std::vector<std::string>{"道"}));

  const auto ogrOf = [&](const std::string& name) {
    for (const auto& feature : features) {
      if (feature.fields.count("Name") && feature.fields.at("Name").value == name) return feature;
    }
    ADD_FAILURE() << "ogrinfo has no " << name;
    return importcheck::OgrFeature{};
  };

  // The park: style map to s_park; green stroke 2.5 wide, green fill at the
  // polygon colour's alpha (7f), holes kept.
  const std::vector<sim::Art*> park = Drawn("公園");
  ASSERT_EQ(park.size(), 1u);
  ASSERT_EQ(park[0]->type, kCompoundPathArt);
  const auto parkOgr = ogrOf("芝公園");
  EXPECT_EQ(importcheck::Value(*StoredRow(*park[0]), "Name"), "芝公園");
  EXPECT_EQ(importcheck::Value(*StoredRow(*park[0]), "Desc"), parkOgr.fields.at("description").value);
  EXPECT_NEAR(park[0]->opacity, 127 / 255.0, 1e-6);
  ASSERT_EQ(park[0]->children.size(), 2u);
  for (const sim::Art* ring : park[0]->children) {
    EXPECT_TRUE(ring->closed);
    EXPECT_TRUE(ring->Style().fillPaint);
    EXPECT_FLOAT_EQ(ring->Style().stroke.width, 2.5f);
    EXPECT_NEAR(ring->Style().stroke.color.c.rgb.green, 170 / 255.0, 1e-6);
    EXPECT_EQ(ring->Style().stroke.color.c.rgb.red, 0);
    EXPECT_EQ(ring->Style().fill.color.c.rgb.green, 1);
  }

  // The road: red, 3 wide, open so never filled, outline off from its style.
  const std::vector<sim::Art*> road = Drawn("道");
  ASSERT_EQ(road.size(), 1u);
  EXPECT_EQ(importcheck::Value(*StoredRow(*road[0]), "Name"), "参道");
  EXPECT_FALSE(road[0]->closed);
  EXPECT_FALSE(road[0]->Style().fillPaint);
  EXPECT_FALSE(road[0]->Style().strokePaint);
  EXPECT_EQ(road[0]->Style().stroke.color.c.rgb.red, 1);
  EXPECT_EQ(road[0]->opacity, 1);
  // Tuples on separate lines stay separate vertices.
  ASSERT_EQ(road[0]->Segments().size(), 3u);

  // The tower is a point in the import layer itself.
  const std::vector<sim::Art*> tower = Drawn("散歩の記録");
  ASSERT_EQ(tower.size(), 1u);
  EXPECT_EQ(importcheck::Value(*StoredRow(*tower[0]), "Desc"), ogrOf("塔").fields.at("description").value);

  // Positions, against PROJ, in the order ogrinfo reads the vertices.
  std::vector<AIRealPoint> drawn{importcheck::Centre(*tower[0])};
  std::vector<Point> geographic{ogrOf("塔").parts.at(0).at(0)};
  const auto road_ogr = ogrOf("参道");
  const std::vector<AIRealPoint> roadAnchors = importcheck::Anchors(*road[0]);
  drawn.insert(drawn.end(), roadAnchors.begin(), roadAnchors.end());
  geographic.insert(geographic.end(), road_ogr.parts.at(0).begin(), road_ogr.parts.at(0).end());
  for (size_t part = 0; part < 2; ++part) {
    const std::vector<AIRealPoint> anchors = importcheck::Anchors(*park[0]->children[1 - part]);
    std::vector<Point> ring = parkOgr.parts.at(part);
    ring.pop_back();
    drawn.insert(drawn.end(), anchors.begin(), anchors.end());
    geographic.insert(geographic.end(), ring.begin(), ring.end());
  }
  const double worst = importcheck::WorstDistanceError(drawn, geographic, importcheck::kToPlane9, kScale);
  EXPECT_LT(worst, kMillimetre);
  std::printf("[ measured ] %zu vertices, worst distance difference from PROJ: %.3f mm\n", drawn.size(), worst * 1000);
}

TEST_F(KmlImport, AreaLimitLeavesOutWhatLiesOutside) {
  // Only the tower's corner: the park and the road lie east of it.
  const std::string kml = Write("earth.kml", kEarthKml);
  AnswerFiles({kml});
  AnswerCoords({DialogAction::Check(coord_ids::kLimitArea, true),
                DialogAction::SetText(coord_ids::kNorthWest, "35.661,139.739"),
                DialogAction::SetText(coord_ids::kSouthEast, "35.66,139.7401"),
                DialogAction::Click(coord_ids::kTargetPlane), DialogAction::Choose(coord_ids::kTargetSystem, 9),
                DialogAction::SetText(coord_ids::kScale, "5000"), DialogAction::OK()});
  ASSERT_TRUE(ImportItem(kKmlItem));
  ExpectCleanDialogs();
  EXPECT_EQ(Drawn("散歩の記録").size(), 1u);
  EXPECT_TRUE(Drawn("公園").empty());
  EXPECT_TRUE(Drawn("道").empty());
}

TEST_F(KmlImport, CancelDuringDrawingStopsAndTakesItBack) {
  const std::string kml = Write("earth.kml", kEarthKml);
  AnswerFiles({kml});
  AnswerNewPlaneMap(9, "5000");
  host.User().progress.cancelAt = 600;  // during the drawing pass, the second half of the bar
  ASSERT_TRUE(ImportItem(kKmlItem));
  EXPECT_TRUE(ErrorTexts().empty());
  EXPECT_EQ(host.FindLayer("散歩の記録"), nullptr);
}

TEST_F(KmlImport, FileWithoutCoordinatesSaysSoAndStops) {
  const std::string kml = Write("empty.kml", "<kml><Document><name>空</name><Placemark><name>x</name></Placemark></Document></kml>");
  AnswerFiles({kml});
  ASSERT_TRUE(ImportItem(kKmlItem));
  // Nothing to draw is a failure, not a notice.
  EXPECT_EQ(ErrorTexts(), (std::vector<std::string>{"empty.kml には読み込める座標がありません"}));
  EXPECT_EQ(AlertTexts().size(), 1u);
  EXPECT_EQ(dialogs.RunsOf(dialog_ids::kImportCoordSettings).size(), 0u);
  EXPECT_EQ(host.FindLayer("空"), nullptr);
}

}  // namespace
