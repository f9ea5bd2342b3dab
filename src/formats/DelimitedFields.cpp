#include "formats/DelimitedFields.h"

#include <algorithm>

namespace {

constexpr char16_t kQuote = u'"';

// Reads the quoted field that starts at line[at] (the opening quote) into
// field; returns the position just after the closing quote (or the end).
size_t ReadQuoted(std::u16string_view line, size_t at, std::u16string& field) {
  size_t i = at + 1;
  while (i < line.size()) {
    const char16_t c = line[i];
    if (c != kQuote) {
      field.push_back(c);
      ++i;
      continue;
    }
    if (i + 1 < line.size() && line[i + 1] == kQuote) {
      field.push_back(kQuote);
      i += 2;
      continue;
    }
    return i + 1;
  }
  return i;
}

}  // namespace

std::vector<std::u16string> SplitDelimitedFields(std::u16string_view line, char16_t delimiter) {
  std::vector<std::u16string> fields;
  size_t i = 0;
  for (;;) {
    std::u16string field;
    if (i < line.size() && line[i] == kQuote) i = ReadQuoted(line, i, field);
    const size_t end = std::min(line.find(delimiter, i), line.size());
    field.append(line.substr(i, end - i));
    fields.push_back(std::move(field));
    if (end == line.size()) return fields;
    i = end + 1;
  }
}

bool EndsInsideQuotes(std::u16string_view line, char16_t delimiter) {
  for (size_t i = 0;;) {
    if (i < line.size() && line[i] == kQuote) {
      // Runs of the closing search: a doubled quote is text, a lone one closes.
      size_t k = i + 1;
      for (;;) {
        if (k >= line.size()) return true;
        if (line[k] != kQuote) {
          ++k;
          continue;
        }
        if (k + 1 < line.size() && line[k + 1] == kQuote) {
          k += 2;
          continue;
        }
        break;
      }
      i = k + 1;
    }
    const size_t end = line.find(delimiter, i);
    if (end == std::u16string_view::npos) return false;
    i = end + 1;
  }
}
