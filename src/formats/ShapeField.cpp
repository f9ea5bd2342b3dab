#include "formats/ShapeField.h"

#include <string>

bool ShapeField::IsSameField(const ShapeField& other) const {
  return type == other.type && totalDigits == other.totalDigits && decimals == other.decimals &&
         name == other.name;
}

ai::UnicodeString TrimSpaces(const ai::UnicodeString& text) {
  const std::u16string units = text.as_UTF16();
  const size_t first = units.find_first_not_of(u' ');
  if (first == std::u16string::npos) return ai::UnicodeString();
  if (first == 0 && units.back() != u' ') return text;
  const size_t last = units.find_last_not_of(u' ');
  return ai::UnicodeString::FromUTF16(std::u16string_view(units).substr(first, last - first + 1));
}

namespace {

int32_t FieldTypeOfLetter(char letter, uint8_t decimalCount) {
  switch (letter) {
    case 'F':
      return kShapeFieldReal;
    case 'L':
      return kShapeFieldInteger;
    case 'N':
      return decimalCount == 0 ? kShapeFieldInteger : kShapeFieldReal;
    default:
      return kShapeFieldString;
  }
}

ai::UnicodeString ValueOfColumn(char letter, std::string_view rawText, AICharacterEncoding encoding) {
  switch (letter) {
    case 'C':
    case 'D':
      return TrimSpaces(ai::UnicodeString(rawText, encoding));
    case 'F':
    case 'N':
      // Asterisks are how dBASE marks a number that is missing or did not
      // fit: a null, which a 0 in its place would misrepresent.
      if (rawText.find_first_not_of(" *") == std::string_view::npos) return ai::UnicodeString();
      return TrimSpaces(ai::UnicodeString(rawText, encoding));
    case 'L': {
      const char first = rawText.empty() ? ' ' : rawText.front();
      const bool yes = first == 'T' || first == 'Y' || first == 't' || first == 'y';
      return ai::UnicodeString(yes ? "1" : "0");
    }
    default:
      return ai::UnicodeString();
  }
}

}  // namespace

ShapeField FieldFromDbaseColumn(const DbfFieldDescriptor& descriptor, std::string_view rawText,
                                int32_t encodingCode) {
  const auto encoding = static_cast<AICharacterEncoding>(encodingCode);
  ShapeField field;
  field.name = ai::UnicodeString(descriptor.Name(), encoding);
  field.type = FieldTypeOfLetter(descriptor.type, descriptor.decimalCount);
  field.totalDigits = descriptor.length;
  field.decimals = descriptor.decimalCount;
  field.value = ValueOfColumn(descriptor.type, rawText, encoding);
  return field;
}
