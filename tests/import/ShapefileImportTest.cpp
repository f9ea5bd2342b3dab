// The Shapefile import through PluginMain: layers, shapes, rows, the area
// limit, long paths, holes, cancels and the messages a user sees.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "ImportScenario.h"

namespace {

using namespace importtest;
using sim::DialogAction;

constexpr const char* kJgdLatLong = "-a_srs EPSG:4612 -lco ENCODING=UTF-8";
constexpr const char* kJgdPlane9 = "-a_srs EPSG:2451 -lco ENCODING=UTF-8";

class ShapefileImportTest : public ImportScenario {
 protected:
  // A few points near Tokyo station, each with a name and a number.
  std::string Points(const std::string& name, int count, double west = 139.76) {
    std::vector<std::string> features;
    for (int i = 0; i < count; ++i) {
      features.push_back(PointFeature(west + 0.001 * i, 35.68 + 0.001 * i,
                                      "{\"name\":\"点" + std::to_string(i) + "\",\"n\":" + std::to_string(i) + "}"));
    }
    const std::string shp = folder / (name + ".shp");
    MakeShapefile(shp, FeatureCollection(features), kJgdLatLong);
    return shp;
  }
  std::vector<sim::Art*> Art(const std::string& layer) { return LayerArt(host, layer); }
};

TEST_F(ShapefileImportTest, NoDocumentIsToldAndNothingIsAsked) {
  host.CloseDocument();
  ASSERT_TRUE(Import());
  EXPECT_EQ(AlertTexts(), std::vector<std::string>{"新規ドキュメントを開いた状態で実行してください"});
  EXPECT_TRUE(dialogs.OpenFileRuns().empty());
}

TEST_F(ShapefileImportTest, ThreeFilesMakeThreeLayersAndTheThirdIsCurrent) {
  const std::string a = Points("駅", 2), b = Points("b", 3), c = Points("c", 1);
  AnswerFiles({a, b, c});
  AnswerNewPlaneMap(9);
  ASSERT_TRUE(Import());
  ExpectCleanDialogs();
  EXPECT_TRUE(AlertTexts().empty()) << AlertTexts().front();
  const std::vector<std::string> titles = LayerTitles(host);
  ASSERT_GE(titles.size(), 4u);
  // With no ordinary layer the new layers go above all, the data frame's too.
  EXPECT_EQ(std::vector<std::string>(titles.begin(), titles.begin() + 4),
            (std::vector<std::string>{"c", "b", "駅", "Kartzmap DataFrame"}));
  EXPECT_EQ(CurrentLayerTitle(), "c");
  EXPECT_EQ(Art("駅").size(), 2u);
  EXPECT_EQ(Art("b").size(), 3u);
  // The open-file dialog as the import asks for it.
  const sim::OpenFileRun& run = dialogs.OpenFileRuns().front();
  EXPECT_EQ(run.title, "シェープファイルを読み込む（複数選択可）");
  EXPECT_EQ(run.filter, (std::vector<std::pair<std::string, std::string>>{{"Shapefiles(*.shp)", "*.shp"}}));
  EXPECT_EQ(run.filterIndex, 1);
  EXPECT_EQ(run.defExt, "shp");
  EXPECT_EQ(run.flags, 0x881864u | 0x200u);
  EXPECT_EQ(run.maxFile, 66560u);
  EXPECT_EQ(run.templateId, 110);
  EXPECT_EQ(run.owner, host.MainWindow());
  EXPECT_EQ(run.child->states.front().Control(kEncodingCombo).items,
            (std::vector<std::string>{"シフトJIS", "UTF-8"}));
  // The folder is remembered for the next import.
  EXPECT_EQ(host.Preferences().Get<sim::PreferenceStore::FilePathValue>("Kartzmap4.5", "importShapeDir")->path,
            folder.Path().string());
}

TEST_F(ShapefileImportTest, NewLayerGoesDirectlyBelowTheDataFrameLayer) {
  host.AddLayer("地図");
  AnswerFiles({Points("first", 1)});
  AnswerNewPlaneMap(9);
  ASSERT_TRUE(Import());
  AnswerFiles({Points("second", 1)});
  AnswerCoords({DialogAction::Inspect([](const sim::DialogState& state) {
                  EXPECT_EQ(state.Control(1178).text, "現在のデータフレーム設定を使用します");
                  EXPECT_FALSE(state.Control(1114).enabled);
                }),
                DialogAction::OK()});
  ASSERT_TRUE(Import());
  ExpectCleanDialogs();
  const std::vector<std::string> titles = LayerTitles(host);
  ASSERT_GE(titles.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(titles.begin(), titles.begin() + 4),
            (std::vector<std::string>{"Kartzmap DataFrame", "second", "first", "地図"}));
  EXPECT_EQ(CurrentLayerTitle(), "second");
}

TEST_F(ShapefileImportTest, AreaLimitKeepsTheEdgeAndDropsWhatLiesOutside) {
  // On the north-west corner, outside by a hair to the east, inside, then a
  // polygon whose box only touches the south edge.
  const std::string points = folder / "area.shp", areas = folder / "areas.shp";
  MakeShapefile(points,
                FeatureCollection({PointFeature(139.75, 35.70, "{\"id\":1}"), PointFeature(139.7800001, 35.69, "{\"id\":2}"),
                                   PointFeature(139.77, 35.69, "{\"id\":3}")}),
                kJgdLatLong);
  MakeShapefile(areas,
                FeatureCollection({PolygonFeature({{{139.76, 35.66}, {139.77, 35.66}, {139.77, 35.67}}}, "{\"id\":4}"),
                                   PolygonFeature({{{139.76, 35.60}, {139.77, 35.60}, {139.77, 35.61}}}, "{\"id\":5}")}),
                kJgdLatLong);
  AnswerFiles({points, areas});
  AnswerCoords({DialogAction::Click(1130), DialogAction::Choose(1132, 9), DialogAction::Click(1076),
                DialogAction::SetText(1079, "35.70,139.75"), DialogAction::SetText(1080, "35.67,139.78"),
                DialogAction::OK()});
  ASSERT_TRUE(Import());
  ExpectCleanDialogs();
  std::vector<std::string> ids;
  for (const char* layer : {"area", "areas"}) {
    for (const sim::Art* art : Art(layer)) ids.push_back(StoredRow(*art)->front().value);
  }
  EXPECT_EQ(ids, (std::vector<std::string>{"3", "1", "4"}));  // topmost (last drawn) first
  EXPECT_EQ(host.Preferences().Get<bool>("Kartzmap4.5", "importLimitArea"), true);
}

TEST_F(ShapefileImportTest, PolygonWithAHoleIsOneCompoundPathCarryingItsRowEverywhere) {
  const std::string shp = folder / "holes.shp";
  MakeShapefile(shp,
                FeatureCollection({PolygonFeature({{{139.70, 35.60}, {139.70, 35.70}, {139.80, 35.70}, {139.80, 35.60}},
                                                   {{139.74, 35.64}, {139.76, 35.64}, {139.76, 35.66}, {139.74, 35.66}}},
                                                  "{\"name\":\"池のある公園\"}")}),
                kJgdLatLong);
  AnswerFiles({shp});
  AnswerNewPlaneMap(9);
  ASSERT_TRUE(Import());
  ExpectCleanDialogs();
  const std::vector<sim::Art*> art = Art("holes");
  ASSERT_EQ(art.size(), 1u);
  const sim::Art& compound = *art.front();
  ASSERT_EQ(compound.type, kCompoundPathArt);
  ASSERT_EQ(compound.children.size(), 2u);
  EXPECT_EQ(StoredRow(compound)->front().value, "池のある公園");
  for (const sim::Art* member : compound.children) {
    EXPECT_EQ(member->type, kPathArt);
    EXPECT_TRUE(member->closed);
    EXPECT_TRUE(member->style.fillPaint);
    EXPECT_EQ(member->segments.size(), 4u);  // the repeated closing point is not drawn
    ASSERT_TRUE(StoredRow(*member));
    EXPECT_EQ(StoredRow(*member)->front().value, "池のある公園");
  }
}
}  // namespace
