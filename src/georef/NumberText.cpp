#include "georef/NumberText.h"

#include <climits>
#include <cstdlib>
#include <string>

int LeadingInt(std::string_view text) {
  const std::string copy(text);
  const long value = std::strtol(copy.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

double LeadingDouble(std::string_view text) {
  const std::string copy(text);
  return std::strtod(copy.c_str(), nullptr);
}
