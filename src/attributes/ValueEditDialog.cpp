#include "attributes/ValueEditDialog.h"

#include <string>

#include "attributes/AttrTable.h"
#include "attributes/AttributeCommands.h"
#include "attributes/FieldValues.h"
#include "host/AIUserSuite.h"
#include "host/SuitePointers.h"
#include "resources/DialogIds.h"
#include "resources/DialogResources.h"

namespace {

namespace ids = dialog_ids::value;

// Values longer than this are cut when read from the edit.
constexpr size_t kMaxValueCharacters = 254;

ai::UnicodeString Number(int32_t value) { return ai::UnicodeString::FromUTF8(std::to_string(value)); }

ai::UnicodeString TypeName(int32_t type) {
  switch (type) {
    case kShapeFieldString: return "文字列";
    case kShapeFieldInteger: return "整数";
    case kShapeFieldReal: return "実数";
    default: return {};
  }
}

}  // namespace

void ValueEditDialog::OnInit() {
  SetText(ids::kName, field.name);
  SetText(ids::kType, TypeName(field.type));
  SetText(ids::kTotalDigits, Number(field.totalDigits));
  SetText(ids::kDecimals, Number(field.decimals));
  SetTextLimit(ids::kValue, static_cast<int32_t>(kMaxValueCharacters));
  SetText(ids::kValue, mixed ? ai::UnicodeString() : field.value);
  SetFocus(ids::kValue);
  SelectAllText(ids::kValue);
}

bool ValueEditDialog::OnOK() {
  field.value = GetText(ids::kValue, kMaxValueCharacters);
  return true;
}

AIErr EditAttributeValue(SPPluginRef plugin, AttrTable& table, int32_t row, bool* changed) {
  *changed = false;
  if (row < 0 || row >= table.RowCount()) return kNoErr;
  const AttrTableRow& tableRow = table.Row(row);
  ShapeField field = tableRow.field;
  ValueEditDialog dialog(field, tableRow.mixed);
  int32_t result = kCanceledErr;
  if (AIErr error = RunPluginDialog(plugin, dialog_ids::kAttributeValue, dialog, &result)) return error;
  if (result != kNoErr) return result;
  table.SetValueOnSelection(row, field.value);
  *changed = true;
  // A value the field cannot hold is stored as the nearest it can: say which.
  bool fitted = false;
  const ai::UnicodeString stored = NormaliseValue(field, field.value, fitted);
  if (fitted) {
    const std::string text = "「" + field.value.as_UTF8() + "」はフィールド「" + field.name.as_UTF8() + "」（" +
                             TypeName(field.type).as_UTF8() + " " + std::to_string(field.totalDigits) +
                             " 桁）に収まらないため、「" + stored.as_UTF8() + "」を設定しました";
    sAIUser->MessageAlert(ai::UnicodeString::FromUTF8(text).Ref());
  }
  return kNoErr;
}
