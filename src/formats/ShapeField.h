// ShapeField: one typed attribute field of one object, its value held as text.
#pragma once

#include <cstdint>
#include <string_view>

#include "formats/DbfFieldDescriptor.h"
#include "host/UnicodeString.h"

enum ShapeFieldType : int32_t {
  kShapeFieldString = 0,
  kShapeFieldInteger = 1,
  kShapeFieldReal = 2,
  // Columns of a coordinate text file; never stored on art.
  kShapeFieldLatitude = 100,
  kShapeFieldLongitude = 101,
};

struct ShapeField {
  ai::UnicodeString name;
  int32_t type = kShapeFieldString;
  int32_t totalDigits = 0;  // as in a dBASE field; for reals including the point
  int32_t decimals = 0;
  ai::UnicodeString value;

  // The same field: name, type, total digits and decimals agree; the value does not count.
  bool IsSameField(const ShapeField& other) const;
};

// The field of one dBASE column for one record: name and value decoded with
// the table's encoding code, the value trimmed of spaces, and the dBASE type
// letter turned into a field type (F real, L integer 0/1, N integer or real by
// its decimals, everything else string). A number made of asterisks is a
// null and gives an empty value.
ShapeField FieldFromDbaseColumn(const DbfFieldDescriptor& descriptor, std::string_view rawText,
                                int32_t encodingCode);

// Removes leading and trailing space characters (only U+0020).
ai::UnicodeString TrimSpaces(const ai::UnicodeString& text);
