#include "attributes/FieldValues.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "formats/DbaseNumber.h"

namespace {

// The field's width bounds the value, not the machine word: a 10-digit
// count stays whole.
int64_t ReadInteger(const std::string& text) {
  errno = 0;
  return std::strtoll(text.c_str(), nullptr, 10);
}

// The number a value text says, when it is one number and nothing else.
bool ExactNumber(const std::string& text, double& number) {
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return false;
  const size_t end = text.find_last_not_of(" \t") + 1;
  const std::string trimmed = text.substr(begin, end - begin);
  char* stop = nullptr;
  errno = 0;
  number = std::strtod(trimmed.c_str(), &stop);
  return stop == trimmed.c_str() + trimmed.size() && std::isfinite(number) && errno != ERANGE;
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

ai::UnicodeString NormaliseValue(const ShapeField& definition, const ai::UnicodeString& text, bool& changed) {
  const ai::UnicodeString stored = NormaliseValue(definition, text);
  changed = false;
  if (definition.type != kShapeFieldInteger && definition.type != kShapeFieldReal) return stored;
  if (text.empty()) return stored;
  double given = 0, kept = 0;
  const std::string givenText = text.as_UTF8();
  if (!ExactNumber(givenText, given) || !ExactNumber(stored.as_UTF8(), kept)) {
    changed = true;
  } else if (definition.type == kShapeFieldInteger) {
    // Integers compare as integers: doubles lose the last digits of long ones.
    char* stop = nullptr;
    errno = 0;
    const long long whole = std::strtoll(givenText.c_str(), &stop, 10);
    const bool isWhole = stop != givenText.c_str() && std::string_view(stop).find_first_not_of(" \t") == std::string_view::npos && errno == 0;
    changed = !isWhole || std::to_string(whole) != stored.as_UTF8();
  } else {
    changed = given != kept;
  }
  return stored;
}

ai::UnicodeString NormaliseValue(const ShapeField& definition, const ai::UnicodeString& text) {
  switch (definition.type) {
    case kShapeFieldInteger: return NormaliseInteger(definition.totalDigits, text);
    case kShapeFieldReal: return NormaliseReal(definition.totalDigits, definition.decimals, text);
    default: return text;
  }
}
