// The Shapefile import through PluginMain: layers, shapes, rows, the area
// limit, long paths, holes, cancels and the messages a user sees.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>

#include "ImportScenario.h"
#include "resources/DialogIds.h"

namespace {

namespace coord_ids = dialog_ids::import_coord;
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
  EXPECT_EQ(run.templateId, dialog_ids::kOpenFileTemplate);
  EXPECT_EQ(run.owner, host.MainWindow());
  EXPECT_EQ(run.child->states.front().Control(dialog_ids::open_file::kEncoding).items,
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
                  EXPECT_EQ(state.Control(coord_ids::kModeText).text, "現在のデータフレーム設定を使用します");
                  EXPECT_FALSE(state.Control(coord_ids::kScale).enabled);
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
  AnswerCoords({DialogAction::Click(coord_ids::kTargetPlane), DialogAction::Choose(coord_ids::kTargetSystem, 9),
                DialogAction::Click(coord_ids::kLimitArea),
                DialogAction::SetText(coord_ids::kNorthWest, "35.70,139.75"),
                DialogAction::SetText(coord_ids::kSouthEast, "35.67,139.78"), DialogAction::OK()});
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
    EXPECT_TRUE(member->Style().fillPaint);
    EXPECT_EQ(member->Segments().size(), 4u);  // the repeated closing point is not drawn
    ASSERT_TRUE(StoredRow(*member));
    EXPECT_EQ(StoredRow(*member)->front().value, "池のある公園");
  }
}
}  // namespace

namespace {

// A plane rectangular source mapped 1:1000 into the same system, so that the
// drawn anchors are the source points moved and scaled.
class LongPathTest : public ShapefileImportTest {
 protected:
  std::vector<sim::Art*> ImportPlane(const std::string& name, const std::string& geojson) {
    const std::string shp = folder / (name + ".shp");
    MakeShapefile(shp, geojson, kJgdPlane9);
    AnswerFiles({shp});
    AnswerCoords({DialogAction::Inspect([](const sim::DialogState& state) {
                    // The .prj names JGD2000 plane system 9, and the dialog opens with it.
                    EXPECT_TRUE(state.Control(coord_ids::kSourceJgd2000).checked);
                    EXPECT_TRUE(state.Control(coord_ids::kSourcePlane).checked);
                    EXPECT_FALSE(state.Control(coord_ids::kSourceLatLong).checked);
                    EXPECT_EQ(state.Control(coord_ids::kSourceSystem).selection, 9);
                    EXPECT_TRUE(state.Control(coord_ids::kSourceSystem).enabled);
                  }),
                  DialogAction::Click(coord_ids::kTargetPlane), DialogAction::Choose(coord_ids::kTargetSystem, 9),
                  DialogAction::SetText(coord_ids::kScale, "1000"), DialogAction::Check(coord_ids::kNorthUp, false),
                  DialogAction::OK()});
    EXPECT_TRUE(Import());
    ExpectCleanDialogs();
    return Art(name);
  }
};

std::vector<std::pair<double, double>> Zigzag(int count) {
  std::vector<std::pair<double, double>> points;
  for (int i = 0; i < count; ++i) points.emplace_back(-20000 + 0.01 * i, -30000 + (i % 2) * 0.01);
  return points;
}

TEST_F(LongPathTest, APartOf32000PointsIsOnePath) {
  const std::vector<sim::Art*> art = ImportPlane("line", FeatureCollection({LineFeature(Zigzag(32000), "{\"k\":1}")}));
  ASSERT_EQ(art.size(), 1u);
  EXPECT_EQ(art[0]->type, kPathArt);
  EXPECT_EQ(art[0]->Segments().size(), 32000u);
  EXPECT_FALSE(art[0]->closed);
  EXPECT_FALSE(art[0]->Style().fillPaint);
}

TEST_F(LongPathTest, OnePointMoreMakesASecondPathThatContinuesFromTheFirst) {
  const std::vector<sim::Art*> art = ImportPlane("line", FeatureCollection({LineFeature(Zigzag(32001), "{\"k\":1}")}));
  ASSERT_EQ(art.size(), 1u);
  ASSERT_EQ(art[0]->type, kCompoundPathArt);
  ASSERT_EQ(art[0]->children.size(), 2u);
  // Members go on top in turn, so the first piece is the lower one.
  const sim::Art& first = *art[0]->children[1];
  const sim::Art& second = *art[0]->children[0];
  EXPECT_EQ(first.Segments().size(), 32000u);
  ASSERT_EQ(second.Segments().size(), 2u);
  EXPECT_EQ(second.Segments()[0].p.h, first.Segments().back().p.h);  // no gap between the pieces
  EXPECT_EQ(second.Segments()[0].p.v, first.Segments().back().p.v);
  EXPECT_NE(second.Segments()[1].p.h, second.Segments()[0].p.h);
  for (const sim::Art* piece : art[0]->children) EXPECT_EQ(StoredRow(*piece)->front().value, "1");
}

TEST_F(LongPathTest, ALongClosedRingIsOneThinnedPathWithoutChords) {
  // A circle of 70000 points, 2 km across: 2 m on the paper at 1:1000.
  constexpr int kCount = 70000;
  constexpr double kRadius = 1000;
  std::vector<std::pair<double, double>> ring;
  for (int i = 0; i < kCount; ++i) {
    const double angle = -2 * std::numbers::pi * i / kCount;  // clockwise, as an outer ring runs
    ring.emplace_back(-20000 + kRadius * std::cos(angle), -30000 + kRadius * std::sin(angle));
  }
  const std::vector<sim::Art*> art = ImportPlane("ring", FeatureCollection({PolygonFeature({ring}, "{\"k\":2}")}));
  ASSERT_EQ(art.size(), 1u);
  const sim::Art& path = *art[0];
  ASSERT_EQ(path.type, kPathArt);
  EXPECT_TRUE(path.closed);
  EXPECT_TRUE(path.Style().fillPaint);
  EXPECT_LE(path.Segments().size(), 32000u);
  EXPECT_GE(path.Segments().size(), 100u);
  // Every anchor lies on the circle, and the anchors go all the way round.
  const double radius = kRadius / 1000 * 72 / 0.0254;  // points on the artboard
  double left = 1e9, right = -1e9, bottom = 1e9, top = -1e9;
  for (const auto& segment : path.Segments()) {
    left = std::min(left, double(segment.p.h));
    right = std::max(right, double(segment.p.h));
    bottom = std::min(bottom, double(segment.p.v));
    top = std::max(top, double(segment.p.v));
  }
  const double cx = (left + right) / 2, cy = (bottom + top) / 2;
  double widest = 0;
  for (size_t i = 0; i < path.Segments().size(); ++i) {
    const AIRealPoint& p = path.Segments()[i].p;
    const AIRealPoint& q = path.Segments()[(i + 1) % path.Segments().size()].p;
    EXPECT_NEAR(std::hypot(p.h - cx, p.v - cy), radius, 0.02);
    widest = std::max(widest, double(std::hypot(p.h - q.h, p.v - q.v)));
  }
  EXPECT_LT(widest, radius * 0.1);  // no chord across the shape
}

TEST_F(LongPathTest, ThinningIsToldWithTheRecordTheAnchorsDroppedAndTheLargestDeviation) {
  // A ring of 40000 points whose radius alternates by 0.5 m: 0.5 mm on the paper at 1:1000.
  constexpr int kCount = 40000;
  std::vector<std::pair<double, double>> ring;
  for (int i = 0; i < kCount; ++i) {
    const double angle = -2 * std::numbers::pi * i / kCount;
    const double r = 1000 + 0.5 * (i % 2);
    ring.emplace_back(-20000 + r * std::cos(angle), -30000 + r * std::sin(angle));
  }
  const std::vector<sim::Art*> art =
      ImportPlane("star", FeatureCollection({PolygonFeature({{{-20000, -29000}, {-19999, -29000}, {-19999, -29001}}}, "{\"k\":1}"),
                                             PolygonFeature({ring}, "{\"k\":2}")}));
  ASSERT_EQ(art.size(), 2u);
  const sim::Art& path = *art[0];
  ASSERT_EQ(path.Segments().size() < 32001u, true);

  // Where each source point lies on the artboard: 1:1000 without turning,
  // the first point of the ring always kept.
  const double k = 72 / 0.0254 / 1000;
  const AIRealPoint origin = path.Segments()[0].p;
  const auto onArtboard = [&](int i) {
    return std::pair<double, double>{origin.h + k * (ring[i].first - ring[0].first), origin.v + k * (ring[i].second - ring[0].second)};
  };
  // The largest distance of a point left out from the edge between the anchors kept around it.
  double deviation = 0;
  size_t kept = 0;
  std::vector<int> between;
  const auto close = [&](size_t from, size_t to) {
    const AIRealPoint& a = path.Segments()[from % path.Segments().size()].p;
    const AIRealPoint& b = path.Segments()[to % path.Segments().size()].p;
    for (int i : between) {
      const auto [px, py] = onArtboard(i);
      const double dx = double(b.h) - a.h, dy = double(b.v) - a.v;
      double t = ((px - a.h) * dx + (py - a.v) * dy) / (dx * dx + dy * dy);
      t = std::clamp(t, 0.0, 1.0);
      deviation = std::max(deviation, std::hypot(px - a.h - t * dx, py - a.v - t * dy));
    }
    between.clear();
  };
  for (int i = 1; i < kCount; ++i) {
    const auto [x, y] = onArtboard(i);
    const AIRealPoint& next = path.Segments()[(kept + 1) % path.Segments().size()].p;
    if (kept + 1 < path.Segments().size() && std::abs(next.h - x) < 1e-3 && std::abs(next.v - y) < 1e-3) {
      close(kept, kept + 1);
      ++kept;
    } else {
      between.push_back(i);
    }
  }
  close(kept, kept + 1);
  ASSERT_EQ(kept + 1, path.Segments().size()) << "every anchor is a point of the ring";

  const std::vector<std::string> alerts = AlertTextsBesidesArtboardAdvice();
  ASSERT_EQ(alerts.size(), 1u);
  const std::string heading = "次のファイルの次のレコードは、頂点が多く一つのパスに収まらないため、輪郭を間引いて描画しました（レコード番号）：\n" +
                              folder.PathText("star.shp") + ": 2（計 1 件）\n  間引いた頂点 ";
  ASSERT_EQ(alerts[0].rfind(heading, 0), 0u) << alerts[0];
  long long dropped = 0;
  double paper = 0, ground = 0;
  ASSERT_EQ(std::sscanf(alerts[0].c_str() + heading.size(), "%lld 個、元の頂点との最大のずれ %lf mm（地上 %lf m）", &dropped, &paper, &ground), 3)
      << alerts[0];
  EXPECT_EQ(dropped, kCount - static_cast<long long>(path.Segments().size()));
  const double expectedMillimetres = deviation * 25.4 / 72;
  EXPECT_GT(expectedMillimetres, 0.1);
  EXPECT_NEAR(paper, expectedMillimetres, 0.006);
  EXPECT_NEAR(ground, expectedMillimetres, 0.06);  // 1 mm on the paper is 1 m at 1:1000
}

}  // namespace

namespace {

// What a user sees when things go wrong, and what a cancel leaves behind.
class ImportOutcomeTest : public ShapefileImportTest {
 protected:
  // The document's layer titles and art count, to compare before and after.
  std::pair<std::vector<std::string>, size_t> Snapshot() {
    size_t art = 0;
    for (sim::Layer* layer : host.CurrentDocument()->AllLayers()) art += host.ArtOfLayer(*layer).size();
    return {LayerTitles(host), art};
  }
  std::string MultiPointM(const std::string& name, int records) {
    std::string csv = "WKT,id\n";
    for (int i = 0; i < records; ++i) csv += "\"MULTIPOINT M ((139.7 35.6 1),(139.71 35.61 2))\"," + std::to_string(i) + "\n";
    const std::string source = folder / (name + ".csv"), shp = folder / (name + ".shp");
    std::ofstream(source) << csv;
    const CommandResult made = RunMerged("ogr2ogr -f 'ESRI Shapefile' -a_srs EPSG:4612 -nlt MULTIPOINTM " + Quote(shp) + " " +
                                   Quote(source));
    EXPECT_EQ(made.status, 0) << made.out;
    return shp;
  }
};

TEST_F(ImportOutcomeTest, EveryCancelLeavesTheDocumentAsItWasAndSaysNothing) {
  host.AddLayer("地図");
  const auto before = Snapshot();
  const std::string shp = Points("p", 5);

  dialogs.ExpectOpenFile(sim::OpenFileAnswer::Cancel());
  ASSERT_TRUE(Import());
  EXPECT_EQ(Snapshot(), before);

  AnswerFiles({shp});
  AnswerCoords({DialogAction::Click(coord_ids::kSourceTokyo), DialogAction::Click(coord_ids::kLimitArea),
                DialogAction::Cancel()});
  ASSERT_TRUE(Import());
  EXPECT_EQ(Snapshot(), before);
  EXPECT_FALSE(host.Preferences().Has("Kartzmap4.5", "importInGeoSysType"));  // nothing remembered
  EXPECT_FALSE(host.Preferences().Has("Kartzmap4.5", "importLimitArea"));

  // Cancelled while drawing: the layers and the data frame of this import go.
  host.User().progress.cancelAt = 3;
  AnswerFiles({Points("q", 2), shp});
  AnswerNewPlaneMap(9);
  ASSERT_TRUE(Import());
  EXPECT_TRUE(host.User().progress.cancelled);
  EXPECT_EQ(Snapshot(), before);

  EXPECT_TRUE(AlertTexts().empty()) << AlertTexts().front();
  ExpectCleanDialogs();
}

TEST_F(ImportOutcomeTest, AnUnsupportedTypeIsToldOncePerFile) {
  // Shape type 99 in every record of two files: no reader knows it.
  const auto retype = [this](const std::string& shp, int records) {
    std::fstream file(shp, std::ios::in | std::ios::out | std::ios::binary);
    for (int i = 0; i < records; ++i) {
      file.seekp(100 + 28 * i + 8);
      file.put(99);
    }
  };
  const std::string m1 = Points("m1", 40), m2 = Points("m2", 3);
  retype(m1, 40);
  retype(m2, 3);
  AnswerFiles({m1, m2, Points("p", 2)});
  AnswerNewPlaneMap(9);
  ASSERT_TRUE(Import());
  ExpectCleanDialogs();
  // Told, not failed: the rest of the import stands. A number that is no
  // shape type means damage: the records are named, never shown as a code.
  EXPECT_EQ(AlertTexts(), (std::vector<std::string>{"次のファイルの次のレコードは読めないため、読み込んでいません（レコード番号）：\n" +
                                                    m1 + ": 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, "
                                                    "20 ほか 20 件（計 40 件）\n" + m2 + ": 1, 2, 3（計 3 件）"}));
  EXPECT_TRUE(ErrorTexts().empty());
  EXPECT_TRUE(Art("m1").empty());
  EXPECT_EQ(Art("p").size(), 2u);  // the files after it are still read
}

TEST_F(ImportOutcomeTest, MultiPointRecordsAreGroupsOfPointMarksCarryingTheirRow) {
  AnswerFiles({MultiPointM("mp", 3)});
  AnswerNewPlaneMap(9);
  ASSERT_TRUE(Import());
  ExpectCleanDialogs();
  EXPECT_TRUE(AlertTexts().empty()) << AlertTexts().front();
  const std::vector<sim::Art*> groups = Art("mp");
  ASSERT_EQ(groups.size(), 3u);
  for (size_t i = 0; i < groups.size(); ++i) {
    SCOPED_TRACE(i);
    const sim::Art& group = *groups[i];
    ASSERT_EQ(group.type, kGroupArt);
    ASSERT_EQ(group.children.size(), 2u);  // the two points ogr2ogr wrote
    const std::string id = std::to_string(groups.size() - 1 - i);
    EXPECT_EQ(StoredRow(group)->back().value, id);
    for (const sim::Art* mark : group.children) EXPECT_EQ(StoredRow(*mark)->back().value, id);
  }
}

TEST_F(ImportOutcomeTest, FilesThatDoNotOpenAreNamedInOneMessage) {
  const std::string good = Points("good", 2), noTable = Points("notable", 2), noIndex = Points("noindex", 1);
  std::filesystem::remove(folder / "notable.dbf");
  std::filesystem::remove(folder / "noindex.shx");
  AnswerFiles({noTable, good, noIndex});
  AnswerNewPlaneMap(9);
  ASSERT_TRUE(Import());
  ExpectCleanDialogs();
  // Each named with the companion that is missing and the system's reason.
  EXPECT_EQ(AlertTexts(), std::vector<std::string>{"次のファイルを開けないため、読み込みません：\n" + noTable +
                                                   " (notable.dbf: No such file or directory)\n" + noIndex +
                                                   " (noindex.shx: No such file or directory)"});
  EXPECT_TRUE(ErrorTexts().empty());
  EXPECT_EQ(Art("good").size(), 2u);
  // The new map is centred on the file that was read, not on a zero extent.
  const DataFrameParams frame = DocumentDataFrame(host);
  const auto [x, y] = ProjTransform("+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad +step +proj=tmerc "
                                    "+lat_0=36 +lon_0=139.83333333333333 +k=0.9999 +x_0=0 +y_0=0 +ellps=GRS80",
                                    139.7605, 35.6805);
  EXPECT_NEAR(frame.originX, x, 0.001);
  EXPECT_NEAR(frame.originY, y, 0.001);
}

TEST_F(ImportOutcomeTest, NothingToReadEndsBeforeTheCoordinateDialog) {
  const std::string broken = Points("broken", 1);
  std::filesystem::remove(folder / "broken.dbf");
  AnswerFiles({broken});
  ASSERT_TRUE(Import());
  EXPECT_TRUE(dialogs.Runs().empty());
  EXPECT_EQ(ErrorTexts(), std::vector<std::string>{"次のファイルを開けないため、読み込みません：\n" + broken +
                                                   " (broken.dbf: No such file or directory)"});
  EXPECT_EQ(host.FindLayer("Kartzmap DataFrame"), nullptr);
}

TEST_F(ImportOutcomeTest, PointsThatCannotBeConvertedAreCountedNotDrawn) {
  const std::string shp = folder / "far.shp";
  MakeShapefile(shp,
                FeatureCollection({PointFeature(139.76, 35.68, "{\"id\":1}"), PointFeature(139.76, 95.0, "{\"id\":2}"),
                                   PointFeature(139.77, 35.69, "{\"id\":3}")}),
                kJgdLatLong);
  AnswerFiles({shp});
  AnswerNewPlaneMap(9);
  ASSERT_TRUE(Import());
  ExpectCleanDialogs();
  std::vector<std::string> ids;
  for (const sim::Art* art : Art("far")) ids.push_back(StoredRow(*art)->front().value);
  EXPECT_EQ(ids, (std::vector<std::string>{"3", "1"}));
  // The stray point also stretched the area beyond the pole: no markers
  // there, and the map's centre so far north that the points drawn lie off
  // the artboard, which is told.
  const std::vector<std::string> alerts = AlertTexts();
  ASSERT_EQ(alerts.size(), 3u);
  EXPECT_EQ(alerts[0], "座標を変換できない点が 1 個あったため、描画していません");
  EXPECT_EQ(alerts[1].rfind("次のファイルのデータの一部がアートボードの外に描かれました（縮尺 1:25000）", 0), 0u) << alerts[1];
  EXPECT_NE(alerts[1].find("：\nfar.shp"), std::string::npos) << alerts[1];
  EXPECT_EQ(alerts[2], "読み込む範囲の四隅の座標を変換できないため、座標マーカーを置いていません");
  EXPECT_EQ(CurrentLayerTitle(), "far");
}

TEST_F(ImportOutcomeTest, AReferenceTheSystemDoesNotConvertIsNamed) {
  // A name with conversions in it is told as it is.
  const std::string shp = folder / "web%n%s.shp";
  MakeShapefile(shp, FeatureCollection({PointFeature(15550000, 4260000, "{\"id\":1}")}), "-a_srs EPSG:3857");
  AnswerFiles({shp});
  AnswerCoords({DialogAction::Inspect([](const sim::DialogState& state) {
                  EXPECT_TRUE(state.Control(coord_ids::kSourceLatLong).checked);  // nothing is chosen for the user
                }),
                DialogAction::Cancel()});
  ASSERT_TRUE(Import());
  ASSERT_EQ(AlertTexts().size(), 1u);
  EXPECT_NE(AlertTexts()[0].find("web%n%s.shp の .prj の座標系「WGS 84 / Pseudo-Mercator」には対応していません"),
            std::string::npos)
      << AlertTexts()[0];
}

}  // namespace
