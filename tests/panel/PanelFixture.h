// The plug-in started in the headless host with a document, and its panel
// driven as the user drives it: clicks and double-clicks in the panel's
// window, notifications as the host sends them. Attribute rows are written
// and read straight in the stand-in document, in the stored form, so the
// tests do not lean on the plug-in's own reading of it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "resources/DialogIds.h"
#include "sim/DialogPlatform.h"
#include "support/PluginHostEnvironment.h"

namespace kztest {

struct RowField {
  std::string name;
  int32_t type = 0;
  int32_t totalDigits = 0;
  int32_t decimals = 0;
  std::string value;
  bool operator==(const RowField&) const = default;
};

// The art's "KartzmapField" row, replaced.
void WriteRow(sim::Art& art, const std::vector<RowField>& fields);
// The art's row; empty when it has none.
std::vector<RowField> ReadRow(const sim::Art& art);
bool HasRow(const sim::Art& art);
// The value of the named field, or "(none)".
std::string ValueOf(const sim::Art& art, const std::string& name);

class PanelTest : public LoadedPluginTest {
 protected:
  void SetUp() override;

  sim::Panel* Panel() { return host.FindPanel("Kartzmap"); }
  AIWindowRef Window() { return Panel()->window; }
  // The panel's window as the user sees it after it painted.
  sim::DialogState Look();
  std::vector<std::vector<std::string>> ListRows() { return Look().Control(kList).rows; }
  // Acts in the panel's window; the action must be possible.
  void Act(const sim::DialogAction& action);
  void Click(int32_t id) { Act(sim::DialogAction::Click(id)); }
  void SelectionChanged();
  std::vector<std::string> AlertTexts();
  // An art object holding a one-field row, on the layer.
  sim::Art& Feature(sim::Art& container, const std::string& field, const std::string& value,
                    AIRealPoint at = {100, 100});

  static constexpr int32_t kCaption = dialog_ids::panel::kCaption, kList = dialog_ids::panel::kList,
                           kAnnotate = dialog_ids::panel::kAnnotate, kSearch = dialog_ids::panel::kSearch,
                           kDefine = dialog_ids::panel::kDefine, kNewField = dialog_ids::panel::kNewField;

  sim::Document* document = nullptr;
  sim::Layer* layer = nullptr;
};

}  // namespace kztest
