// The annotation dialog: the field whose values become labels, and whether
// each label also gets a copy of its object's attribute row.
#pragma once

#include <vector>

#include "attributes/AttributeCommands.h"
#include "host/ModalDialog.h"

class AnnotationDialog : public ModalDialog {
 public:
  AnnotationDialog(const std::vector<ai::UnicodeString>& fieldNames, AnnotationRecord& record)
      : fieldNames(fieldNames), record(record) {}

 private:
  void OnInit() override;
  bool OnOK() override;

  const std::vector<ai::UnicodeString>& fieldNames;
  AnnotationRecord& record;
};
