// The field layout of a coordinate text file as the user confirms it in the
// field settings dialog: the first lines of the file, whether the first line
// holds field names, the delimiter, and one definition per column (two of
// them the coordinate columns).
#pragma once

#include <cstdint>
#include <vector>

#include "formats/ShapeField.h"
#include "host/UnicodeString.h"

class GeoTextFieldSettings {
 public:
  static constexpr uint8_t kTab = 9;
  static constexpr uint8_t kComma = 44;
  // How many lines of the file the dialog shows and builds from.
  static constexpr size_t kFirstLines = 3;

  std::vector<ai::UnicodeString> firstLines;  // the first non-empty lines
  uint8_t headerFlag = 1;
  uint8_t delimiter = kTab;
  std::vector<ShapeField> columns;  // values unused
  int32_t yColumn = -1;             // type 100: latitude or plane X
  int32_t xColumn = -1;             // type 101: longitude or plane Y

  // The fields of one line at the delimiter, quotes honoured.
  std::vector<ai::UnicodeString> Split(const ai::UnicodeString& line) const;

  // Columns from the first line when there are none yet: names from it
  // (with the header flag) or FIELDn, then latitude, longitude and strings.
  void BuildColumns();
  // The header box changed: names from the first line, or FIELD1.. in order.
  void RenameColumns();
  // A new delimiter empties the columns and builds them again.
  void SetDelimiter(uint8_t newDelimiter);

  // The data lines shown as samples: the first two after the header.
  std::vector<std::vector<ai::UnicodeString>> SampleRows() const;

  // At least two columns, exactly one of each coordinate type.
  bool IsValid() const;
  // Records the coordinate columns; false when the columns are not valid.
  bool FindCoordinateColumns();

  // The attribute columns' definitions, in column order, with names made
  // unique among them (an empty or repeated name would make two columns
  // one field): an empty name becomes FIELDn after its column, a repeat
  // gets _2, _3... Indices of those columns go to columnsOut.
  std::vector<ShapeField> AttributeFields(std::vector<size_t>& columnsOut) const;
};
