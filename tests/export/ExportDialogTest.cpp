// The export settings dialog played by the scripted user: what it shows at
// opening for each format and georeference, how its controls enable one
// another, OK's checks and what it writes back.
#include <gtest/gtest.h>

#include "ExportTestHost.h"
#include "export/ExportDialog.h"
#include "resources/DialogIds.h"

namespace {

using kztest::ExportTest;
using sim::DialogAction;
namespace ids = dialog_ids::export_settings;

class ExportDialogTest : public ExportTest {
 protected:
  ExportDialogTest() { host.AddLayer("道路"); }

  AIErr Show(std::vector<DialogAction> actions) {
    dialogs.Expect(dialog_ids::kExportSettings, std::move(actions));
    return ExportDialog::Show(ai::FilePath::FromPlatform("/proc/self/exe"), host.MainWindow(), settings);
  }
  const sim::DialogState& Opened() const { return dialogs.Runs().back().states.front(); }
  const sim::DialogState& Last() const { return dialogs.Runs().back().Last(); }

  ExportSettings settings = Both();

  static ExportSettings Both() {
    ExportSettings s;
    s.dataFramePresent = s.markersPresent = true;
    s.dataFrame = CoordRef{2, 3, 9, 0};
    return s;
  }
};

TEST_F(ExportDialogTest, OpensForEachFormat) {
  settings.format = kExportTextFile;
  settings.dataType = kExportPolygon;  // as the preferences may hold it
  settings.encoding = kEncodingUtf16;
  settings.delimiter = ',';
  EXPECT_EQ(Show({DialogAction::Cancel()}), kCanceledErr);
  const sim::DialogState& text = Opened();
  EXPECT_EQ(text.caption, "書き出しの設定");
  EXPECT_EQ(text.Control(ids::kTarget).items,
            (std::vector<std::string>{"現在のレイヤー: 道路", "表示されている全てのレイヤー", "全てのレイヤー"}));
  EXPECT_EQ(text.Control(ids::kEncoding).items, (std::vector<std::string>{"シフトJIS", "UTF-8", "UTF-16"}));
  EXPECT_EQ(text.Control(ids::kEncoding).selection, 2);
  EXPECT_TRUE(text.Control(ids::kComma).checked);
  EXPECT_TRUE(text.Control(ids::kDelimiterLabel).enabled);
  EXPECT_TRUE(text.Control(ids::kPoint).checked);
  EXPECT_FALSE(text.Control(ids::kPolygon).checked);
  EXPECT_FALSE(text.Control(ids::kPolyline).enabled);
  EXPECT_FALSE(text.Control(ids::kPolygon).enabled);
  EXPECT_EQ(text.Control(ids::kDataFrameDescription).text, "(世界測地系 平面直角座標 第9系)");
  EXPECT_EQ(text.Control(ids::kOutputUtmZone).items.size(), 61u);
  EXPECT_EQ(text.Control(ids::kMarkerPlaneSystem).items.size(), 20u);
  EXPECT_EQ(text.Control(ids::kAccuracy).trackMinimum, 1);
  EXPECT_EQ(text.Control(ids::kAccuracy).trackMaximum, 9);

  // The same preferences in a Shapefile export: no UTF-16, Shift-JIS shown.
  settings.format = kExportShapefile;
  EXPECT_EQ(Show({DialogAction::Cancel()}), kCanceledErr);
  const sim::DialogState& shp = Opened();
  EXPECT_EQ(shp.Control(ids::kEncoding).items, (std::vector<std::string>{"シフトJIS", "UTF-8"}));
  EXPECT_EQ(shp.Control(ids::kEncoding).selection, 0);
  EXPECT_FALSE(shp.Control(ids::kTab).enabled);
  EXPECT_FALSE(shp.Control(ids::kComma).enabled);
  EXPECT_TRUE(shp.Control(ids::kPolygon).checked);
  EXPECT_TRUE(dialogs.Faults().empty());
}

TEST_F(ExportDialogTest, GeoreferenceDecidesTheFirstChoice) {
  settings.markersPresent = false;
  Show({DialogAction::Cancel()});
  EXPECT_TRUE(Opened().Control(ids::kUseDataFrame).checked);
  EXPECT_FALSE(Opened().Control(ids::kUseMarkers).enabled);
  EXPECT_FALSE(Opened().Control(ids::kMarkerPlane).enabled);

  settings = Both();
  settings.dataFramePresent = false;
  Show({DialogAction::Cancel()});
  EXPECT_FALSE(Opened().Control(ids::kUseDataFrame).enabled);
  EXPECT_EQ(Opened().Control(ids::kDataFrameDescription).text, "");
  EXPECT_TRUE(Opened().Control(ids::kUseMarkers).checked);
  EXPECT_TRUE(Opened().Control(ids::kMarkerJgd).enabled);
}

TEST_F(ExportDialogTest, SelectionIsOfferedOnlyWhenSomethingIsSelected) {
  settings.selectionExists = true;
  Show({DialogAction::Cancel()});
  EXPECT_EQ(Opened().Control(ids::kTarget).items.size(), 4u);
  EXPECT_EQ(Opened().Control(ids::kTarget).items[3], "選択されているオブジェクト");
}

// One action and the states it leaves: the ids expected enabled and disabled,
// and the boxes expected cleared.
struct EnablingCase {
  const char* label;
  std::vector<DialogAction> actions;
  std::vector<int32_t> enabled;
  std::vector<int32_t> disabled;
  std::vector<int32_t> unchecked;
};

class ExportDialogEnablingTest : public ExportDialogTest, public ::testing::WithParamInterface<EnablingCase> {};

TEST_P(ExportDialogEnablingTest, ControlsFollow) {
  const EnablingCase& c = GetParam();
  settings.oneFilePerLayer = true;
  std::vector<DialogAction> actions = c.actions;
  actions.push_back(DialogAction::Cancel());
  Show(actions);
  const auto& states = dialogs.Runs().back().states;
  const sim::DialogState& after = states[states.size() - 2];
  for (int32_t id : c.enabled) EXPECT_TRUE(after.Control(id).enabled) << id;
  for (int32_t id : c.disabled) EXPECT_FALSE(after.Control(id).enabled) << id;
  for (int32_t id : c.unchecked) EXPECT_FALSE(after.Control(id).checked) << id;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ExportDialogEnablingTest,
    ::testing::Values(
        EnablingCase{"AllLayers", {DialogAction::Choose(ids::kTarget, 2)}, {ids::kOneFilePerLayer}, {}, {}},
        EnablingCase{"CurrentLayer", {DialogAction::Choose(ids::kTarget, 2), DialogAction::Choose(ids::kTarget, 0)},
                     {}, {ids::kOneFilePerLayer}, {ids::kOneFilePerLayer}},
        EnablingCase{"Polygon",
                     {DialogAction::Click(ids::kPolygon)},
                     {ids::kExpandBezier},
                     {ids::kGroups, ids::kTexts, ids::kSymbols, ids::kAccuracy},  // flattening was cleared by "point"
                     {ids::kGroups, ids::kTexts, ids::kSymbols}},
        EnablingCase{"PolygonWithoutPaths",
                     {DialogAction::Click(ids::kPolygon), DialogAction::Check(ids::kUnfilledPaths, false),
                      DialogAction::Check(ids::kFilledPaths, false)},
                     {},
                     {ids::kElementByElement},
                     {ids::kElementByElement}},
        EnablingCase{"PointClearsFlattening",
                     {DialogAction::Click(ids::kPolyline), DialogAction::Click(ids::kPoint)},
                     {ids::kGroups},
                     {ids::kExpandBezier, ids::kAccuracyLabel, ids::kAccuracy, ids::kAccuracyValue},
                     {ids::kExpandBezier}},
        EnablingCase{"MarkersAndPlane",
                     {DialogAction::Click(ids::kUseMarkers), DialogAction::Click(ids::kMarkerPlane)},
                     {ids::kMarkerJgd, ids::kMarkerTokyo, ids::kMarkerJgd2011, ids::kMarkerLatLong,
                      ids::kMarkerPlaneSystem},
                     {},
                     {}},
        EnablingCase{"DataFrameDisablesMarkers",
                     {DialogAction::Click(ids::kUseDataFrame)},
                     {},
                     {ids::kMarkerJgd, ids::kMarkerTokyo, ids::kMarkerJgd2011, ids::kMarkerLatLong,
                      ids::kMarkerPlane, ids::kMarkerPlaneSystem},
                     {}},
        EnablingCase{"ConvertToUtm",
                     {DialogAction::Click(ids::kConvert), DialogAction::Click(ids::kOutputUtm)},
                     {ids::kOutputJgd, ids::kOutputTokyo, ids::kOutputJgd2011, ids::kOutputWgs84, ids::kOutputLatLong,
                      ids::kOutputPlane, ids::kOutputUtmZone},
                     {ids::kOutputPlaneSystem},
                     {}},
        EnablingCase{"NoConversion",
                     {DialogAction::Click(ids::kNoConversion)},
                     {},
                     {ids::kOutputJgd, ids::kOutputJgd2011, ids::kOutputWgs84, ids::kOutputLatLong, ids::kOutputUtm,
                      ids::kOutputPlaneSystem, ids::kOutputUtmZone},
                     {}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(ExportDialogTest, TrackBarEndsAndItsLabel) {
  settings.dataType = kExportPolyline;
  EXPECT_EQ(Show({DialogAction::SetTrackPosition(ids::kAccuracy, 1),
                  DialogAction::Inspect([](const sim::DialogState& s) {
                    EXPECT_EQ(s.Control(ids::kAccuracyValue).text, "1");
                  }),
                  DialogAction::SetTrackPosition(ids::kAccuracy, 9), DialogAction::OK()}),
            kNoErr);
  EXPECT_EQ(Last().Control(ids::kAccuracyValue).text, "9");
  EXPECT_EQ(settings.bezierAccuracy, 9);
}

struct RefusalCase {
  const char* label;
  std::vector<DialogAction> actions;
  const char* message;
};

class ExportDialogRefusalTest : public ExportDialogTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(ExportDialogRefusalTest, KeepsTheDialogOpen) {
  const RefusalCase& c = GetParam();
  const ExportSettings before = settings;
  std::vector<DialogAction> actions = c.actions;
  actions.push_back(DialogAction::OK());
  actions.push_back(DialogAction::Cancel());
  EXPECT_EQ(Show(actions), kCanceledErr);
  ASSERT_EQ(AlertTexts(), std::vector<std::string>{c.message});
  EXPECT_NE(host.User().alerts[0].modalParent, nullptr);
  EXPECT_EQ(settings.dataType, before.dataType);
  EXPECT_EQ(settings.objectKinds, before.objectKinds);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, ExportDialogRefusalTest,
    ::testing::Values(
        RefusalCase{"NoObjectKind",
                    {DialogAction::Click(ids::kPolygon), DialogAction::Check(ids::kUnfilledPaths, false),
                     DialogAction::Check(ids::kFilledPaths, false)},
                    "書き出すオブジェクトを指定してください"},
        RefusalCase{"MarkerPlaneWithoutSystem",
                    {DialogAction::Click(ids::kUseMarkers), DialogAction::Click(ids::kMarkerPlane)},
                    "座標系を選択してください"},
        RefusalCase{"OutputPlaneWithoutSystem",
                    {DialogAction::Click(ids::kConvert), DialogAction::Click(ids::kOutputPlane)},
                    "座標系を選択してください"},
        RefusalCase{"UtmWithoutZone",
                    {DialogAction::Click(ids::kConvert), DialogAction::Click(ids::kOutputUtm)},
                    "UTMの座標帯を選択してください"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(ExportDialogTest, ReservedCurrentLayerIsRefused) {
  sim::Layer& frame = host.AddLayer("Kartzmap DataFrame");
  document->currentLayer = &frame;
  EXPECT_EQ(Show({DialogAction::OK(), DialogAction::Choose(ids::kTarget, 2), DialogAction::OK()}), kNoErr);
  ASSERT_EQ(AlertTexts().size(), 1u);
  EXPECT_EQ(AlertTexts()[0].rfind("現在のレイヤーはデータフレームまたは座標マーカーのレイヤーです", 0), 0u);
  EXPECT_EQ(settings.target, kExportAllLayers);
}

TEST_F(ExportDialogTest, OkWritesTheChoices) {
  settings.dataFramePresent = false;
  EXPECT_EQ(Show({DialogAction::Choose(ids::kTarget, 1), DialogAction::Check(ids::kOneFilePerLayer, true),
                  DialogAction::Click(ids::kPolyline), DialogAction::Choose(ids::kEncoding, 1),
                  DialogAction::Check(ids::kTexts, true),  // disabled by polyline: stays off
                  DialogAction::Check(ids::kElementByElement, true), DialogAction::Check(ids::kAddLayerField, true),
                  DialogAction::Click(ids::kMarkerTokyo), DialogAction::Click(ids::kMarkerPlane),
                  DialogAction::Choose(ids::kMarkerPlaneSystem, 9), DialogAction::OK()}),
            kNoErr);
  EXPECT_EQ(settings.target, kExportVisibleLayers);
  EXPECT_TRUE(settings.oneFilePerLayer);
  EXPECT_EQ(settings.dataType, kExportPolyline);
  EXPECT_EQ(settings.encoding, kEncodingUtf8);
  EXPECT_EQ(settings.objectKinds, kExportUnfilledPaths | kExportFilledPaths | kExportElements);
  EXPECT_FALSE(settings.addTextField);  // no text objects exported
  EXPECT_TRUE(settings.addLayerField);
  EXPECT_FALSE(settings.useDataFrame);
  EXPECT_EQ(settings.marker, (CoordRef{1, 3, 9, 0}));
  // Not converting: the output names the markers' system.
  EXPECT_FALSE(settings.convertCoords);
  EXPECT_EQ(settings.output, (CoordRef{1, 3, 9, 0}));

  settings = Both();
  EXPECT_EQ(Show({DialogAction::Click(ids::kConvert), DialogAction::Click(ids::kOutputUtm),
                  DialogAction::Choose(ids::kOutputUtmZone, 54), DialogAction::OK()}),
            kNoErr);
  EXPECT_TRUE(settings.useDataFrame);
  EXPECT_EQ(settings.output, (CoordRef{2, 2, 0, 54}));

  // Each output datum, and the dialog opens again with the one chosen.
  const std::pair<int32_t, int32_t> datums[] = {{ids::kOutputTokyo, kDatumTokyo},
                                                {ids::kOutputJgd2011, kDatumJgd2011},
                                                {ids::kOutputWgs84, kDatumWgs84},
                                                {ids::kOutputJgd, kDatumJgd2000}};
  for (const auto& [radio, datum] : datums) {
    ASSERT_EQ(Show({DialogAction::Click(radio), DialogAction::OK()}), kNoErr);
    EXPECT_EQ(settings.output, (CoordRef{datum, 2, 0, 54}));
    ASSERT_EQ(Show({DialogAction::OK()}), kNoErr);
    EXPECT_TRUE(Opened().Control(radio).checked) << radio;
    EXPECT_EQ(settings.output.datum, datum);
  }
}

TEST_F(ExportDialogTest, Jgd2011IsTheThirdDatumOfMarkersAndOutput) {
  settings = Both();
  settings.marker.datum = kDatumJgd2011;
  settings.output.datum = kDatumJgd2011;
  EXPECT_EQ(Show({DialogAction::Click(ids::kUseMarkers), DialogAction::Click(ids::kConvert),
                  DialogAction::Click(ids::kOutputPlane), DialogAction::Choose(ids::kOutputPlaneSystem, 10),
                  DialogAction::OK()}),
            kNoErr);
  EXPECT_EQ(Opened().Control(ids::kMarkerJgd2011).text, "世界測地系(JGD2011)");
  EXPECT_TRUE(Opened().Control(ids::kMarkerJgd2011).checked);
  EXPECT_FALSE(Opened().Control(ids::kMarkerJgd).checked);
  EXPECT_TRUE(Opened().Control(ids::kOutputJgd2011).checked);
  EXPECT_FALSE(Opened().Control(ids::kOutputJgd).checked);
  EXPECT_EQ(settings.marker.datum, kDatumJgd2011);
  EXPECT_EQ(settings.output, (CoordRef{4, 3, 10, 0}));

  // Chosen by the user, one datum per group.
  settings = Both();
  EXPECT_EQ(Show({DialogAction::Click(ids::kUseMarkers), DialogAction::Click(ids::kMarkerJgd2011),
                  DialogAction::Click(ids::kConvert), DialogAction::Click(ids::kOutputTokyo),
                  DialogAction::Click(ids::kOutputJgd2011), DialogAction::OK()}),
            kNoErr);
  EXPECT_EQ(settings.marker.datum, kDatumJgd2011);
  EXPECT_EQ(settings.output.datum, kDatumJgd2011);
}

}  // namespace
