#include "import/FieldNameSet.h"

ai::UnicodeString NumberedFieldName(int32_t number) {
  return ai::UnicodeString::FromUTF8("FIELD" + std::to_string(number));
}

ai::UnicodeString FieldNameSet::Take(const ai::UnicodeString& name, int32_t number) {
  const ai::UnicodeString base = name.empty() ? NumberedFieldName(number) : name;
  ai::UnicodeString unique = base;
  for (int32_t repeat = 2; taken.count(unique.as_UTF16()) > 0; ++repeat) {
    unique = base + ai::UnicodeString::FromUTF8("_" + std::to_string(repeat));
  }
  taken.insert(unique.as_UTF16());
  return unique;
}
