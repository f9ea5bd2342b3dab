#include "attributes/FieldDialog.h"

#include <string>

#include "attributes/FieldValues.h"
#include "resources/DialogIds.h"
#include "resources/DialogResources.h"

namespace {

namespace ids = dialog_ids::field;

// Items of the type list, in order; the coordinate items only in mode 0.
constexpr int32_t kItemTypes[] = {kShapeFieldString, kShapeFieldInteger, kShapeFieldReal, kShapeFieldLatitude,
                                  kShapeFieldLongitude};
constexpr int32_t kStringItem = 0, kIntegerItem = 1, kRealItem = 2, kLatitudeItem = 3, kLongitudeItem = 4;

int32_t ItemOfType(int32_t type) {
  for (int32_t item = 0; item < static_cast<int32_t>(std::size(kItemTypes)); ++item) {
    if (kItemTypes[item] == type) return item;
  }
  return -1;
}

ai::UnicodeString Number(int32_t value) { return ai::UnicodeString::FromUTF8(std::to_string(value)); }

}  // namespace

AIErr FieldDialog::Show(FieldDialogParams& params) {
  if (params.field == nullptr) return kBadParameterErr;
  params.deleteRequested = 0;
  FieldDialog dialog(params);
  int32_t result = kCanceledErr;
  AIErr error = RunPluginDialog(params.plugin, dialog_ids::kFieldDefinition, dialog, &result);
  return error != kNoErr ? error : result;
}

AIErr FieldDialog::Show(FieldDialogParams& params, const ai::FilePath& pluginFile, AIWindowRef owner) {
  if (params.field == nullptr) return kBadParameterErr;
  params.deleteRequested = 0;
  FieldDialog dialog(params);
  int32_t result = kCanceledErr;
  AIErr error = RunPluginDialog(pluginFile, owner, dialog_ids::kFieldDefinition, dialog, &result);
  return error != kNoErr ? error : result;
}

void FieldDialog::OnInit() {
  const ShapeField& field = *params.field;
  SetTextLimit(ids::kName, 10);
  SetText(ids::kName, field.name);
  FillTypes();
  SetTextLimit(ids::kTotalDigits, 3);
  SetText(ids::kTotalDigits, Number(field.totalDigits));
  SetTextLimit(ids::kDecimals, 2);
  SetText(ids::kDecimals, Number(field.decimals));
  DialogControls::Show(ids::kDelete, params.mode == kFieldDialogEditField);
  UpdateEnabling();
  SetFocus(ids::kName);
  SelectAllText(ids::kName);
}

void FieldDialog::FillTypes() {
  ListReset(ids::kType);
  const int32_t items = params.mode == kFieldDialogTextColumn ? 5 : 3;
  for (int32_t item = 0; item < items; ++item) ListAdd(ids::kType, ShapeFieldTypeName(kItemTypes[item]));
  // A type without an item here selects nothing.
  const int32_t item = ItemOfType(params.field->type);
  ListSelect(ids::kType, item < items ? item : -1);
}

void FieldDialog::UpdateEnabling() const {
  const int32_t item = ListSelection(ids::kType);
  const bool coordinate = item == kLatitudeItem || item == kLongitudeItem;
  const bool whole = item == kStringItem || item == kIntegerItem;
  Enable(ids::kName, !coordinate);
  Enable(ids::kTotalDigits, !coordinate);
  Enable(ids::kDecimals, !coordinate && !whole);
}

void FieldDialog::OnCommand(int32_t id, int32_t code) {
  if (id == ids::kType && code == kCommandSelChange) {
    UpdateEnabling();
    return;
  }
  if (id == ids::kDelete && code == kCommandClicked) {
    if (!AskYesNo("このフィールドをレイヤーから削除します。よろしいですか？")) return;
    params.deleteRequested = 1;
    End(kNoErr);
  }
}

void FieldDialog::Refuse(const char* message, int32_t focus) const {
  ShowMessage(message);
  SetFocus(focus);
}

bool FieldDialog::Validate(int32_t item, int32_t totalDigits, int32_t decimals) const {
  switch (item) {
    case kStringItem:
      if (totalDigits < 1 || totalDigits > 254) {
        Refuse("文字列型の全桁数は1～254の間に設定してください", ids::kTotalDigits);
        return false;
      }
      return true;
    case kIntegerItem:
      if (totalDigits < 1 || totalDigits > 10) {
        Refuse("整数型の全桁数は1～10の間に設定してください", ids::kTotalDigits);
        return false;
      }
      return true;
    case kRealItem:
      if (totalDigits < 1 || totalDigits > 19) {
        Refuse("実数型の全桁数は1～19の間に設定してください", ids::kTotalDigits);
        return false;
      }
      if (decimals < 0 || decimals > totalDigits - 2) {
        Refuse("実数型の精度が不適切です", ids::kDecimals);
        return false;
      }
      return true;
    default:
      return true;
  }
}

bool FieldDialog::OnOK() {
  const int32_t item = ListSelection(ids::kType);
  const int32_t totalDigits = GetInteger(ids::kTotalDigits);
  const int32_t decimals = GetInteger(ids::kDecimals);
  if (!Validate(item, totalDigits, decimals)) return false;

  ShapeField& field = *params.field;
  field.name = GetText(ids::kName, 254);
  switch (item) {
    case kStringItem:
    case kIntegerItem:
    case kLatitudeItem:
    case kLongitudeItem:
      field.type = kItemTypes[item];
      field.totalDigits = (item == kStringItem || item == kIntegerItem) ? totalDigits : 0;
      field.decimals = 0;
      break;
    case kRealItem:
      field.type = kShapeFieldReal;
      field.totalDigits = totalDigits;
      field.decimals = decimals;
      break;
    default:
      // No type chosen: the type stays, the numbers are taken as entered.
      field.totalDigits = totalDigits;
      field.decimals = decimals;
      break;
  }
  return true;
}
