#include "formats/KmlCoordinates.h"

#include <charconv>
#include <cmath>

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A number that takes the whole of text (a leading plus sign allowed).
std::optional<double> WholeNumber(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

// The end of the tuple that starts at begin: the first white space that does
// not follow a comma.
size_t TupleEnd(std::string_view text, size_t begin) {
  size_t i = begin;
  while (i < text.size()) {
    if (IsSpace(text[i])) {
      size_t j = i;
      while (j < text.size() && IsSpace(text[j])) ++j;
      const bool afterComma = text[i - 1] == ',';
      const bool beforeComma = j < text.size() && text[j] == ',';
      if (!afterComma && !beforeComma) return i;
      i = j;
      continue;
    }
    ++i;
  }
  return i;
}

// The numbers of one tuple: the pieces between commas, white space trimmed.
bool ReadTuple(std::string_view tuple, ShapePoint& point) {
  double values[2];
  for (int n = 0; n < 2; ++n) {
    const size_t comma = tuple.find(',');
    const std::optional<double> value = WholeNumber(TrimKmlSpace(tuple.substr(0, comma)));
    if (!value) return false;
    values[n] = *value;
    if (comma == std::string_view::npos) {
      if (n == 0) return false;
      break;
    }
    tuple.remove_prefix(comma + 1);
  }
  point = ShapePoint{values[0], values[1]};
  return true;
}

}  // namespace

std::string_view TrimKmlSpace(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

int64_t ParseKmlCoordinates(std::string_view text, ShapePart& points) {
  int64_t bad = 0;
  size_t i = 0;
  for (;;) {
    while (i < text.size() && IsSpace(text[i])) ++i;
    if (i == text.size()) return bad;
    const size_t end = TupleEnd(text, i);
    ShapePoint point;
    if (ReadTuple(text.substr(i, end - i), point)) {
      points.push_back(point);
    } else {
      ++bad;
    }
    i = end;
  }
}

std::optional<KmlColor> ParseKmlColor(std::string_view text) {
  text = TrimKmlSpace(text);
  if (!text.empty() && text.front() == '#') text.remove_prefix(1);
  if (text.size() != 8) return std::nullopt;
  double parts[4];
  for (int i = 0; i < 4; ++i) {
    const int high = HexValue(text[2 * i]);
    const int low = HexValue(text[2 * i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    parts[i] = (high * 16 + low) / 255.0;
  }
  return KmlColor{parts[0], parts[1], parts[2], parts[3]};
}

std::optional<double> ParseKmlNumber(std::string_view text) { return WholeNumber(TrimKmlSpace(text)); }

std::optional<bool> ParseKmlBoolean(std::string_view text) {
  text = TrimKmlSpace(text);
  if (text == "true") return true;
  if (text == "false") return false;
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || end != text.data() + text.size()) return std::nullopt;
  if (error == std::errc::result_out_of_range) return true;  // a huge number is not zero
  if (error != std::errc()) return std::nullopt;
  return value != 0;
}

std::string KmlStyleId(std::string_view styleUrl) {
  styleUrl = TrimKmlSpace(styleUrl);
  const size_t hash = styleUrl.rfind('#');
  if (hash != std::string_view::npos) styleUrl.remove_prefix(hash + 1);
  return std::string(styleUrl);
}
