// The command engine run in-process against a small test plug-in (and the
// real one): exit codes, the lines it prints for alerts and dialogs, the map
// saved only after a successful command, Ctrl-C as the progress cancel.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/CommandEngine.h"
#include "plugin/EngineTestIds.h"
#include "sim/DocumentFile.h"
#include "sim/TextCodec.h"
#include "support/ScratchFolder.h"

namespace {

using kzmap::CommandEngine;
using kzmap::MapSession;
using kzmap::PluginCommand;
using engine_test_ids::kNameDialog;
using engine_test_ids::kNameEdit;
using sim::DialogAction;

constexpr const char* kPanel = "KzEngineTest";
enum Item : uint32_t { kSucceed = 1, kFail, kLong, kAsk, kDialog, kSaveFile, kNote, kInterrupt };

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> LayerTitles(const std::string& map) {
  sim::Host host;
  sim::Document& document = sim::LoadDocumentFile(host, map);
  std::vector<std::string> titles;
  for (const sim::Layer* layer : document.layers) titles.push_back(sim::Utf16ToUtf8(layer->title));
  return titles;
}

bool HasLayer(const std::string& map, const std::string& title) {
  for (const std::string& each : LayerTitles(map))
    if (each == title) return true;
  return false;
}

class CommandEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = kztest::FreshFolder("engine");
    map = folder + "/map.kzm";
    sim::Host host;
    host.NewDocument();
    host.AddLayer("地図");
    sim::SaveDocumentFile(*host.CurrentDocument(), map);
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  kzmap::EngineSettings Settings(std::FILE* messages) const {
    kzmap::EngineSettings settings;
    settings.messages = messages;
    settings.terminal = false;
    settings.pluginFile = KZ_ENGINE_TEST_PLUGIN;
    settings.preferences = folder + "/config/preferences.json";
    return settings;
  }

  MapSession Session(PluginCommand command) const {
    MapSession session;
    session.name = "test";
    session.map = map;
    session.command = std::move(command);
    return session;
  }

  // Runs the session; the exit status, and what it printed in `printed`.
  int Run(const MapSession& session, std::string& printed) {
    std::FILE* messages = std::tmpfile();
    int status = -1;
    {
      CommandEngine engine(Settings(messages));
      status = engine.Run(session);
    }
    std::fflush(messages);
    std::rewind(messages);
    printed.clear();
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, messages)) > 0;) printed.append(buffer, n);
    std::fclose(messages);
    return status;
  }

  std::string folder;
  std::string map;
};

struct Case {
  const char* what;
  PluginCommand command;
  std::function<void(kzmap::ScriptedUser&, const std::string& folder)> script;
  int status;
  std::vector<std::string> printed;  // lines the output must hold
  std::string layer;                 // a layer the saved map must have; empty: the map must be untouched
};

PluginCommand Flyout(uint32_t item) { return PluginCommand::Flyout(item, kPanel); }

const std::vector<Case>& Cases() {
  using User = kzmap::ScriptedUser;
  static const std::vector<Case> cases = {
      {"success", Flyout(kSucceed), nullptr, 0, {"数えています: 0%", "数えています: 100%"}, "試験済み"},
      {"error alert", Flyout(kFail), nullptr, 1,
       {"error: 試験の失敗です", "kzmap test: the command failed;"}, ""},
      {"progress cancelled by the script", Flyout(kLong), [](User& u, auto&) { u.cancelAt = 500; }, 1,
       {"数えています: 50%", "kzmap test: cancelled;"}, ""},
      {"question answered yes", Flyout(kAsk), [](User& u, auto&) { u.answers = {true}; }, 0,
       {"note: 続けますか？ (answered yes)"}, "はい"},
      {"question nobody answered", Flyout(kAsk), nullptr, 1,
       {"error: 続けますか？ (the options do not answer this question, so it was answered no)"}, ""},
      {"dialog answered", Flyout(kDialog),
       [](User& u, auto&) {
         u.dialogs.push_back({kNameDialog, {DialogAction::SetText(kNameEdit, "道路"), DialogAction::OK()}});
       },
       0, {}, "道路"},
      {"dialog cancelled by the script", Flyout(kDialog),
       [](User& u, auto&) { u.dialogs.push_back({kNameDialog, {DialogAction::Cancel()}}); }, 1,
       {"kzmap test: cancelled;"}, ""},
      {"dialog nobody expected", Flyout(kDialog), nullptr, 1,
       {"error: the command opened 「レイヤー名」, which the options do not fill in; it was cancelled"}, ""},
      {"dialog script that cannot be played", Flyout(kDialog),
       [](User& u, auto&) {
         u.dialogs.push_back({kNameDialog, {DialogAction::SetText(4242, "x"), DialogAction::OK()}});
       },
       1,
       {"error: 「レイヤー名」 did not accept the values given"}, ""},
      {"file chosen", Flyout(kSaveFile), [](User& u, auto& f) { u.fileDialogs = {f + "/out.txt"}; }, 0, {}, ""},
      {"file dialog cancelled", Flyout(kSaveFile), [](User& u, auto&) { u.fileDialogs = {std::nullopt}; }, 1,
       {"kzmap test: cancelled;"}, ""},
      {"file dialog nobody expected", Flyout(kSaveFile), nullptr, 1,
       {"error: the command asked for a file (「保存先」), which the options do not give; it was cancelled"}, ""},
      {"message alert", Flyout(kNote), nullptr, 0, {"note: お知らせです"}, "お知らせ済み"},
      {"answers left over", Flyout(kSucceed),
       [](User& u, auto&) {
         u.answers = {true};
         u.dialogs.push_back({kNameDialog, {DialogAction::OK()}});
       },
       0,
       {"warning: 1 of the answers the options gave to questions were not needed",
        "warning: some of the options were not used: the command ended before it asked for them"},
       "試験済み"},
      {"menu item", PluginCommand::Menu("KzEngineTest Add"), nullptr, 0, {}, "メニュー"},
      {"menu item that fails", PluginCommand::Menu("KzEngineTest Fail"), nullptr, 1,
       {"error: the command failed ('FAIL')"}, ""},
      {"disabled menu item", PluginCommand::Menu("KzEngineTest Disabled"), nullptr, 1,
       {"kzmap test: the menu item \"KzEngineTest Disabled\" cannot be chosen now"}, ""},
      {"missing menu item", PluginCommand::Menu("Nothing"), nullptr, 1,
       {"kzmap test: the plug-in has no menu item \"Nothing\""}, ""},
      {"missing flyout item", Flyout(99), nullptr, 1, {"kzmap test: the panel's menu has no item 99"}, ""},
      {"missing panel", PluginCommand::Flyout(1, "Elsewhere"), nullptr, 1,
       {"kzmap test: the plug-in has no panel \"Elsewhere\""}, ""},
  };
  return cases;
}

TEST_F(CommandEngineTest, ExitStatusMessagesAndSavingFollowTheCommand) {
  for (const Case& row : Cases()) {
    SCOPED_TRACE(row.what);
    SetUp();
    const std::string before = ReadAll(map);
    MapSession session = Session(row.command);
    if (row.script) row.script(session.user, folder);
    std::string printed;
    EXPECT_EQ(Run(session, printed), row.status) << printed;
    for (const std::string& line : row.printed) EXPECT_NE(printed.find(line), std::string::npos) << line << "\n" << printed;
    // The user hears of options, never of how the tool plays the dialogs.
    for (const char* machinery : {"(dialog ", "answer(s)", "script"})
      EXPECT_EQ(printed.find(machinery), std::string::npos) << machinery << "\n" << printed;
    if (row.status != 0) {
      EXPECT_EQ(ReadAll(map), before) << "a failed or cancelled command must leave MAP as it was";
    } else {
      EXPECT_TRUE(HasLayer(map, "地図"));
      if (!row.layer.empty()) {
        EXPECT_TRUE(HasLayer(map, row.layer)) << printed;
      }
    }
  }
}

// A refused or unused dialog is told by the options that fill it in.
TEST_F(CommandEngineTest, DialogProblemsNameTheOptions) {
  struct Row {
    const char* what;
    PluginCommand command;
    std::vector<DialogAction> actions;
    const char* printed;
  };
  const Row rows[] = {
      {"refused", Flyout(kDialog), {DialogAction::SetText(4242, "x"), DialogAction::OK()},
       "error: 「レイヤー名」 did not accept --title\n"},
      {"never shown", Flyout(kSucceed), {DialogAction::OK()},
       "warning: --title not used: the command ended before it asked for them\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    MapSession session = Session(row.command);
    session.user.dialogs.push_back({900, row.actions});
    session.dialogOptions[900] = "--title";
    std::string printed;
    Run(session, printed);
    EXPECT_NE(printed.find(row.printed), std::string::npos) << printed;
  }
}

TEST_F(CommandEngineTest, FileDialogAnswerReachesThePlugin) {
  MapSession session = Session(Flyout(kSaveFile));
  session.user.fileDialogs = {folder + "/出力.txt"};
  std::string printed;
  ASSERT_EQ(Run(session, printed), 0) << printed;
  EXPECT_TRUE(HasLayer(map, folder + "/出力.txt"));
}

TEST_F(CommandEngineTest, CtrlCCancelsTheRunningCommand) {
  struct sigaction original {};
  sigaction(SIGINT, nullptr, &original);
  MapSession session = Session(Flyout(kInterrupt));  // raises SIGINT itself at the tenth step
  std::string printed;
  EXPECT_EQ(Run(session, printed), 1) << printed;
  EXPECT_NE(printed.find("kzmap test: cancelled;"), std::string::npos) << printed;
  // The plug-in itself saw the cancel and stopped counting.
  EXPECT_NE(printed.find("数えています: 0%"), std::string::npos) << printed;
  EXPECT_EQ(printed.find("数えています: 10%"), std::string::npos) << printed;
  EXPECT_FALSE(HasLayer(map, "数え終わり"));
  struct sigaction after {};
  sigaction(SIGINT, nullptr, &after);
  EXPECT_EQ(after.sa_handler, original.sa_handler) << "the tool's own Ctrl-C handling must end with the run";

  // The next run is not cancelled by the last one's Ctrl-C.
  session.command = Flyout(kLong);
  EXPECT_EQ(Run(session, printed), 0) << printed;
  EXPECT_TRUE(HasLayer(map, "数え終わり"));
}

TEST_F(CommandEngineTest, MissingMapIsAnErrorUnlessTheCommandMakesIt) {
  std::filesystem::remove(map);
  MapSession session = Session(Flyout(kSucceed));
  std::string printed;
  EXPECT_EQ(Run(session, printed), 1);
  EXPECT_NE(printed.find("kzmap test: " + map), std::string::npos) << printed;
  EXPECT_FALSE(std::filesystem::exists(map));

  session.createMap = true;
  ASSERT_EQ(Run(session, printed), 0) << printed;
  EXPECT_EQ(LayerTitles(map), (std::vector<std::string>{"試験済み", "レイヤー 1"}));

  // A failed command does not leave a new MAP behind either.
  std::filesystem::remove(map);
  session.command = Flyout(kFail);
  EXPECT_EQ(Run(session, printed), 1);
  EXPECT_FALSE(std::filesystem::exists(map));
}

TEST_F(CommandEngineTest, DamagedMapIsReportedAndKept) {
  std::ofstream(map, std::ios::binary) << "{ not a map";
  std::string printed;
  EXPECT_EQ(Run(Session(Flyout(kSucceed)), printed), 1);
  EXPECT_NE(printed.find(map), std::string::npos) << printed;
  EXPECT_EQ(ReadAll(map), "{ not a map");
}

TEST_F(CommandEngineTest, PluginThatCannotBeLoadedIsAnError) {
  std::FILE* messages = std::tmpfile();
  kzmap::EngineSettings settings = Settings(messages);
  settings.pluginFile = folder + "/none.so";
  CommandEngine engine(settings);
  EXPECT_EQ(engine.Run(Session(Flyout(kSucceed))), 1);
  std::fclose(messages);
}

TEST_F(CommandEngineTest, PreferencesSurviveFromOneRunToTheNext) {
  MapSession first = Session(Flyout(kSucceed));
  first.before = [](sim::Host& host) {
    host.Preferences().Put("Kartzmap4.5", "ImportFolder", sim::PreferenceStore::FilePathValue{"/データ/道路"});
    host.Preferences().Put("Kartzmap4.5", "Encoding", int32_t{17});
    return true;
  };
  std::string printed;
  ASSERT_EQ(Run(first, printed), 0) << printed;

  std::optional<std::string> folderSeen;
  std::optional<int32_t> encodingSeen;
  MapSession second = Session(Flyout(kFail));  // kept even when the command fails
  second.before = [&](sim::Host& host) {
    if (auto path = host.Preferences().Get<sim::PreferenceStore::FilePathValue>("Kartzmap4.5", "ImportFolder"))
      folderSeen = path->path;
    encodingSeen = host.Preferences().Get<int32_t>("Kartzmap4.5", "Encoding");
    host.Preferences().Put("Kartzmap4.5", "Encoding", int32_t{1});
    return true;
  };
  EXPECT_EQ(Run(second, printed), 1);
  EXPECT_EQ(folderSeen, "/データ/道路");
  EXPECT_EQ(encodingSeen, 17);

  MapSession third = Session(Flyout(kSucceed));
  third.before = [&](sim::Host& host) {
    encodingSeen = host.Preferences().Get<int32_t>("Kartzmap4.5", "Encoding");
    return true;
  };
  EXPECT_EQ(Run(third, printed), 0);
  EXPECT_EQ(encodingSeen, 1);
}

TEST_F(CommandEngineTest, DamagedPreferencesAreAWarningNotAFailure) {
  const std::string preferences = folder + "/config/preferences.json";
  std::filesystem::create_directories(folder + "/config");
  std::ofstream(preferences) << "{\"format\": \"Kartzmap preferences\", \"version\": 1, \"preferences\": [";
  std::string printed;
  EXPECT_EQ(Run(Session(Flyout(kSucceed)), printed), 0) << printed;
  EXPECT_NE(printed.find("warning: preferences " + preferences), std::string::npos) << printed;
  EXPECT_TRUE(std::filesystem::exists(preferences + ".damaged"));
  // The run wrote a sound file in its place.
  sim::PreferenceStore store;
  EXPECT_TRUE(store.Load(preferences).loaded);
}

TEST_F(CommandEngineTest, RealPluginMakesMarkerLayers) {
  MapSession session = Session(PluginCommand::Flyout(8));  // "4点座標マーカーレイヤー作成"
  std::FILE* messages = std::tmpfile();
  kzmap::EngineSettings settings = Settings(messages);
  settings.pluginFile = KZ_PLUGIN_FILE;
  CommandEngine engine(settings);
  EXPECT_EQ(engine.Run(session), 0);
  std::fclose(messages);
  for (const char* title : {"4点座標マーカー 左下", "4点座標マーカー 左上", "4点座標マーカー 右上", "4点座標マーカー 右下"})
    EXPECT_TRUE(HasLayer(map, title)) << title;
  // The plug-in let go of every suite when it was shut down.
  EXPECT_EQ(engine.Host().Broker().TotalHeld(), 0);
}

}  // namespace
