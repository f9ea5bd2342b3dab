// The field definition dialog: name, type, total digits and decimals of one
// field, with the range checks that keep invalid definitions out of the
// table. Mode 0 edits a column of a coordinate text file (the two coordinate
// types are offered), mode 1 an existing field (it can ask for deletion),
// mode 2 a new field.
#pragma once

#include <cstdint>

#include "formats/ShapeField.h"
#include "host/FilePath.h"
#include "host/HostTypes.h"
#include "host/ModalDialog.h"

enum FieldDialogMode : int32_t {
  kFieldDialogTextColumn = 0,
  kFieldDialogEditField = 1,
  kFieldDialogNewField = 2,
};

struct FieldDialogParams {
  SPPluginRef plugin = nullptr;  // whose module holds the template
  ShapeField* field = nullptr;   // edited in place, only on OK
  int32_t mode = kFieldDialogNewField;
  uint8_t deleteRequested = 0;   // set when the user chose to delete the field
};

class FieldDialog : public ModalDialog {
 public:
  // 0 when the user confirmed (OK or delete), STOP when cancelled, or the
  // failure to open the dialog.
  static AIErr Show(FieldDialogParams& params);
  // The same with the template found in the module of pluginFile and the
  // dialog owned by owner.
  static AIErr Show(FieldDialogParams& params, const ai::FilePath& pluginFile, AIWindowRef owner);

 private:
  explicit FieldDialog(FieldDialogParams& params) : params(params) {}

  void OnInit() override;
  void OnCommand(int32_t id, int32_t code) override;
  bool OnOK() override;

  void FillTypes();
  void UpdateEnabling() const;
  bool Validate(int32_t item, int32_t totalDigits, int32_t decimals) const;
  void Refuse(const char* message, int32_t focus) const;

  FieldDialogParams& params;
};
