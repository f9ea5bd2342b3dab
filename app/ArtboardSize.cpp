#include "app/ArtboardSize.h"

#include <charconv>
#include <cmath>

namespace kzmap {

namespace {

constexpr double kPointsPerMillimetre = 72 / 25.4;
// The largest artboard the host allows, in points (227 inches).
constexpr double kMaxSide = 16383;

struct NamedSize {
  const char* name;
  double widthMm, heightMm;
};
constexpr NamedSize kSizes[] = {{"a4", 210, 297}, {"a3", 297, 420}, {"a2", 420, 594}, {"a1", 594, 841}};

std::optional<double> Number(std::string_view text) {
  double value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<ArtboardSize> ParseArtboardSize(const std::string& text) {
  std::string lower;
  for (char c : text) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  for (const NamedSize& size : kSizes)
    if (lower == size.name) return ArtboardSize{size.widthMm * kPointsPerMillimetre, size.heightMm * kPointsPerMillimetre};
  std::string_view rest = lower;
  double unit = 1;
  if (rest.size() > 2 && rest.substr(rest.size() - 2) == "mm") {
    unit = kPointsPerMillimetre;
    rest.remove_suffix(2);
  } else if (rest.size() > 2 && rest.substr(rest.size() - 2) == "pt") {
    rest.remove_suffix(2);
  }
  const size_t x = rest.find('x');
  if (x == std::string_view::npos) return std::nullopt;
  const auto width = Number(rest.substr(0, x)), height = Number(rest.substr(x + 1));
  if (!width || !height) return std::nullopt;
  const ArtboardSize size{*width * unit, *height * unit};
  const auto usable = [](double side) { return std::isfinite(side) && side >= 1 && side <= kMaxSide; };
  if (!usable(size.width) || !usable(size.height)) return std::nullopt;
  return size;
}

}  // namespace kzmap
