#include "formats/DbaseNumber.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace dbase {

namespace {

// The fixed form printf's "%*.*f" gives, without printf: to_chars with a
// precision writes the same digits, several times faster, and a row of
// reals is fitted for every imported and exported object.
std::string PrintReal(int width, int decimals, double value) {
  // The longest fixed form of a double: 309 integer digits, a sign and a point.
  constexpr size_t kIntegerPart = 312;
  char small[kIntegerPart + 32];
  std::string large;
  char* first = small;
  size_t capacity = sizeof small;
  if (static_cast<size_t>(decimals) + kIntegerPart > capacity) {
    large.resize(static_cast<size_t>(decimals) + kIntegerPart);
    first = large.data();
    capacity = large.size();
  }
  const auto result = std::to_chars(first, first + capacity, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return {};
  const size_t length = static_cast<size_t>(result.ptr - first);
  std::string text;
  if (width > 0 && length < static_cast<size_t>(width)) text.assign(static_cast<size_t>(width) - length, ' ');
  text.append(first, length);
  return text;
}

size_t SkipSpaces(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  return i;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool StartsWithNumber(std::string_view text) {
  size_t i = SkipSpaces(text);
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  if (i < text.size() && IsDigit(text[i])) return true;
  return i + 1 < text.size() && text[i] == '.' && IsDigit(text[i + 1]);
}

std::optional<std::string> LeadingInteger(std::string_view text) {
  size_t i = SkipSpaces(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const size_t first = i;
  while (i < text.size() && IsDigit(text[i])) ++i;
  if (i == first) return std::nullopt;
  std::string_view digits = text.substr(first, i - first);
  while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
  if (digits == "0") return std::string("0");
  return (negative ? "-" : "") + std::string(digits);
}

std::optional<std::string> FitInteger(std::string_view canonicalDigits, int length) {
  if (length <= 0 || canonicalDigits.size() > static_cast<size_t>(length)) return std::nullopt;
  return std::string(static_cast<size_t>(length) - canonicalDigits.size(), ' ') + std::string(canonicalDigits);
}

std::optional<std::string> FitInteger(int64_t value, int length) { return FitInteger(std::to_string(value), length); }

std::optional<std::string> FitReal(double value, int length, int decimals) {
  if (!(value == value) || value == std::numeric_limits<double>::infinity() ||
      value == -std::numeric_limits<double>::infinity() || length <= 0 || decimals < 0)
    return std::nullopt;
  const std::string full = PrintReal(length - decimals - 1 > 0 ? length - decimals - 1 : 0, decimals, value);
  if (full.size() <= static_cast<size_t>(length)) return full;
  // Fewer decimals, but only while the number stays the one the full text says.
  const double number = std::strtod(full.c_str(), nullptr);
  for (int fewer = decimals - 1; fewer >= 0; --fewer) {
    const std::string shorter = PrintReal(0, fewer, value);
    if (shorter.size() > static_cast<size_t>(length)) continue;
    if (std::strtod(shorter.c_str(), nullptr) == number) return shorter;
    return std::nullopt;  // rounding away digits would write another number
  }
  return std::nullopt;
}

int64_t LargestInteger(int length) {
  if (length <= 0) return 0;
  if (length >= 19) return std::numeric_limits<int64_t>::max();
  int64_t limit = 1;
  for (int i = 0; i < length; ++i) limit *= 10;
  return limit - 1;
}

int64_t SmallestInteger(int length) {
  if (length >= 20) return std::numeric_limits<int64_t>::min();
  return length <= 1 ? 0 : -LargestInteger(length - 1);
}

}  // namespace dbase
