#include "attributes/SearchDialog.h"

#include "attributes/AttrTable.h"
#include "attributes/CKzShapeAttr.h"
#include "attributes/DecimalText.h"
#include "attributes/LayerWalk.h"
#include "host/AIArtSuite.h"
#include "host/AILayerSuite.h"
#include "host/AIUserSuite.h"
#include "host/SuitePointers.h"
#include "resources/DialogIds.h"
#include "resources/DialogResources.h"

namespace {

namespace ids = dialog_ids::search;
using namespace attribute_texts;

constexpr size_t kMaxTextCharacters = 254;
constexpr int32_t kTextMode = 0;
constexpr int32_t kNumberMode = 1;

// What one search looks for, with the bounds read.
struct SearchQuery {
  ShapeField definition;
  int32_t mode = kTextMode;
  std::u16string text;
  bool useLower = false, useUpper = false;
  double lower = 0, upper = 0;

  bool Matches(const ai::UnicodeString& value) const {
    if (mode == kTextMode) return value.as_UTF16().find(text) != std::u16string::npos;
    const double number = ReadDecimalPrefix(value);
    return (!useLower || number >= lower) && (!useUpper || number <= upper);
  }
};

// The art's value of the searched field; false when it has none.
bool ValueOf(AIArtHandle art, const ShapeField& definition, ai::UnicodeString& value) {
  CKzShapeAttr record;
  record.Load(art);
  int32_t position = 0;
  if (!record.IsLoaded() || !record.Find(definition, &position)) return false;
  return record.GetValue(position, value);
}

AIErr SelectMatches(AILayerHandle layer, const SearchQuery& query) {
  std::vector<AIArtHandle> art;
  if (AIErr error = ArtOfLayer(layer, art)) return error;
  for (AIArtHandle object : art) {
    AIBoolean skip = false;
    if (AIErr error = sAIArt->IsArtSkipped(object, &skip)) return error;
    if (skip) continue;
    ai::UnicodeString value;
    if (!ValueOf(object, query.definition, value) || !query.Matches(value)) continue;
    bool masked = false;
    if (AIErr error = IsHiddenOrLocked(object, &masked)) return error;
    if (masked) continue;
    if (AIErr error = sAIArt->SetArtUserAttr(object, kArtSelected, kArtSelected)) return error;
  }
  return kNoErr;
}

AIErr RunSearch(const SearchQuery& query) {
  if (AIErr error = DeselectAll()) return error;
  std::vector<AILayerHandle> layers;
  if (AIErr error = TopLevelLayers(layers)) return error;
  for (AILayerHandle layer : layers) {
    AIBoolean visible = false, editable = false;
    if (AIErr error = sAILayer->GetLayerVisible(layer, &visible)) return error;
    if (AIErr error = sAILayer->GetLayerEditable(layer, &editable)) return error;
    if (!visible || !editable) continue;
    if (AIErr error = SelectMatches(layer, query)) return error;
  }
  return kNoErr;
}

}  // namespace

void SearchDialog::OnInit() {
  ListReset(ids::kField);
  for (const ai::UnicodeString& name : fieldNames) ListAdd(ids::kField, name);
  ListSelect(ids::kField, record.field);
  CheckRadio(ids::kTextMode, ids::kNumberMode, record.mode == kNumberMode ? ids::kNumberMode : ids::kTextMode);
  SetText(ids::kText, ai::UnicodeString::FromUTF16(record.text));
  SetChecked(ids::kUseLower, record.useLower);
  SetText(ids::kLower, ai::UnicodeString::FromUTF16(record.lower));
  SetChecked(ids::kUseUpper, record.useUpper);
  SetText(ids::kUpper, ai::UnicodeString::FromUTF16(record.upper));
  UpdateEnabling();
}

void SearchDialog::UpdateEnabling() const {
  const bool number = IsChecked(ids::kNumberMode);
  Enable(ids::kText, !number);
  Enable(ids::kUseLower, number);
  Enable(ids::kUseUpper, number);
  Enable(ids::kLower, number && IsChecked(ids::kUseLower));
  Enable(ids::kUpper, number && IsChecked(ids::kUseUpper));
}

void SearchDialog::OnCommand(int32_t id, int32_t code) {
  if (code == kCommandClicked) UpdateEnabling();
}

bool SearchDialog::BoundIsNumber(int32_t edit, const ai::UnicodeString& text, double* value) const {
  if (ParseDecimal(text, value)) return true;
  ShowMessage(kRangeNotNumber);
  SetFocus(edit);
  SelectAllText(edit);
  return false;
}

bool SearchDialog::OnOK() {
  const int32_t mode = IsChecked(ids::kNumberMode) ? kNumberMode : kTextMode;
  const bool useLower = IsChecked(ids::kUseLower);
  const bool useUpper = IsChecked(ids::kUseUpper);
  const ai::UnicodeString lower = GetText(ids::kLower, kMaxTextCharacters);
  const ai::UnicodeString upper = GetText(ids::kUpper, kMaxTextCharacters);
  if (mode == kNumberMode) {
    if ((!useLower && !useUpper) || (useLower && lower.empty()) || (useUpper && upper.empty())) {
      ShowMessage(kNoRange);
      return false;
    }
    double low = 0, high = 0;
    if (useLower && !BoundIsNumber(ids::kLower, lower, &low)) return false;
    if (useUpper && !BoundIsNumber(ids::kUpper, upper, &high)) return false;
    if (useLower && useUpper && high < low) {
      ShowMessage(kBadRange);
      return false;
    }
  }
  record.field = ListSelection(ids::kField);
  record.mode = mode;
  record.text = GetText(ids::kText, kMaxTextCharacters).as_UTF16();
  record.useLower = useLower;
  record.lower = lower.as_UTF16();
  record.useUpper = useUpper;
  record.upper = upper.as_UTF16();
  return true;
}

AIErr SearchByAttribute(SPPluginRef plugin, const AttrTable& table, int32_t row, SearchRecord& record) {
  if (table.RowCount() == 0) {
    sAIUser->MessageAlert(ai::UnicodeString(kNoFields).Ref());
    return kNoErr;
  }
  std::vector<ai::UnicodeString> names;
  for (int32_t i = 0; i < table.RowCount(); ++i) names.push_back(table.Row(i).field.name);
  record.field = row >= 0 && row < table.RowCount() ? row : 0;
  SearchDialog dialog(names, record);
  int32_t result = kCanceledErr;
  if (AIErr error = RunPluginDialog(plugin, dialog_ids::kSearch, dialog, &result)) return error;
  if (result != kNoErr) return result;
  if (record.field < 0 || record.field >= table.RowCount()) return kNoErr;

  SearchQuery query;
  const ShapeField& field = table.Row(record.field).field;
  query.definition = ShapeField{field.name, field.type, field.totalDigits, field.decimals, {}};
  query.mode = record.mode;
  query.text = record.text;
  query.useLower = record.useLower && ParseDecimal(ai::UnicodeString::FromUTF16(record.lower), &query.lower);
  query.useUpper = record.useUpper && ParseDecimal(ai::UnicodeString::FromUTF16(record.upper), &query.upper);
  return RunSearch(query);
}
