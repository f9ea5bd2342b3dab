#include "attributes/FieldValues.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "formats/DbaseNumber.h"

namespace {

int32_t ReadInteger(const std::string& text) {
  errno = 0;
  long long value = std::strtoll(text.c_str(), nullptr, 10);
  return static_cast<int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

// A number is kept to what its field can hold in a Shapefile table (the
// writer's rule, DbaseNumber.h), so every stored value can be exported:
// beyond the width it becomes the nearest number the width holds, on
// either side of zero.
ai::UnicodeString NormaliseInteger(int32_t totalDigits, const ai::UnicodeString& text) {
  const int64_t number = std::clamp<int64_t>(ReadInteger(text.as_UTF8()), dbase::SmallestInteger(totalDigits),
                                             dbase::LargestInteger(totalDigits));
  return ai::UnicodeString::FromUTF8(std::to_string(number));
}

std::string PrintReal(int width, int precision, double number) {
  const int needed = std::snprintf(nullptr, 0, "%*.*f", width, precision, number);
  if (needed < 0) return {};
  std::vector<char> buffer(static_cast<size_t>(needed) + 1);
  std::snprintf(buffer.data(), buffer.size(), "%*.*f", width, precision, number);
  return std::string(buffer.data(), static_cast<size_t>(needed));
}

ai::UnicodeString NormaliseReal(int32_t totalDigits, int32_t decimals, const ai::UnicodeString& text) {
  double number = std::strtod(text.as_UTF8().c_str(), nullptr);
  if (std::isnan(number)) number = 0;
  // Stored definitions may carry any numbers; keep the printed form bounded
  // and the format well formed.
  const int width = std::clamp(totalDigits, 0, kMaxFormatDigits);
  const int precision = std::clamp(decimals, 0, kMaxFormatDigits);
  const auto stored = [&](double value) { return TrimSpaces(ai::UnicodeString::FromUTF8(PrintReal(width, precision, value))); };
  if (dbase::FitReal(number, width, precision)) return stored(number);
  number = std::clamp(number, static_cast<double>(dbase::SmallestInteger(width)),
                      static_cast<double>(dbase::LargestInteger(width)));
  // Rounded to fewer decimals until the width holds it.
  for (int fewer = precision; fewer >= 0; --fewer) {
    const double rounded = std::strtod(PrintReal(0, fewer, number).c_str(), nullptr);
    if (dbase::FitReal(rounded, width, precision)) return stored(rounded);
  }
  return stored(0);
}

}  // namespace

ai::UnicodeString ShapeFieldTypeName(int32_t type) {
  switch (type) {
    case kShapeFieldString: return "文字列";
    case kShapeFieldInteger: return "整数";
    case kShapeFieldReal: return "実数";
    case kShapeFieldLatitude: return "緯度(B)または平面直角X座標";
    case kShapeFieldLongitude: return "経度(L)または平面直角Y座標";
    default: return {};
  }
}

std::string FieldKey(const ShapeField& definition) {
  return definition.name.as_UTF8() + "|" + std::to_string(definition.type) + "|" +
         std::to_string(definition.totalDigits) + "|" + std::to_string(definition.decimals);
}

ai::UnicodeString NormaliseValue(const ShapeField& definition, const ai::UnicodeString& text) {
  switch (definition.type) {
    case kShapeFieldInteger: return NormaliseInteger(definition.totalDigits, text);
    case kShapeFieldReal: return NormaliseReal(definition.totalDigits, definition.decimals, text);
    default: return text;
  }
}
