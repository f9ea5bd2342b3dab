// Rules for attribute fields that do not depend on where a field is stored:
// the type display names, the field key that identifies a definition inside
// one object, and the normalising of a value text to its field's type.
#pragma once

#include <cstdint>
#include <string>

#include "formats/ShapeField.h"
#include "host/UnicodeString.h"

// "文字列", "整数", "実数" and the two coordinate column names; empty for any other code.
ai::UnicodeString ShapeFieldTypeName(int32_t type);

// "name|type|total digits|decimals" with the name in UTF-8. Built whole,
// however long the name, so that two definitions never share a key.
std::string FieldKey(const ShapeField& definition);

// The value text to store for the definition: strings unchanged, integers
// read, clamped to what the total digits hold (sign
// included) and printed with "%d", reals read, kept to what the field holds
// in a Shapefile table, printed with the total digits and decimals and
// trimmed of spaces; other types unchanged.
ai::UnicodeString NormaliseValue(const ShapeField& definition, const ai::UnicodeString& text);
// The same, with changed set when the stored value is not the number the
// text gives (not a number, too wide for the field, rounded to its
// decimals), so that the change can be told.
ai::UnicodeString NormaliseValue(const ShapeField& definition, const ai::UnicodeString& text, bool& changed);

// Width and precision beyond this are taken as this when a real is printed;
// no dBASE field is wider.
inline constexpr int32_t kMaxFormatDigits = 255;
