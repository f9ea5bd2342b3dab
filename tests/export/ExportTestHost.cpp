#include "ExportTestHost.h"


#include <fstream>
#include <regex>
#include <sstream>

#include "attributes/CKzShapeAttr.h"
#include "georef/DataFrame.h"
#include "resources/DialogIds.h"

namespace kztest {

std::vector<Feature> Features(const std::string& info) {
  std::vector<Feature> features;
  const std::regex field(R"(^  (\S+) \((\w+)\) = (.*)$)");
  const std::regex geometry(R"(^  ((POINT|LINESTRING|POLYGON|MULTI\w+) .*)$)");
  const std::regex number(R"(-?[0-9]+(\.[0-9]+)?)");
  std::istringstream in(info);
  std::smatch match;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("OGRFeature(", 0) == 0) features.emplace_back();
    if (features.empty()) continue;
    if (std::regex_match(line, match, geometry)) {
      const std::string text = match[1];
      features.back().shape = std::regex_replace(text, number, "#");
      for (auto it = std::sregex_iterator(text.begin(), text.end(), number); it != std::sregex_iterator(); ++it)
        features.back().numbers.push_back(std::stod(it->str()));
    } else if (std::regex_match(line, match, field)) {
      features.back().fields.push_back(match[1].str() + "=" + match[3].str());
    }
  }
  return features;
}

ExportTest::ExportTest() : host(environment.Host()), dialogs(host.Dialogs()) {
  document = &host.NewDocument();
  plugin = host.Plugins().AddPlugin("/proc/self/exe");
}

ExportTest::~ExportTest() = default;

void ExportTest::AddFrame(const DataFrameParams& params) { ASSERT_EQ(WriteDataFrame(params), kNoErr); }

void ExportTest::AddPlaneFrame(double originX, double originY, int32_t system, int32_t datum) {
  DataFrameParams frame;
  frame.datum = datum;
  frame.kind = 3;
  frame.system = system;
  frame.originX = originX;
  frame.originY = originY;
  frame.scale = 3600;
  AddFrame(frame);
}

void ExportTest::SetAttributes(sim::Art& art, const std::vector<ShapeField>& fields) {
  CKzShapeAttr record;
  record.Load(H(art));
  ASSERT_EQ(record.ReplaceAll(fields), kNoErr);
}

void ExportTest::SetLayerFields(sim::Layer& layer, const std::vector<ShapeField>& fields) {
  std::vector<ShapeField> definitions;
  for (ShapeField field : fields) {
    field.value = "";
    definitions.push_back(field);
  }
  SetAttributes(*layer.group, definitions);
}

void ExportTest::AnswerExport(std::vector<sim::DialogAction> actions, std::optional<std::string> path) {
  actions.push_back(sim::DialogAction::OK());
  dialogs.Expect(dialog_ids::kExportSettings, std::move(actions));
  host.User().fileDialogAnswers.push_back(std::move(path));
}

std::vector<std::string> ExportTest::AlertTexts() const {
  std::vector<std::string> texts;
  for (const auto& alert : host.User().alerts) texts.push_back(alert.text);
  return texts;
}

}  // namespace kztest
