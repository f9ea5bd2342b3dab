// The exporter framework in the headless host: what each kind of object
// becomes, where its points land, which art is walked for each target, and
// what the user is told. A recording exporter stands in for the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ExportTestHost.h"
#include "export/CExporterBase.h"
#include "export/PolygonRings.h"
#include "resources/DialogIds.h"

namespace {

using kztest::ExportTest;
using kztest::Field;
using sim::DialogAction;
namespace ids = dialog_ids::export_settings;

struct Written {
  char kind = 'p';  // p point, l polyline, g polygon
  std::vector<PointPart> parts;
  std::string values;  // "name=value;" for every attribute field
  std::string layer;
  std::string text;
};

class RecordingExporter : public CExporterBase {
 public:
  using CExporterBase::CExporterBase;
  std::vector<Written> records;
  std::vector<std::string> opened;
  std::vector<std::string> fieldNames;

 protected:
  bool OpenOutput(const ai::FilePath& path) override {
    opened.push_back(path.GetFileName().as_UTF8());
    fieldNames.clear();
    for (const ShapeField& field : ExportFields()) fieldNames.push_back(field.name.as_UTF8());
    return true;
  }
  bool WritePoint(const MapPoint& point, const CKzShapeAttr& attributes, const ai::UnicodeString* layer,
                  const ai::UnicodeString* text) override {
    Add('p', {{point}}, attributes, layer);
    if (text) records.back().text = text->as_UTF8();
    return true;
  }
  bool WritePolyline(const std::vector<PointPart>& parts, const CKzShapeAttr& attributes,
                     const ai::UnicodeString* layer) override {
    Add('l', parts, attributes, layer);
    return true;
  }
  bool WritePolygon(const std::vector<PointPart>& parts, const CKzShapeAttr& attributes,
                    const ai::UnicodeString* layer) override {
    Add('g', parts, attributes, layer);
    return true;
  }
  ai::UnicodeString LayerFileName(AILayerHandle layer) override { return UniqueLayerFileName(layer, "shp"); }

 private:
  void Add(char kind, const std::vector<PointPart>& parts, const CKzShapeAttr& attributes,
           const ai::UnicodeString* layer) {
    Written w{kind, parts, {}, layer ? layer->as_UTF8() : "", {}};
    for (int32_t i = 0; i < attributes.Count(); ++i) {
      ShapeField field;
      if (attributes.Get(i, field)) w.values += field.name.as_UTF8() + "=" + field.value.as_UTF8() + ";";
    }
    records.push_back(std::move(w));
  }
};

class ExporterTest : public ExportTest {
 protected:
  ExporterTest() : roads(host.AddLayer("道路")) {}

  // Runs an export with the dialog answered by `actions`.
  AIErr Export(std::vector<DialogAction> actions, std::string path = "out.shp") {
    AnswerExport(std::move(actions), Scratch(path).string());
    exporter = std::make_unique<RecordingExporter>(plugin);
    return exporter->Run();
  }
  const std::vector<Written>& Records() const { return exporter->records; }

  sim::Layer& roads;
  std::unique_ptr<RecordingExporter> exporter;
};

// Data frame: origin (1000, 2000) at the artboard origin, 1.27 m a point.
constexpr double kM = 1.27;
void ExpectAt(const MapPoint& p, double artX, double artY) {
  EXPECT_NEAR(p.x, 1000 + artX * kM, 1e-6);
  EXPECT_NEAR(p.y, 2000 + artY * kM, 1e-6);
}

TEST_F(ExporterTest, WithoutGeoreferenceNothingIsAsked) {
  RecordingExporter e(plugin);
  EXPECT_EQ(e.Run(), kCanceledErr);
  EXPECT_EQ(AlertTexts(), std::vector<std::string>{"データフレームか座標マーカーが正しくありません"});
  EXPECT_TRUE(dialogs.Runs().empty());
}

TEST_F(ExporterTest, PointsOfEachObjectKind) {
  AddPlaneFrame(1000, 2000);
  sim::Art& symbol = host.AddSymbol(*roads.group, {10, 40, 30, 20});
  SetAttributes(symbol, {Field("名前", 0, 20, 0, "橋")});
  host.AddPointText(*roads.group, {50, 60}, "第1行\r第2行");
  sim::Art& group = host.AddGroup(*roads.group);
  host.AddPath(group, {{0, 0}, {4, 8}}, false);
  host.AddPath(*roads.group, {{100, 100}, {110, 120}}, false);
  ASSERT_EQ(Export({DialogAction::Check(ids::kAddLayerField, true)}), kNoErr);

  // From the back to the front: the symbol was added first, at the back.
  ASSERT_EQ(Records().size(), 4u);
  ExpectAt(Records()[3].parts[0][0], 20, 30);  // bounds centre
  EXPECT_EQ(Records()[3].values, "名前=橋;");
  EXPECT_EQ(Records()[3].layer, "道路");
  ExpectAt(Records()[2].parts[0][0], 50, 60);  // point text anchor
  EXPECT_EQ(Records()[2].text, "第1行\\n第2行");
  ExpectAt(Records()[1].parts[0][0], 2, 4);
  ExpectAt(Records()[0].parts[0][0], 105, 110);
  EXPECT_EQ(exporter->fieldNames, (std::vector<std::string>{"AI_LAYER", "AI_TEXT"}));
}

TEST_F(ExporterTest, AnchorsCloseRingsAndPolygonsRunClockwise) {
  AddPlaneFrame(1000, 2000);
  host.AddPath(*roads.group, {{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true);  // counter-clockwise
  host.AddPath(*roads.group, {{0, 0}, {0, 10}, {10, 10}}, false);
  ASSERT_EQ(Export({DialogAction::Click(ids::kPolyline), DialogAction::Check(ids::kExpandBezier, false)}), kNoErr);
  ASSERT_EQ(Records().size(), 2u);  // from the back: the square first
  EXPECT_EQ(Records()[1].parts[0].size(), 5u);
  EXPECT_EQ(Records()[1].parts[0].front(), Records()[1].parts[0].back());
  EXPECT_EQ(Records()[0].parts[0].size(), 3u);

  ASSERT_EQ(Export({DialogAction::Click(ids::kPolygon), DialogAction::Check(ids::kExpandBezier, false)}), kNoErr);
  ASSERT_EQ(Records().size(), 2u);
  const PointPart& square = Records()[1].parts[0];
  ASSERT_EQ(square.size(), 5u);
  EXPECT_LT(SignedArea(square), 0);  // clockwise with y north
  ExpectAt(square[1], 0, 10);        // reversed
  EXPECT_EQ(Records()[0].parts[0].size(), 4u);
  EXPECT_LT(SignedArea(Records()[0].parts[0]), 0);
}

// A cubic from (0, 0) to (L, 0) with its control points at L/3 and 2L/3:
// curved for the host (its control points are off its anchors), straight in
// fact, so its length is L and its point at t is (L·t, 0).
sim::Art& StraightCubic(sim::Host& host, sim::Art& container, float length) {
  const AIRealPoint start{0, 0}, end{length, 0};
  return host.AddCurvedPath(container,
                            {AIPathSegment{start, start, {length / 3, 0}, true},
                             AIPathSegment{end, {2 * length / 3, 0}, end, true}},
                            false);
}

TEST_F(ExporterTest, FlatteningCutsCurvesByLength) {
  AddPlaneFrame(1000, 2000);
  StraightCubic(host, *roads.group, 10);
  StraightCubic(host, *roads.group, 102);
  StraightCubic(host, *roads.group, 0.2f);
  ASSERT_EQ(Export({DialogAction::Click(ids::kPolyline), DialogAction::Check(ids::kExpandBezier, true)}), kNoErr);
  ASSERT_EQ(Records().size(), 3u);
  // Accuracy 5: pieces of 0.3 to 5 points. 10 long: 6 pieces (6 · 0.3 is not
  // above 10, 10 is not above 6 · 5); 102 long: trunc(102 / 5) = 20 pieces;
  // 0.2 long: none would fit, one piece keeps the end anchor.
  // (The paths come from the back, the last added first.)
  EXPECT_EQ(Records()[2].parts[0].size(), 7u);
  ASSERT_EQ(Records()[1].parts[0].size(), 21u);
  for (int j : {0, 1, 7, 20}) ExpectAt(Records()[1].parts[0][static_cast<size_t>(j)], 5.1 * j, 0);
  ASSERT_EQ(Records()[0].parts[0].size(), 2u);
  ExpectAt(Records()[0].parts[0][1], 0.2, 0);

  // A closed path flattens its closing segment too: A to B curved (20
  // pieces), B to C straight, C back to A curved (102.49 long: 20 pieces).
  const AIRealPoint a{0, 0}, b{102, 0}, c{102, 10};
  const auto third = [](AIRealPoint from, AIRealPoint to, float t) {
    return AIRealPoint{from.h + (to.h - from.h) * t, from.v + (to.v - from.v) * t};
  };
  host.AddCurvedPath(*roads.group,
                     {AIPathSegment{a, third(c, a, 2.0f / 3), third(a, b, 1.0f / 3), true},
                      AIPathSegment{b, third(a, b, 2.0f / 3), b, true},
                      AIPathSegment{c, c, third(c, a, 1.0f / 3), true}},
                     true);
  ASSERT_EQ(Export({DialogAction::Click(ids::kPolyline), DialogAction::Check(ids::kExpandBezier, true)}), kNoErr);
  ASSERT_EQ(Records().size(), 4u);
  const PointPart& closed = Records()[0].parts[0];
  ASSERT_EQ(closed.size(), 1u + 20u + 1u + 20u);
  ExpectAt(closed[21], 102, 10);
  ExpectAt(closed.back(), 0, 0);
}

TEST_F(ExporterTest, FillFilter) {
  AddPlaneFrame(1000, 2000);
  host.AddPath(*roads.group, {{0, 0}, {2, 0}}, false);
  host.EditStyle(&host.AddPath(*roads.group, {{10, 0}, {12, 0}, {12, 2}}, true),
                 [](AIPathStyle& style) { style.fillPaint = true; });
  ASSERT_EQ(Export({DialogAction::Click(ids::kPolyline), DialogAction::Check(ids::kFilledPaths, false)}), kNoErr);
  ASSERT_EQ(Records().size(), 1u);
  ExpectAt(Records()[0].parts[0][0], 0, 0);
  ASSERT_EQ(Export({DialogAction::Check(ids::kFilledPaths, true), DialogAction::Check(ids::kUnfilledPaths, false)}),
            kNoErr);
  ASSERT_EQ(Records().size(), 1u);
  ExpectAt(Records()[0].parts[0][0], 10, 0);
  ASSERT_EQ(Export({DialogAction::Check(ids::kUnfilledPaths, true)}), kNoErr);
  EXPECT_EQ(Records().size(), 2u);
}

struct PieceCase {
  double length;
  int32_t accuracy;
  int32_t pieces;
};

TEST(PieceCountTest, ByLengthAndAccuracy) {
  // Hand-computed from the piece limits a = 10 - k and b = (5 - k) / 20 + 0.3.
  const PieceCase cases[] = {
      {10, 5, 6},    {100, 5, 20},   {0.2, 5, 1},   {1.0, 5, 3},         {100, 1, 11}, {5, 9, 10},
      {100, 9, 100}, {0.35, 9, 3},   {4, 1, 2},     {1e30, 5, kMaxPiecesPerSegment},
      {100, 0, 11},  {100, 10, 100},  // accuracies outside 1..9 are taken as the nearer end
      {-1, 5, 1},
  };
  for (const PieceCase& c : cases)
    EXPECT_EQ(PieceCount(c.length, c.accuracy), c.pieces) << c.length << " at " << c.accuracy;
}

PointPart Square(double x0, double y0, double size, bool clockwise) {
  PointPart ring{{x0, y0}, {x0 + size, y0}, {x0 + size, y0 + size}, {x0, y0 + size}, {x0, y0}};
  if (clockwise) std::reverse(ring.begin(), ring.end());
  return ring;
}

TEST(PolygonRingsTest, ContainmentDecidesHoles) {
  // Land with a lake, an island in the lake, and a second piece of land,
  // all given counter-clockwise and smallest first.
  const PointPart island = Square(40, 40, 20, false), lake = Square(20, 20, 60, false);
  const PointPart land = Square(0, 0, 100, false), far = Square(200, 0, 150, false);
  const std::vector<PointPart> rings = ArrangeRings({island, lake, land, far});
  ASSERT_EQ(rings.size(), 4u);
  // The outer rings in their order, each followed by its holes.
  EXPECT_EQ(rings[0].size(), 5u);
  EXPECT_NEAR(SignedArea(rings[0]), -20.0 * 20, 1e-9);    // island: outer, clockwise
  EXPECT_NEAR(SignedArea(rings[1]), -100.0 * 100, 1e-9);  // land: outer
  EXPECT_NEAR(SignedArea(rings[2]), 60.0 * 60, 1e-9);     // lake: hole of land, counter-clockwise
  EXPECT_NEAR(SignedArea(rings[3]), -150.0 * 150, 1e-9);  // far: outer
}

TEST(PolygonRingsTest, TwoIslandsStayTwoOuterRings) {
  const std::vector<PointPart> rings = ArrangeRings({Square(0, 0, 10, true), Square(20, 0, 10, false)});
  ASSERT_EQ(rings.size(), 2u);
  EXPECT_LT(SignedArea(rings[0]), 0);
  EXPECT_LT(SignedArea(rings[1]), 0);
}

TEST(PolygonRingsTest, PointInRingSidesAndBoundary) {
  const PointPart ring = Square(0, 0, 10, false);
  EXPECT_EQ(PointInRing({5, 5}, ring), 1);
  EXPECT_EQ(PointInRing({15, 5}, ring), -1);
  EXPECT_EQ(PointInRing({10, 5}, ring), 0);
  EXPECT_EQ(PointInRing({0, 0}, ring), 0);
  EXPECT_EQ(PointInRing({-1, 0}, ring), -1);
}

TEST_F(ExporterTest, CompoundRingsAreClassifiedInTheOutput) {
  AddPlaneFrame(1000, 2000);
  sim::Art& compound = host.AddCompoundPath(*roads.group);
  auto add = [&](float x, float y, float size, bool clockwise) {
    std::vector<AIRealPoint> corners{{x, y}, {x + size, y}, {x + size, y + size}, {x, y + size}};
    if (clockwise) std::reverse(corners.begin(), corners.end());
    host.AddPath(compound, corners, true);
  };
  // Each added below the one before: from the back, the hole comes first.
  add(200, 0, 50, false);   // a second island
  add(0, 0, 100, false);    // outer
  add(40, 40, 10, false);   // hole, drawn the "wrong" way
  ASSERT_EQ(Export({DialogAction::Click(ids::kPolygon), DialogAction::Check(ids::kExpandBezier, false)}), kNoErr);
  ASSERT_EQ(Records().size(), 1u);
  const std::vector<PointPart>& parts = Records()[0].parts;
  ASSERT_EQ(parts.size(), 3u);
  const double m2 = kM * kM;
  EXPECT_NEAR(SignedArea(parts[0]), -100 * 100 * m2, 1e-3);
  EXPECT_NEAR(SignedArea(parts[1]), 10 * 10 * m2, 1e-3);
  EXPECT_NEAR(SignedArea(parts[2]), -50 * 50 * m2, 1e-3);
}

}  // namespace

namespace {

TEST_F(ExporterTest, LayersSublayersAndReservedLayers) {
  AddPlaneFrame(1000, 2000);
  host.AddSymbol(*roads.group, {0, 1, 1, 0});
  sim::Layer& folder = host.AddSublayer(roads, "フォルダ");
  host.AddSymbol(*folder.group, {0, 3, 3, 0});
  sim::Layer& hidden = host.AddSublayer(roads, "隠れ");
  hidden.visible = false;
  host.AddSymbol(*hidden.group, {0, 5, 5, 0});
  sim::Layer& rivers = host.AddLayer("河川");
  host.AddSymbol(*rivers.group, {0, 7, 7, 0});
  sim::Layer& marker = host.AddLayer("4点座標マーカー 左下");  // one marker layer alone: reserved all the same
  host.AddSymbol(*marker.group, {0, 9, 9, 0});
  host.AddSymbol(*host.AddSublayer(rivers, "Kartzmap DataFrame").group, {0, 11, 11, 0});
  SetLayerFields(folder, {Field("FOLDER", 0, 10)});

  auto centresX = [this] {
    std::vector<double> xs;
    for (const Written& w : Records()) xs.push_back(std::round((w.parts[0][0].x - 1000) / kM * 2) / 2);
    return xs;
  };
  // Visible layers: the hidden sublayer stays out; the sublayer's field list counts.
  ASSERT_EQ(Export({DialogAction::Choose(ids::kTarget, 1), DialogAction::Check(ids::kAddLayerField, true)}), kNoErr);
  // Each layer from the back: the sublayers lie in front of the symbol.
  EXPECT_EQ(centresX(), (std::vector<double>{1.5, 0.5, 3.5}));
  EXPECT_EQ(Records()[0].layer, "フォルダ");
  EXPECT_EQ(Records()[1].layer, "道路");
  EXPECT_EQ(exporter->fieldNames, (std::vector<std::string>{"FOLDER", "AI_LAYER", "AI_TEXT"}));
  // All layers, one file each: the hidden sublayer joins its layer's file.
  ASSERT_EQ(Export({DialogAction::Choose(ids::kTarget, 2), DialogAction::Check(ids::kOneFilePerLayer, true)}, "."),
            kNoErr);
  EXPECT_EQ(centresX(), (std::vector<double>{2.5, 1.5, 0.5, 3.5}));
  EXPECT_EQ(exporter->opened, (std::vector<std::string>{"道路.shp", "河川.shp"}));
  EXPECT_EQ(host.User().fileDialogs.back().kind, sim::FileDialogRecord::Kind::Folder);
  EXPECT_EQ(host.User().fileDialogs.back().title, "書き出し先フォルダの指定");
}

TEST_F(ExporterTest, GroupsElementByElement) {
  AddPlaneFrame(1000, 2000);
  sim::Art& group = host.AddGroup(*roads.group);
  SetAttributes(group, {Field("G", 0, 5, 0, "group")});
  SetAttributes(host.AddPath(group, {{0, 0}, {10, 0}}, false), {Field("P", 0, 5, 0, "one")});
  sim::Art& inner = host.AddGroup(group);
  SetAttributes(host.AddPath(inner, {{0, 5}, {10, 5}}, false), {Field("P", 0, 5, 0, "two")});
  SetAttributes(host.AddPointText(inner, {1, 1}, "t"), {Field("P", 0, 5, 0, "text")});

  // Polylines without element-by-element: the group writes nothing.
  ASSERT_EQ(Export({DialogAction::Click(ids::kPolyline), DialogAction::Check(ids::kElementByElement, false)}),
            kNoErr);
  EXPECT_TRUE(Records().empty());
  ASSERT_EQ(Export({DialogAction::Click(ids::kPolyline), DialogAction::Check(ids::kElementByElement, true)}), kNoErr);
  ASSERT_EQ(Records().size(), 2u);  // from the back: the inner group lies below "one"
  EXPECT_EQ(Records()[0].values, "P=two;");
  EXPECT_EQ(Records()[1].values, "P=one;");
  // Points: every inner path and text with its own row. (Polylines cleared the
  // text box, and the preferences remember it.)
  ASSERT_EQ(Export({DialogAction::Click(ids::kPoint), DialogAction::Check(ids::kTexts, true)}), kNoErr);
  ASSERT_EQ(Records().size(), 3u);
  EXPECT_EQ(Records()[0].values, "P=text;");
}

TEST_F(ExporterTest, SelectionIsExportedAsSelected) {
  AddPlaneFrame(1000, 2000);
  sim::Art& partly = host.AddGroup(*roads.group);
  host.AddPath(partly, {{0, 0}, {2, 0}}, false);
  sim::Art& chosen = host.AddPath(partly, {{0, 10}, {2, 10}}, false);
  sim::Art& whole = host.AddGroup(*roads.group);
  host.AddPath(whole, {{20, 0}, {22, 0}}, false);
  host.AddPath(whole, {{20, 2}, {22, 2}}, false);
  sim::Art& compound = host.AddCompoundPath(*roads.group);
  sim::Art& member = host.AddPath(compound, {{40, 0}, {42, 0}, {42, 2}}, true);
  host.AddPath(compound, {{40, 10}, {42, 10}, {42, 12}}, true);
  host.AddPath(*roads.group, {{60, 0}, {62, 0}}, false);  // not selected
  host.Select(chosen);
  host.Select(whole);
  host.Select(member);

  ASSERT_EQ(Export({DialogAction::Choose(ids::kTarget, 3)}), kNoErr);
  ASSERT_EQ(Records().size(), 3u);  // the path of the partly selected group, the group, the compound path once
  ExpectAt(Records()[0].parts[0][0], 1, 10);
  ExpectAt(Records()[1].parts[0][0], 21, 1);
  EXPECT_NEAR(Records()[2].parts[0][0].x, 1000 + 41 * kM, 1e-6);
  const auto& texts = host.User().progress.texts;
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.front().rfind("書き出しています 0 / ", 0), 0u);
}

TEST_F(ExporterTest, PointsWithoutAPlaceAreLeftOutAndCounted) {
  // A latitude/longitude frame converted to plane system 9: art far beyond
  // the pole has no latitude.
  DataFrameParams frame;
  frame.datum = 2;
  frame.kind = 1;
  frame.scale = 3600;
  // The anchor at 139°50'E 36°N, inside system 9 (a longitude a quarter turn
  // or more from the system's meridian has no plane position either).
  const double radius = 6378137 * (3 - 1 / 298.257222101) / 3;
  frame.originX = 139.8333 * 3.14159265358979 / 180 * radius;
  frame.originY = 36 * 3.14159265358979 / 180 * radius;
  AddFrame(frame);
  host.AddSymbol(*roads.group, {0, 1, 1, 0});
  host.AddSymbol(*roads.group, {0, 1e7f, 1, 1e7f - 1});
  host.AddSymbol(*roads.group, {0, 2e7f, 1, 2e7f - 1});
  ASSERT_EQ(Export({DialogAction::Click(ids::kConvert), DialogAction::Click(ids::kOutputPlane),
                    DialogAction::Choose(ids::kOutputPlaneSystem, 9)}),
            kNoErr);
  EXPECT_EQ(Records().size(), 1u);
  EXPECT_EQ(AlertTexts(), std::vector<std::string>{"座標を変換できないオブジェクトが 2 個あり、書き出しませんでした"});
}

TEST_F(ExporterTest, CancelledChoiceOfFileWritesNothing) {
  AddPlaneFrame(1000, 2000);
  host.AddSymbol(*roads.group, {0, 1, 1, 0});
  AnswerExport({}, std::nullopt);
  RecordingExporter e(plugin);
  EXPECT_EQ(e.Run(), kCanceledErr);
  EXPECT_TRUE(e.opened.empty());
  ASSERT_EQ(host.User().fileDialogs.size(), 1u);
  EXPECT_EQ(host.User().fileDialogs[0].title, "ファイルの書き出し");
}

}  // namespace

namespace {

// Conversions on the way out agree with PROJ, run on the same point.
TEST_F(ExporterTest, ConvertedOutputAgreesWithProj) {
  AddPlaneFrame(20000, -30000);  // the artboard origin is plane Y 20000, X -30000 of system 9
  host.AddSymbol(*roads.group, {-1, 1, 1, -1});
  struct Case {
    std::vector<DialogAction> actions;
    std::string target;  // PROJ's definition of the output system
    double tolerance;
  };
  const std::vector<Case> cases{
      {{DialogAction::Click(ids::kConvert), DialogAction::Click(ids::kOutputLatLong)}, "+proj=longlat +ellps=GRS80",
       1e-9},
      {{DialogAction::Click(ids::kConvert), DialogAction::Click(ids::kOutputUtm),
        DialogAction::Choose(ids::kOutputUtmZone, 54)},
       "+proj=utm +zone=54 +ellps=GRS80", 1e-3},
      {{DialogAction::Click(ids::kConvert), DialogAction::Click(ids::kOutputPlane),
        DialogAction::Choose(ids::kOutputPlaneSystem, 10)},
       "+proj=tmerc +lat_0=40 +lon_0=140.8333333333333 +k=0.9999 +ellps=GRS80", 1e-3},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Export(c.actions), kNoErr);
    ASSERT_EQ(Records().size(), 1u);
    const auto proj = kztest::RunCommand(
        "echo 20000 -30000 | cs2cs -f %.12f +proj=tmerc +lat_0=36 +lon_0=139.8333333333333 +k=0.9999 +ellps=GRS80 "
        "+to " + c.target);
    ASSERT_EQ(proj.status, 0) << proj.err;
    double x = 0, y = 0;
    ASSERT_EQ(std::sscanf(proj.out.c_str(), "%lf %lf", &x, &y), 2) << proj.out;
    EXPECT_NEAR(Records()[0].parts[0][0].x, x, c.tolerance) << c.target;
    EXPECT_NEAR(Records()[0].parts[0][0].y, y, c.tolerance) << c.target;
  }
}

}  // namespace
