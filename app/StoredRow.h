// An object's attribute row as the plug-in keeps it in the document: the
// art dictionary entry "KartzmapField", an array of five-entry arrays (name,
// type, total digits, decimals, value). The tool reads rows from the document
// the plug-in wrote rather than through a second copy of the plug-in's code.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/Document.h"

namespace kzmap {

struct StoredField {
  std::string name;  // UTF-8
  int32_t type = 0;
  int32_t totalDigits = 0;
  int32_t decimals = 0;
  std::string value;  // UTF-8
};

class StoredRow {
 public:
  // The art's row; nothing when the art has none, or when its entry is not
  // an array (Unreadable then says so).
  static std::optional<StoredRow> Of(const sim::Art& art);
  // Whether the art's dictionary holds a row entry that is not an array.
  static bool Unreadable(const sim::Art& art);

  const std::vector<StoredField>& Fields() const { return fields; }
  // Entries left out because they are not of the five-entry form.
  size_t Skipped() const { return skipped; }
  bool Has(const std::string& name) const;

 private:
  std::vector<StoredField> fields;
  size_t skipped = 0;
};

}  // namespace kzmap
