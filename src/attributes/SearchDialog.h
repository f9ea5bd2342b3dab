// The search dialog: a field, and a text to look for in its values or a
// numeric range that they must lie in. OK refuses a range that is missing,
// not a number, or upside down.
#pragma once

#include <vector>

#include "attributes/AttributeCommands.h"
#include "host/ModalDialog.h"

class SearchDialog : public ModalDialog {
 public:
  // The record gives the starting state and receives the choices on OK.
  SearchDialog(const std::vector<ai::UnicodeString>& fieldNames, SearchRecord& record)
      : fieldNames(fieldNames), record(record) {}

 private:
  void OnInit() override;
  void OnCommand(int32_t id, int32_t code) override;
  bool OnOK() override;

  void UpdateEnabling() const;
  // A ticked bound that is empty or not a number: the alert, and false.
  bool BoundIsNumber(int32_t edit, const ai::UnicodeString& text, double* value) const;

  const std::vector<ai::UnicodeString>& fieldNames;
  SearchRecord& record;
};
