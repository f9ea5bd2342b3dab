// The names of one field list, kept apart: an importer gives each field its
// name through Take, so that two columns never become one field.
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "host/UnicodeString.h"

class FieldNameSet {
 public:
  // name, or FIELDn when it is empty; a name already taken gets _2, _3...
  ai::UnicodeString Take(const ai::UnicodeString& name, int32_t number);

 private:
  std::set<std::u16string> taken;
};

// "FIELD" and the number.
ai::UnicodeString NumberedFieldName(int32_t number);
