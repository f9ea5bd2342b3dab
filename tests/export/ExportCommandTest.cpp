// The two export commands of the panel's flyout menu, run by the loaded
// plug-in as the host runs them.
#include <gtest/gtest.h>

#include <filesystem>

#include "ExportTestHost.h"
#include "resources/DialogIds.h"
#include "support/PluginHostEnvironment.h"

namespace {

using kztest::LoadedPluginTest;
using sim::DialogAction;

class ExportCommandTest : public LoadedPluginTest {
 protected:
  void SetUp() override {
    LoadedPluginTest::SetUp();
    ASSERT_EQ(loader.Startup(), kNoErr);
  }
  // A plane rectangular map with one symbol, georeferenced by a frame made by hand.
  void OpenMap() {
    host.NewDocument();
    sim::Layer& frame = host.AddLayer("Kartzmap DataFrame");
    host.AddPointText(*frame.group, {0, 0}, "G=JGD|P=XY9|X=100.000000|Y=200.000000|S=3600|R=0.000000");
    sim::Layer& layer = host.AddLayer("道路");
    host.CurrentDocument()->currentLayer = &layer;
    host.AddSymbol(*layer.group, {9, 11, 11, 9});
  }
  sim::Panel* Panel() { return host.FindPanel("Kartzmap"); }

  kztest::ScratchFolder scratch;
  const std::filesystem::path folder = scratch.Path();
};

TEST_F(ExportCommandTest, NeedsADocument) {
  host.NewDocument();
  host.AddLayer("レイヤー 1");
  host.CloseDocument();
  for (uint32_t id : {5u, 6u}) host.ChooseFlyoutItem(*Panel(), id);
  EXPECT_TRUE(host.Dialogs().Runs().empty());
}

TEST_F(ExportCommandTest, ShapefileAndTextFile) {
  OpenMap();
  host.Dialogs().Expect(dialog_ids::kExportSettings, {DialogAction::OK()});
  host.User().fileDialogAnswers.push_back((folder / "map.shp").string());
  ASSERT_TRUE(host.ChooseFlyoutItem(*Panel(), 5));
  for (const char* extension : {".shp", ".shx", ".dbf", ".cpg", ".prj"})
    EXPECT_TRUE(std::filesystem::exists(folder / (std::string("map") + extension))) << extension;

  host.Dialogs().Expect(dialog_ids::kExportSettings, {DialogAction::OK()});
  host.User().fileDialogAnswers.push_back((folder / "map.txt").string());
  ASSERT_TRUE(host.ChooseFlyoutItem(*Panel(), 6));
  EXPECT_EQ(kztest::ReadFile(folder / "map.txt"),
            "\x95\xbd\x96\xca\x92\xbc\x8a\x70X\x8d\xc0\x95\x57(m)\t\x95\xbd\x96\xca\x92\xbc\x8a\x70Y\x8d\xc0\x95\x57(m)"
            "\tAI_TEXT\r\n212.700000000\t112.700000000\t\r\n");
  EXPECT_TRUE(host.User().alerts.empty());
  EXPECT_TRUE(host.Dialogs().UnexpectedRuns().empty());
}

}  // namespace
