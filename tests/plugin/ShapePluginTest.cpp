// Kartzmap's plug-in class as the host drives it: start-up through
// PluginMain, the window and About menu items, the panel's flyout menu and
// commands through the callbacks the plug-in registered, and notifications.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "attributes/AttributePanel.h"
#include "host/AILayerSuite.h"
#include "host/AINotifierSuite.h"
#include "plugin/Plugin.h"
#include "resources/DialogIds.h"
#include "sim/HostSuites.h"
#include "sim/TextCodec.h"
#include "support/PluginHostEnvironment.h"

namespace {

namespace about_ids = dialog_ids::about;
using kztest::LoadedPluginTest;

const char* const kNoDocument = "新規ドキュメントを開いた状態で実行してください";

struct FlyoutRow {
  uint32_t id;
  const char* text;  // null: separator
};

const FlyoutRow kFlyoutMenu[] = {
    {1, "シェープファイル読み込み..."},
    {2, "座標付きテキストファイル読み込み..."},
    {3, "KMLファイル読み込み..."},
    {4, nullptr},
    {5, "シェープファイル書き出し..."},
    {6, "座標付きテキストファイル書き出し..."},
    {7, nullptr},
    {8, "4点座標マーカーレイヤー作成"},
    {9, "3点座標マーカーレイヤー作成"},
    {10, nullptr},
    {11, "以前の形式の属性データをアップグレード"},
};

struct NotifierRow {
  const char* name;
  const char* type;
};

const NotifierRow kNotifierTable[] = {
    {"KzMap Application Shutdown Notifier", "AI Application Shutdown Notifier"},
    {"KzMap Selection Changed Notifier", "AI Art Selection Changed Notifier"},
    {"KzMap Document Changed Notifier", "AI Document Changed Notifier"},
    {"KzMap UIBrightness Changed Notifier", "AI UI Brightness Changed Notifier"},
};

std::string Utf8(const std::u16string& units) { return sim::Utf16ToUtf8(units); }

class ShapePluginTest : public LoadedPluginTest {
 protected:
  sim::MenuItem* Item(const std::string& group) {
    for (auto& item : host.UI().menuItems)
      if (item->plugin == loader.Ref() && item->groupName == group) return item.get();
    return nullptr;
  }
  sim::MenuItem* WindowItem() { return Item("Tool Palettes"); }
  sim::MenuItem* AboutItem() { return Item("AboutKartzName"); }
  static AIMenuItemHandle Handle(sim::MenuItem* item) { return reinterpret_cast<AIMenuItemHandle>(item); }
  sim::Panel* Panel() { return host.FindPanel("Kartzmap"); }
  bool Checked() {
    EXPECT_EQ(loader.MenuUpdate(Handle(WindowItem())), kNoErr);
    return WindowItem()->checked;
  }
  // The plug-in's panel object, read through the host's user data.
  const AttributePanel* PanelObject() { return static_cast<const AttributePanel*>(Panel()->userData); }
  std::vector<std::string> AlertTexts() {
    std::vector<std::string> texts;
    for (const auto& alert : host.User().alerts) texts.push_back(alert.text);
    return texts;
  }
  bool Enabled(uint32_t id) { return Panel()->flyout->Find(id)->enabled; }
  void OpenDocumentWithLayer() {
    host.NewDocument();
    host.AddLayer("レイヤー 1");
  }
};

TEST_F(ShapePluginTest, StartupBuildsMenuItemsPanelFlyoutAndNotifiers) {
  ASSERT_EQ(loader.Startup(), kNoErr);

  sim::MenuItem* window = WindowItem();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->name, "Kartzmap4.5");
  EXPECT_EQ(Utf8(window->text), "Kartzmap4.5");
  EXPECT_EQ(window->options, 1);

  sim::MenuGroup* about = host.UI().FindGroup("AboutKartzName");
  ASSERT_NE(about, nullptr);
  ASSERT_NE(about->parentItem, nullptr);
  EXPECT_EQ(about->parentItem->groupName, "About");
  EXPECT_EQ(Utf8(about->parentItem->text), "Kartzについて...");
  ASSERT_NE(AboutItem(), nullptr);
  EXPECT_EQ(Utf8(AboutItem()->text), "Kartzmap4.5...");
  EXPECT_EQ(broker.HeldCount("AI Menu Suite"), 1);  // the About helper's own acquisition is released

  sim::Panel* panel = Panel();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(Utf8(panel->title), "Kartzmap4.5");
  EXPECT_EQ(panel->stateCount, 3);
  EXPECT_EQ(panel->size.width, 240);
  EXPECT_EQ(panel->size.height, 320);
  EXPECT_TRUE(panel->resizable);
  EXPECT_TRUE(panel->shown);
  EXPECT_EQ(panel->minimumSize.width, 230);
  EXPECT_EQ(panel->minimumSize.height, 140);
  for (AISize size : {panel->preferredUnconstrained, panel->preferredConstrained}) {
    EXPECT_EQ(size.width, 230);
    EXPECT_EQ(size.height, 400);
  }
  EXPECT_NE(panel->flyoutPreVisibility, nullptr);
  EXPECT_NE(panel->flyoutChosen, nullptr);
  EXPECT_NE(panel->sizeChanged, nullptr);
  ASSERT_NE(panel->flyout, nullptr);
  ASSERT_EQ(panel->flyout->items.size(), std::size(kFlyoutMenu));
  for (size_t i = 0; i < std::size(kFlyoutMenu); ++i) {
    const sim::FlyoutItem& item = panel->flyout->items[i];
    EXPECT_EQ(item.id, kFlyoutMenu[i].id);
    EXPECT_EQ(item.separator, kFlyoutMenu[i].text == nullptr) << item.id;
    if (kFlyoutMenu[i].text) {
      EXPECT_EQ(Utf8(item.text), kFlyoutMenu[i].text);
    }
  }

  const auto notifiers = registry.Notifiers();
  ASSERT_EQ(notifiers.size(), 5u);
  for (size_t i = 0; i < std::size(kNotifierTable); ++i) {
    EXPECT_EQ(notifiers[i + 1]->name, kNotifierTable[i].name);
    EXPECT_EQ(notifiers[i + 1]->type, kNotifierTable[i].type);
  }
  EXPECT_EQ(static_cast<Plugin*>(loader.Global())->LockCount(), 2);
  EXPECT_EQ(registry.AccessLockCount(loader.Ref()), 1);
  // The interface colours are read as the panel is built, not at the first
  // brightness change.
  const AIUIThemeColor& caption = PanelObject()->Color(0);
  const AIUIThemeColor theme = host.UI().themeColors[{1, 0}];
  EXPECT_FLOAT_EQ(caption.red, theme.red);
}

TEST_F(ShapePluginTest, WindowItemTogglesThePanelAndItsCheckMarkFollows) {
  ASSERT_EQ(loader.Startup(), kNoErr);
  EXPECT_TRUE(Panel()->shown);
  EXPECT_TRUE(Checked());
  for (bool shown : {false, true, false}) {
    EXPECT_EQ(loader.MenuGo(Handle(WindowItem())), kNoErr);
    EXPECT_EQ(Panel()->shown, shown);
    EXPECT_EQ(Checked(), shown);
  }
}

TEST_F(ShapePluginTest, AnExistingAboutGroupOfTheSameMakerIsReused) {
  // Another plug-in of the same maker made the sub-menu first.
  auto& ui = host.UI();
  ui.menuItems.push_back(std::make_unique<sim::MenuItem>());
  sim::MenuItem& other = *ui.menuItems.back();
  other.name = "AboutKartzName";
  other.groupName = "About";
  other.text = u"Kartzについて...";
  ui.menuGroups.push_back(std::make_unique<sim::MenuGroup>(sim::MenuGroup{"AboutKartzName", 0, &other}));
  const size_t groups = ui.menuGroups.size();

  ASSERT_EQ(loader.Startup(), kNoErr);
  EXPECT_EQ(ui.menuGroups.size(), groups);
  const auto inAbout = std::count_if(ui.menuItems.begin(), ui.menuItems.end(),
                                     [](const auto& item) { return item->groupName == "About"; });
  EXPECT_EQ(inAbout, 1);
  ASSERT_NE(AboutItem(), nullptr);
  EXPECT_EQ(Utf8(AboutItem()->text), "Kartzmap4.5...");
  EXPECT_NE(Panel(), nullptr);
}

TEST_F(ShapePluginTest, AboutItemShowsTheVersionAndOpensTheWebSite) {
  ASSERT_EQ(loader.Startup(), kNoErr);
  std::string version;
  host.Dialogs().Expect(dialog_ids::kAbout, {sim::DialogAction::Inspect([&](const sim::DialogState& state) {
                                               version = state.Control(about_ids::kVersion).text;
                                             }),
                                             sim::DialogAction::Click(about_ids::kWebSite), sim::DialogAction::OK()});
  EXPECT_EQ(loader.MenuGo(Handle(AboutItem())), kNoErr);
  const auto runs = host.Dialogs().RunsOf(dialog_ids::kAbout);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0]->caption, "Kartzmap4.5について");
  EXPECT_EQ(runs[0]->owner, host.MainWindow());
  EXPECT_TRUE(runs[0]->problems.empty());
  EXPECT_EQ(runs[0]->result, 0);
  EXPECT_EQ(version, "Version 4.5.1");
  ASSERT_EQ(host.Dialogs().Opened().size(), 1u);
  EXPECT_EQ(host.Dialogs().Opened()[0].rfind("https://", 0), 0u);
}

// Each command tests for a document before anything else; imports show the
// message even before they are built, exports check too.
class NoDocumentTest : public ShapePluginTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(NoDocumentTest, ShowsTheMessageAndDoesNothingElse) {
  ASSERT_EQ(loader.Startup(), kNoErr);
  sim::Panel* panel = Panel();
  // Called as the host calls the chosen item, whatever the enabling said.
  panel->flyoutChosen(reinterpret_cast<AIPanelRef>(panel), GetParam());
  ASSERT_EQ(host.User().alerts.size(), 1u);
  EXPECT_EQ(host.User().alerts[0].kind, sim::AlertRecord::Kind::Message);
  EXPECT_EQ(host.User().alerts[0].text, kNoDocument);
  EXPECT_TRUE(host.Dialogs().Runs().empty());
  EXPECT_TRUE(host.User().fileDialogs.empty());
  EXPECT_TRUE(host.UI().contextStack.empty());
}

INSTANTIATE_TEST_SUITE_P(Commands, NoDocumentTest, ::testing::Values(1u, 2u, 3u, 5u, 6u, 8u, 9u, 11u));

TEST_F(ShapePluginTest, SeparatorsAndUnknownIdsDoNothing) {
  ASSERT_EQ(loader.Startup(), kNoErr);
  sim::Panel* panel = Panel();
  const int64_t entries = host.UI().contextEntries;
  for (uint32_t id : {0u, 4u, 7u, 10u, 12u, 0xFFFFFFFFu})
    panel->flyoutChosen(reinterpret_cast<AIPanelRef>(panel), id);
  EXPECT_TRUE(host.User().alerts.empty());
  EXPECT_EQ(host.UI().contextEntries, entries);
}

TEST_F(ShapePluginTest, LayerCommandsAreEnabledOnlyWithALayer) {
  ASSERT_EQ(loader.Startup(), kNoErr);
  const uint32_t layerItems[] = {5, 6, 8, 9, 11};
  auto expectEnabling = [&](bool withLayer) {
    sim::Panel* panel = Panel();
    panel->flyoutPreVisibility(reinterpret_cast<AIPanelRef>(panel));
    for (uint32_t id : {1u, 2u, 3u}) EXPECT_TRUE(Enabled(id)) << id;
    for (uint32_t id : layerItems) EXPECT_EQ(Enabled(id), withLayer) << id;
  };
  expectEnabling(false);  // no document
  host.NewDocument();
  expectEnabling(false);  // a document without layers
  host.AddLayer("レイヤー 1");
  expectEnabling(true);
  host.CloseDocument();
  expectEnabling(false);
  EXPECT_TRUE(host.UI().contextStack.empty());
}

TEST_F(ShapePluginTest, MarkerItemsCreateTheMarkerLayers) {
  ASSERT_EQ(loader.Startup(), kNoErr);
  OpenDocumentWithLayer();
  ASSERT_TRUE(host.ChooseFlyoutItem(*Panel(), 8));
  ASSERT_TRUE(host.ChooseFlyoutItem(*Panel(), 9));
  for (const char* title : {"4点座標マーカー 左下", "4点座標マーカー 左上", "4点座標マーカー 右上",
                            "4点座標マーカー 右下", "3点座標マーカー 1/3", "3点座標マーカー 2/3",
                            "3点座標マーカー 3/3"})
    EXPECT_NE(host.FindLayer(title), nullptr) << title;
  EXPECT_TRUE(host.User().alerts.empty());
}

TEST_F(ShapePluginTest, NotificationsAfterTheShutdownNotificationDoNothing) {
  ASSERT_EQ(loader.Startup(), kNoErr);
  sim::Panel* panel = Panel();
  // A brightness change before shut-down reaches the panel.
  host.UI().themeColors[{1, 1}] = {1, 0.25f, 0.5f, 0.75f};
  EXPECT_EQ(loader.Broadcast(kAIUIBrightnessChangedNotifier), kNoErr);
  EXPECT_FLOAT_EQ(PanelObject()->Color(1).green, 0.5f);

  EXPECT_EQ(loader.Broadcast(kAIApplicationShutdownNotifier), kNoErr);
  EXPECT_TRUE(panel->destroyed);
  EXPECT_TRUE(panel->flyout->destroyed);
  EXPECT_EQ(Panel(), nullptr);

  const int64_t entries = host.UI().contextEntries;
  for (const char* type : {kAIArtSelectionChangedNotifier, kAIDocumentChangedNotifier,
                           kAIUIBrightnessChangedNotifier, kAIApplicationShutdownNotifier}) {
    EXPECT_EQ(loader.Broadcast(type), kNoErr) << type;
  }
  // Each delivery enters the context once in the dispatcher and nothing more.
  EXPECT_EQ(host.UI().contextEntries, entries + 4);
  EXPECT_EQ(loader.MenuGo(Handle(WindowItem())), kNoErr);
  EXPECT_FALSE(panel->shown);
  EXPECT_FALSE(Checked());
  EXPECT_TRUE(host.Dialogs().Faults().empty());
  EXPECT_EQ(loader.Shutdown(), kNoErr);
}

TEST_F(ShapePluginTest, WhatTheHostCausesReachesThePluginBeforeTheNextMessage) {
  ASSERT_EQ(loader.Startup(), kNoErr);
  OpenDocumentWithLayer();
  sim::Art& path = host.AddPath(*host.CurrentDocument()->layers[0]->group, {{0, 0}, {10, 10}}, false);
  host.Idle();
  const size_t before = registry.Deliveries().size();
  host.Select(path);
  EXPECT_EQ(registry.Deliveries().size(), before);  // the host is busy
  const size_t logged = loader.Log().size();
  EXPECT_EQ(loader.MenuUpdate(Handle(WindowItem())), kNoErr);
  ASSERT_EQ(registry.Deliveries().size(), before + 1);
  EXPECT_EQ(registry.Deliveries().back().notifier, "KzMap Selection Changed Notifier");
  EXPECT_EQ(registry.Deliveries().back().result, kNoErr);
  ASSERT_EQ(loader.Log().size(), logged + 2);
  EXPECT_EQ(loader.Log()[logged].selector, "AI Notify");
  EXPECT_EQ(loader.Log()[logged + 1].selector, "AI Update");

  // The host quits: the panel goes, and later notifications find nothing to do.
  EXPECT_EQ(host.ApplicationShutdown(), kNoErr);
  EXPECT_EQ(Panel(), nullptr);
  host.SetBrightness(sim::Host::Brightness::Dark);
  host.Select(path, false);
  host.Idle();
  EXPECT_EQ(registry.Deliveries().back().notifier, "KzMap Selection Changed Notifier");
  EXPECT_EQ(registry.Deliveries().back().result, kNoErr);
  EXPECT_EQ(loader.Shutdown(), kNoErr);
}

TEST_F(ShapePluginTest, ShutdownWithoutTheNotificationTakesThePanelDown) {
  ASSERT_EQ(loader.Startup(), kNoErr);
  sim::Panel* panel = Panel();
  EXPECT_EQ(loader.Shutdown(), kNoErr);
  EXPECT_TRUE(panel->destroyed);
  EXPECT_EQ(broker.TotalHeld(), 0);
}

// The layer suite with an insertion that fails, or throws, as a host-interface
// layer may: the plug-in must say so once and never let it reach the host.
AIErr RefuseInsert(AILayerHandle, AIPaintOrder, AILayerHandle*) { return kBadParameterErr; }
AIErr ThrowOnInsert(AILayerHandle, AIPaintOrder, AILayerHandle*) { throw std::runtime_error("host interface"); }

class FailingCommandTest : public ShapePluginTest,
                           public ::testing::WithParamInterface<AIErr (*)(AILayerHandle, AIPaintOrder, AILayerHandle*)> {
 protected:
  void SetUp() override {
    ShapePluginTest::SetUp();
    layers = *sim::LayerSuite();
    layers.InsertLayer = GetParam();
    broker.Register(kAILayerSuite, kAILayerSuiteVersion, &layers);
  }
  AILayerSuite layers{};
};

TEST_P(FailingCommandTest, BecomesOneErrorAlert) {
  ASSERT_EQ(loader.Startup(), kNoErr);
  OpenDocumentWithLayer();
  for (uint32_t id : {8u, 9u}) {
    host.User().alerts.clear();
    ASSERT_TRUE(host.ChooseFlyoutItem(*Panel(), id));
    ASSERT_EQ(host.User().alerts.size(), 1u) << id;
    EXPECT_EQ(host.User().alerts[0].kind, sim::AlertRecord::Kind::Error);
    EXPECT_EQ(host.User().alerts[0].text, "座標マーカーレイヤーを作成できませんでした");
    EXPECT_TRUE(host.UI().contextStack.empty());
  }
  // The plug-in carries on.
  EXPECT_EQ(loader.MenuGo(Handle(WindowItem())), kNoErr);
  EXPECT_FALSE(Panel()->shown);
}

INSTANTIATE_TEST_SUITE_P(Insertions, FailingCommandTest, ::testing::Values(RefuseInsert, ThrowOnInsert),
                         [](const auto& info) { return info.index == 0 ? "HostRefuses" : "HostInterfaceThrows"; });

}  // namespace

namespace {

// A host-interface call inside an import, an export or the upgrade that
// fails or throws: each becomes its command's one error alert, nothing
// reaches the host, and the plug-in carries on.
AIErr RefuseLayerArt(AILayerHandle, AIArtSet) { return kBadParameterErr; }
AIErr ThrowOnLayerArt(AILayerHandle, AIArtSet) { throw std::runtime_error("host interface"); }
AIErr ThrowOnFilePath(const char*, const char*, AIFilePathRef*) { throw std::runtime_error("host interface"); }
AIErr ThrowOnBoolean(const char*, const char*, AIBoolean*) { throw std::runtime_error("host interface"); }

struct FlyoutFailure {
  const char* name;
  uint32_t item;
  AIErr (*layerArt)(AILayerHandle, AIArtSet);             // or null
  AIErr (*filePath)(const char*, const char*, AIFilePathRef*);  // or null
  AIErr (*boolean)(const char*, const char*, AIBoolean*);       // or null
  const char* alert;
};

class FailingFlyoutTest : public ShapePluginTest, public ::testing::WithParamInterface<FlyoutFailure> {
 protected:
  void SetUp() override {
    ShapePluginTest::SetUp();
    artSets = *sim::ArtSetSuite();
    if (GetParam().layerArt) artSets.LayerArtSet = GetParam().layerArt;
    broker.Register(kAIArtSetSuite, kAIArtSetSuiteVersion, &artSets);
    preferences = *sim::PreferenceSuite();
    if (GetParam().filePath) preferences.GetFilePathPreference = GetParam().filePath;
    if (GetParam().boolean) preferences.GetBooleanPreference = GetParam().boolean;
    broker.Register(kAIPreferenceSuite, kAIPreferenceSuiteVersion, &preferences);
  }
  AIArtSetSuite artSets{};
  AIPreferenceSuite preferences{};
};

TEST_P(FailingFlyoutTest, BecomesTheCommandsErrorAlert) {
  ASSERT_EQ(loader.Startup(), kNoErr);
  OpenDocumentWithLayer();
  // A georeferenced map, so that an export gets as far as its settings.
  host.AddPointText(*host.AddLayer("Kartzmap DataFrame").group, {300, 400},
                    "G=JGD|P=XY9|X=-5000.000000|Y=-35000.000000|S=25000|R=0.000000");
  ASSERT_TRUE(host.ChooseFlyoutItem(*Panel(), GetParam().item));
  ASSERT_EQ(host.User().alerts.size(), 1u) << (AlertTexts().empty() ? "" : AlertTexts()[0]);
  EXPECT_EQ(host.User().alerts[0].kind, sim::AlertRecord::Kind::Error);
  EXPECT_EQ(host.User().alerts[0].text, GetParam().alert);
  EXPECT_TRUE(host.UI().contextStack.empty());
  EXPECT_EQ(loader.MenuGo(Handle(WindowItem())), kNoErr);
  EXPECT_FALSE(Panel()->shown);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, FailingFlyoutTest,
    ::testing::Values(
        FlyoutFailure{"UpgradeHostRefuses", 11, RefuseLayerArt, nullptr, nullptr, "属性データのアップグレードでエラーが発生しました"},
        FlyoutFailure{"UpgradeThrows", 11, ThrowOnLayerArt, nullptr, nullptr, "属性データのアップグレードでエラーが発生しました"},
        FlyoutFailure{"ShapeImportThrows", 1, nullptr, ThrowOnFilePath, nullptr, "読み込みでエラーが発生しました"},
        FlyoutFailure{"KmlImportThrows", 3, nullptr, ThrowOnFilePath, nullptr, "読み込みでエラーが発生しました"},
        FlyoutFailure{"ExportThrows", 5, nullptr, nullptr, ThrowOnBoolean, "書き出しでエラーが発生しました"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
