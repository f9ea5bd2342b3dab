// The field settings dialog of the coordinate text import: the delimiter,
// whether the first line names the fields, and a list of the columns with
// two sample rows, in which a double-click redefines a column.
#pragma once

#include "host/FilePath.h"
#include "host/HostTypes.h"
#include "host/ModalDialog.h"
#include "import/GeoTextFieldSettings.h"

class TextFieldDialog : public ModalDialog {
 public:
  // 0 when the user confirmed valid columns, STOP when cancelled, or the
  // failure to open the dialog. The settings change as the user works.
  static AIErr Show(GeoTextFieldSettings& settings, SPPluginRef plugin);
  // The same with the templates found in the module of pluginFile and the
  // dialog owned by owner.
  static AIErr Show(GeoTextFieldSettings& settings, const ai::FilePath& pluginFile, AIWindowRef owner);

 private:
  TextFieldDialog(GeoTextFieldSettings& settings, const ai::FilePath& pluginFile)
      : settings(settings), pluginFile(pluginFile) {}

  void OnInit() override;
  void OnCommand(int32_t id, int32_t code) override;
  void OnDoubleClick(int32_t id, int32_t row, int32_t column) override;
  bool OnOK() override;
  bool HasCellColours(int32_t id) const override;
  void OnCellColours(int32_t id, int32_t row, int32_t column, uint32_t& text, uint32_t& back) override;

  void FillList() const;

  GeoTextFieldSettings& settings;
  ai::FilePath pluginFile;
};
