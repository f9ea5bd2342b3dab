// The converter's two uses of the host: the grid file beside the plug-in file,
// and the alert when it cannot be read.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "geodesy/CoordConverter.h"
#include "geodesy/CoordLists.h"
#include "host/AIUnicodeStringSuite.h"
#include "host/AIUserSuite.h"
#include "host/DialogControls.h"
#include "host/SPPluginsSuite.h"
#include "host/SuitePointers.h"
#include "sim/DialogPlatform.h"
#include "sim/PluginRegistry.h"
#include "support/HostEnvironment.h"
#include "support/ScratchFolder.h"

namespace {

std::vector<std::string> alerts;
std::vector<std::string> notes;

AIErr RecordAlert(AIUnicodeStringRef message) {
  AIUnicodeStringRef copy = nullptr;
  if (sAIUnicodeString->Duplicate(message, &copy) != kNoErr) return FourCC("FAIL");
  alerts.push_back(ai::UnicodeString::Adopt(copy).as_UTF8());
  return kNoErr;
}

AIErr RecordNote(AIUnicodeStringRef message) {
  AIUnicodeStringRef copy = nullptr;
  if (sAIUnicodeString->Duplicate(message, &copy) != kNoErr) return FourCC("FAIL");
  notes.push_back(ai::UnicodeString::Adopt(copy).as_UTF8());
  return kNoErr;
}

class GeodesyHost : public kztest::HostTest {
 protected:
  void SetUp() override {
    alerts.clear();
    notes.clear();
    CoordConverter::ResetCorrectionNote();
    registry.RegisterSuites(host.Broker());
    const void* plugins = nullptr;
    ASSERT_EQ(host.Broker().Acquire(kSPPluginsSuite, kSPPluginsSuiteVersion, &plugins), kNoErr);
    sSPPlugins = static_cast<const SPPluginsSuite*>(plugins);
    user.ErrorAlert = RecordAlert;
    user.MessageAlert = RecordNote;
    sAIUser = &user;
    folder = kztest::FreshFolder("plugin");
    plugin = registry.AddPlugin(folder + "/Kartzmap.so");
  }
  void TearDown() override {
    sAIUser = nullptr;
    sSPPlugins = nullptr;
    host.Broker().Release(kSPPluginsSuite, kSPPluginsSuiteVersion);
    std::filesystem::remove_all(folder);
  }

  sim::PluginRegistry registry;
  AIUserSuite user{};
  std::string folder;
  SPPluginRef plugin = nullptr;
};

TEST_F(GeodesyHost, GridBesideThePluginAndAlertWhenMissing) {
  CoordConverter converter(plugin);
  EXPECT_FALSE(converter.Configure(CoordRef{1, 3, 9, 0}, CoordRef{2, 3, 9, 0}));
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0], "測地系変換パラメータファイルを開けません");

  unsigned char bytes[kGridRecordSize];
  EncodeGridRecord({52394000, {1, 2}}, bytes);
  std::ofstream(folder + "/TKY2JGD_Win.dat", std::ios::binary).write(reinterpret_cast<const char*>(bytes), sizeof bytes);
  EXPECT_TRUE(converter.Configure(CoordRef{1, 3, 9, 0}, CoordRef{2, 3, 9, 0}));
  EXPECT_EQ(converter.Grid().Size(), 1u);
  EXPECT_EQ(alerts.size(), 1u);
}

TEST_F(GeodesyHost, NoPluginFileMeansNoGrid) {
  registry.SetFailure("GetPluginFilePath", FourCC("FAIL"));
  CoordConverter converter(plugin);
  EXPECT_FALSE(converter.Configure(CoordRef{2, 1, 0, 0}, CoordRef{1, 1, 0, 0}));
  EXPECT_EQ(alerts.size(), 1u);
}

// Without the correction file JGD2000 and JGD2011 convert unchanged, and the
// first conversion of the run says so, once; configuring alone says nothing.
TEST_F(GeodesyHost, MissingCorrectionIsToldOnceWhenAPointConverts) {
  CoordConverter converter(plugin);
  ASSERT_TRUE(converter.Configure(CoordRef{2, 1, 0, 0}, CoordRef{4, 1, 0, 0}));
  EXPECT_FALSE(converter.CorrectionLoaded());
  EXPECT_TRUE(notes.empty());
  double lat = 0, lon = 0;
  ASSERT_TRUE(converter.ShiftDatum(38.3, 141.0, lat, lon));
  EXPECT_EQ(lat, 38.3);
  EXPECT_EQ(lon, 141.0);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0],
            "東北地方太平洋沖地震の補正パラメータファイル「touhokutaiheiyouoki2011.par」が見つからないため、"
            "JGD2000とJGD2011の間は補正せずに変換します。補正地域では最大5m程度ずれることがあります。");
  // Another converter, the other way, in the same run: not told again.
  CoordConverter reverse(plugin);
  ASSERT_TRUE(reverse.Configure(CoordRef{4, 3, 10, 0}, CoordRef{2, 3, 10, 0}));
  double x = 0, y = 0;
  ASSERT_TRUE(reverse.Convert(1000, 2000, x, y));
  EXPECT_NEAR(x, 1000, 1e-6);
  EXPECT_NEAR(y, 2000, 1e-6);
  EXPECT_EQ(notes.size(), 1u);
  EXPECT_TRUE(alerts.empty());
  // Conversions that do not cross between the two say nothing.
  CoordConverter::ResetCorrectionNote();
  CoordConverter same(plugin);
  ASSERT_TRUE(same.Configure(CoordRef{4, 1, 0, 0}, CoordRef{4, 3, 10, 0}));
  ASSERT_TRUE(same.Convert(141.0, 38.3, x, y));
  EXPECT_EQ(notes.size(), 1u);
}

TEST_F(GeodesyHost, CorrectionFileBesideThePluginIsRead) {
  std::ofstream text(folder + "/touhokutaiheiyouoki2011.par", std::ios::binary);
  for (int i = 0; i < 16; ++i) text << "header\n";
  // The four corners of the cell at 38°20′N 141°00′E, the same shift.
  for (const char* code : {"57414000", "57414001", "57414010", "57414011"}) text << code << " -0.10000 0.20000\n";
  text.close();
  CoordConverter converter(plugin);
  ASSERT_TRUE(converter.Configure(CoordRef{2, 1, 0, 0}, CoordRef{4, 1, 0, 0}));
  EXPECT_TRUE(converter.CorrectionLoaded());
  EXPECT_EQ(converter.CorrectionGrid().Size(), 4u);
  double lat = 0, lon = 0;
  ASSERT_TRUE(converter.ShiftDatum(38 + 1 / 3.0 + 0.001, 141.005, lat, lon));
  EXPECT_NEAR((lat - (38 + 1 / 3.0 + 0.001)) * 3600, -0.1, 1e-9);
  EXPECT_NEAR((lon - 141.005) * 3600, 0.2, 1e-9);
  EXPECT_TRUE(notes.empty());
  EXPECT_TRUE(alerts.empty());
}

TEST_F(GeodesyHost, UnreadableCorrectionFileFailsWithAnAlert) {
  std::ofstream text(folder + "/touhokutaiheiyouoki2011.par", std::ios::binary);
  for (int i = 0; i < 16; ++i) text << "header\n";
  text << "57410000 -0.10000\n";
  text.close();
  CoordConverter converter(plugin);
  EXPECT_FALSE(converter.Configure(CoordRef{4, 3, 10, 0}, CoordRef{2, 1, 0, 0}));
  EXPECT_TRUE(converter.GridMissing());
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0], "東北地方太平洋沖地震の補正パラメータファイル「touhokutaiheiyouoki2011.par」を読み込めません");
  // No correction needed, no file read.
  EXPECT_TRUE(converter.Configure(CoordRef{4, 3, 10, 0}, CoordRef{4, 1, 0, 0}));
  EXPECT_FALSE(converter.GridMissing());
}

class CoordListsTest : public kztest::HostTest {
 protected:
  // Two lists in a window of the test's own.
  static constexpr int32_t kZoneList = 1075, kSystemList = 1106;

  void SetUp() override {
    window = platform.CreateNativeWindow("lists");
    for (int32_t id : {kZoneList, kSystemList}) {
      const DialogControlTemplate list{id, DialogControlKind::DropDownList, "", 0, 0, 0, 100, 12};
      ASSERT_EQ(sim::DialogPlatform::Suite()->CreateControl(window, &list), kNoErr);
    }
  }
  void TearDown() override { platform.DestroyNativeWindow(window); }

  sim::DialogPlatform platform;
  AIWindowRef window = nullptr;
};

TEST_F(CoordListsTest, ItemIndexIsTheZoneOrSystemNumber) {
  const DialogControls controls(sim::DialogPlatform::Suite(), window);
  FillUtmZoneList(controls, kZoneList);
  FillPlaneSystemList(controls, kSystemList);
  FillPlaneSystemList(controls, kSystemList);  // filling again does not add twice
  const sim::DialogState state = platform.Snapshot(window);
  const auto& zones = state.Control(kZoneList);
  ASSERT_EQ(zones.items.size(), 61u);
  EXPECT_EQ(zones.items[0], "(座標帯を選択)");
  EXPECT_EQ(zones.items[31], "第31帯(0度～6度E)");
  EXPECT_EQ(zones.items[60], "第60帯(174度E～180度E)");
  EXPECT_EQ(zones.droppedWidth, 180);
  const auto& systems = state.Control(kSystemList);
  ASSERT_EQ(systems.items.size(), 20u);
  EXPECT_EQ(systems.items[0], "(座標系を選択)");
  EXPECT_EQ(systems.items[16], "16系（宮古列島・八重山列島）");
  EXPECT_EQ(systems.droppedWidth, 300);
  EXPECT_TRUE(platform.Faults().empty());
}

}  // namespace
