// The attribute value dialog: one field's definition shown, its value
// edited. A row whose selected objects carry different values starts empty.
#pragma once

#include "formats/ShapeField.h"
#include "host/ModalDialog.h"

class ValueEditDialog : public ModalDialog {
 public:
  // field holds the definition and the current value; on OK its value is
  // the text entered.
  ValueEditDialog(ShapeField& field, bool mixed) : field(field), mixed(mixed) {}

 private:
  void OnInit() override;
  bool OnOK() override;

  ShapeField& field;
  bool mixed;
};
