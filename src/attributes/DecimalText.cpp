#include "attributes/DecimalText.h"

#include <charconv>
#include <cmath>
#include <string>

namespace {

bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// Reads a number at [first, last); a leading '+' is taken as C's reading takes it.
const char* ReadNumber(const char* first, const char* last, double* value) {
  const char* start = first;
  if (start != last && *start == '+') {
    ++start;
    if (start != last && (*start == '+' || *start == '-')) return first;
  }
  const auto [end, error] = std::from_chars(start, last, *value, std::chars_format::general);
  if (error != std::errc() || !std::isfinite(*value)) return first;
  return end;
}

}  // namespace

bool ParseDecimal(const ai::UnicodeString& text, double* value) {
  const std::string bytes = text.as_UTF8();
  size_t first = bytes.find_first_not_of(' ');
  if (first == std::string::npos) return false;
  const size_t last = bytes.find_last_not_of(' ') + 1;
  double read = 0;
  const char* begin = bytes.data() + first;
  const char* end = bytes.data() + last;
  if (ReadNumber(begin, end, &read) != end) return false;
  *value = read;
  return true;
}

double ReadDecimalPrefix(const ai::UnicodeString& text) {
  const std::string bytes = text.as_UTF8();
  const char* begin = bytes.data();
  const char* end = begin + bytes.size();
  while (begin != end && IsWhite(*begin)) ++begin;
  double read = 0;
  return ReadNumber(begin, end, &read) == begin ? 0 : read;
}
