#include "ImportScenario.h"

#include "resources/DialogIds.h"

namespace importtest {

using sim::DialogAction;
namespace coord_ids = dialog_ids::import_coord;

std::string ImportScenario::PluginFile() const { return KZ_PLUGIN_FILE; }

void ImportScenario::SetUp() {
  ASSERT_TRUE(loader.Load(PluginFile())) << loader.LoadError();
  ASSERT_EQ(loader.Startup(), kNoErr);
  host.NewDocument();
}

void ImportScenario::AnswerFiles(std::vector<std::string> files, const char* encoding) {
  std::vector<DialogAction> actions;
  if (encoding) actions.push_back(DialogAction::ChooseText(dialog_ids::open_file::kEncoding, encoding));
  dialogs.ExpectOpenFile(sim::OpenFileAnswer::Choose(std::move(files), std::move(actions)));
}

void ImportScenario::AnswerCoords(std::vector<DialogAction> actions) {
  dialogs.Expect(dialog_ids::kImportCoordSettings, std::move(actions));
}

void ImportScenario::AnswerNewPlaneMap(int32_t system, const char* scale) {
  AnswerCoords({DialogAction::Click(coord_ids::kTargetPlane), DialogAction::Choose(coord_ids::kTargetSystem, system),
                DialogAction::SetText(coord_ids::kScale, scale), DialogAction::OK()});
}

bool ImportScenario::Import() {
  sim::Panel* panel = host.FindPanel("Kartzmap");
  return panel && host.ChooseFlyoutItem(*panel, 1);
}

std::vector<std::string> ImportScenario::AlertTexts() {
  std::vector<std::string> texts;
  for (const auto& alert : host.User().alerts) texts.push_back(alert.text);
  return texts;
}

std::vector<std::string> ImportScenario::AlertTextsBesidesArtboardAdvice() {
  static const std::string advice = "次のファイルのデータの一部がアートボードの外に描かれました";
  std::vector<std::string> texts;
  for (const auto& alert : host.User().alerts) {
    if (alert.text.rfind(advice, 0) != 0) texts.push_back(alert.text);
  }
  return texts;
}

std::vector<std::string> ImportScenario::ErrorTexts() {
  std::vector<std::string> texts;
  for (const auto& alert : host.User().alerts) {
    if (alert.kind == sim::AlertRecord::Kind::Error) texts.push_back(alert.text);
  }
  return texts;
}

std::string ImportScenario::CurrentLayerTitle() {
  const sim::Layer* layer = host.Documents().back()->currentLayer;
  return layer ? sim::Host::Title(*layer) : std::string();
}

void ImportScenario::ExpectCleanDialogs() const {
  EXPECT_TRUE(dialogs.UnexpectedRuns().empty());
  EXPECT_TRUE(dialogs.Faults().empty()) << dialogs.Faults().front();
  EXPECT_EQ(dialogs.PendingScripts(), 0u);
  EXPECT_EQ(dialogs.PendingOpenFileAnswers(), 0u);
  for (const auto& run : dialogs.Runs()) EXPECT_TRUE(run.problems.empty()) << run.problems.front();
  for (const auto& run : dialogs.OpenFileRuns()) {
    EXPECT_TRUE(run.problems.empty()) << run.problems.front();
    if (run.child) {
      EXPECT_TRUE(run.child->problems.empty()) << run.child->problems.front();
    }
  }
}

}  // namespace importtest
