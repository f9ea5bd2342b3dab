#include "import/TextFieldDialog.h"

#include "attributes/FieldDialog.h"
#include "attributes/FieldValues.h"
#include "host/AIContextSuite.h"
#include "host/SPPluginsSuite.h"
#include "host/SuitePointers.h"
#include "resources/DialogIds.h"
#include "resources/DialogResources.h"

namespace {

namespace ids = dialog_ids::text_fields;

constexpr const char* kNeedCoordinates = "縦方向と横方向の座標値フィールドを各1つ設定してください。";

enum Column : int32_t { kNameColumn = 0, kTypeColumn = 1, kFirstSample = 2, kSecondSample = 3 };

}  // namespace

AIErr TextFieldDialog::Show(GeoTextFieldSettings& settings, SPPluginRef plugin) {
  AIFilePathRef file = nullptr;
  AIErr error = sSPPlugins->GetPluginFilePath(plugin, &file);
  if (error != kNoErr) return error;
  const ai::FilePath pluginFile = ai::FilePath::Adopt(file);
  AIWindowRef owner = nullptr;
  error = sAIContext->GetPlatformAppWindow(&owner);
  if (error != kNoErr) return error;
  return Show(settings, pluginFile, owner);
}

AIErr TextFieldDialog::Show(GeoTextFieldSettings& settings, const ai::FilePath& pluginFile, AIWindowRef owner) {
  TextFieldDialog dialog(settings, pluginFile);
  int32_t result = kCanceledErr;
  const AIErr error = RunPluginDialog(pluginFile, owner, dialog_ids::kTextFieldSettings, dialog, &result);
  return error != kNoErr ? error : result;
}

void TextFieldDialog::OnInit() {
  SetChecked(ids::kHeader, settings.headerFlag != 0);
  CheckRadio(ids::kTab, ids::kComma, settings.delimiter == GeoTextFieldSettings::kTab ? ids::kTab : ids::kComma);
  ViewSetStyle(ids::kColumns, kListViewGridLines | kListViewFullRowSelect);
  ViewInsertColumn(ids::kColumns, kNameColumn, "フィールド名", 100);
  ViewInsertColumn(ids::kColumns, kTypeColumn, "フィールドタイプ", 170);
  ViewInsertColumn(ids::kColumns, kFirstSample, "データ1行目", 150);
  ViewInsertColumn(ids::kColumns, kSecondSample, "データ2行目", 150);
  settings.BuildColumns();
  FillList();
}

void TextFieldDialog::FillList() const {
  ViewDeleteAllRows(ids::kColumns);
  const auto samples = settings.SampleRows();
  for (size_t i = 0; i < settings.columns.size(); ++i) {
    const ShapeField& column = settings.columns[i];
    const int32_t row = ViewAppendRow(ids::kColumns, column.name);
    ViewSetCell(ids::kColumns, row, kTypeColumn, ShapeFieldTypeName(column.type));
    for (size_t s = 0; s < samples.size(); ++s) {
      // A field the sample line does not have reads as empty.
      const ai::UnicodeString cell = i < samples[s].size() ? samples[s][i] : ai::UnicodeString();
      ViewSetCell(ids::kColumns, row, kFirstSample + static_cast<int32_t>(s), cell);
    }
  }
}

void TextFieldDialog::OnCommand(int32_t id, int32_t code) {
  if (code != kCommandClicked) return;
  if (id == ids::kTab || id == ids::kComma) {
    settings.SetDelimiter(IsChecked(ids::kTab) ? GeoTextFieldSettings::kTab : GeoTextFieldSettings::kComma);
    FillList();
  } else if (id == ids::kHeader) {
    settings.headerFlag = IsChecked(ids::kHeader) ? 1 : 0;
    settings.RenameColumns();
    FillList();
  }
}

void TextFieldDialog::OnDoubleClick(int32_t id, int32_t row, int32_t column) {
  if (id != ids::kColumns || row < 0 || row >= static_cast<int32_t>(settings.columns.size())) return;
  ShapeField field = settings.columns[static_cast<size_t>(row)];
  FieldDialogParams params;
  params.field = &field;
  params.mode = kFieldDialogTextColumn;
  if (FieldDialog::Show(params, pluginFile, Window()) != kNoErr) return;
  ShapeField& target = settings.columns[static_cast<size_t>(row)];
  target.name = field.name;
  target.type = field.type;
  target.totalDigits = field.totalDigits;
  target.decimals = field.decimals;
  FillList();
}

bool TextFieldDialog::OnOK() {
  if (settings.IsValid()) return true;
  ShowMessage(kNeedCoordinates);
  return false;
}

bool TextFieldDialog::HasCellColours(int32_t id) const { return id == ids::kColumns; }

void TextFieldDialog::OnCellColours(int32_t id, int32_t row, int32_t column, uint32_t& text, uint32_t& back) {
  if (column == kNameColumn) {
    text = PlatformRGB(255, 255, 255);
    back = PlatformRGB(0x40, 0x40, 0x40);
  } else if (column == kTypeColumn) {
    text = PlatformRGB(0, 0, 0);
    back = PlatformRGB(220, 240, 220);
  } else {
    text = PlatformRGB(0, 0, 0);
    back = PlatformRGB(255, 255, 255);
  }
}
