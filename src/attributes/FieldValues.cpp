#include "attributes/FieldValues.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

int32_t ReadInteger(const std::string& text) {
  errno = 0;
  long long value = std::strtoll(text.c_str(), nullptr, 10);
  return static_cast<int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

ai::UnicodeString NormaliseInteger(int32_t totalDigits, const ai::UnicodeString& text) {
  int64_t number = ReadInteger(text.as_UTF8());
  // The largest value the width holds; from 10 digits on every 32-bit number fits.
  if (totalDigits < 10) {
    int64_t limit = 0;
    if (totalDigits > 0) {
      limit = 1;
      for (int32_t i = 0; i < totalDigits; ++i) limit *= 10;
      limit -= 1;
    }
    if (number > limit) number = limit;
  }
  return ai::UnicodeString::FromUTF8(std::to_string(number));
}

ai::UnicodeString NormaliseReal(int32_t totalDigits, int32_t decimals, const ai::UnicodeString& text) {
  const double number = std::strtod(text.as_UTF8().c_str(), nullptr);
  // Stored definitions may carry any numbers; keep the printed form bounded
  // and the format well formed.
  const int width = std::clamp(totalDigits, 0, kMaxFormatDigits);
  const int precision = std::clamp(decimals, 0, kMaxFormatDigits);
  const int needed = std::snprintf(nullptr, 0, "%*.*f", width, precision, number);
  if (needed < 0) return {};
  std::vector<char> buffer(static_cast<size_t>(needed) + 1);
  std::snprintf(buffer.data(), buffer.size(), "%*.*f", width, precision, number);
  return TrimSpaces(ai::UnicodeString::FromUTF8(std::string(buffer.data(), static_cast<size_t>(needed))));
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
