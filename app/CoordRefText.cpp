#include "app/CoordRefText.h"

#include <CLI/CLI.hpp>

#include <array>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "import/ShapeCompanions.h"

namespace kzmap {

namespace {

constexpr std::uintmax_t kMaxPrjBytes = 65536;

constexpr std::array<std::pair<const char*, GeodeticDatum>, 4> kDatumPrefixes{{
    {"tokyo:", kDatumTokyo},
    {"jgd2000:", kDatumJgd2000},
    {"jgd2011:", kDatumJgd2011},
    {"wgs84:", kDatumWgs84},
}};

constexpr const char* kForms = TrLater(
    "references are tokyo:, jgd2000:, jgd2011: or wgs84: followed by bl, xy1..xy19 or utm1..utm60, or their EPSG "
    "codes (Tokyo 4301, 30161-30179, 3092-3096; JGD2000 4612, 2443-2461, 3097-3101; JGD2011 6668, 6669-6687, "
    "6688-6692; WGS 84 4326, 32601-32660)");

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// One or two digits, within the range.
bool ParseNumber(const std::string& text, int lowest, int highest, int32_t& value) {
  if (text.empty() || text.size() > 2) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  value = std::atoi(text.c_str());
  return value >= lowest && value <= highest;
}

std::optional<CoordRef> ParseOwnForm(const std::string& text) {
  const std::string lower = Lower(text);
  CoordRef ref;
  std::string rest;
  for (const auto& [prefix, datum] : kDatumPrefixes) {
    if (lower.rfind(prefix, 0) == 0) {
      ref.datum = datum;
      rest = lower.substr(std::char_traits<char>::length(prefix));
    }
  }
  if (ref.datum == 0) return std::nullopt;
  if (rest == "bl") {
    ref.kind = kKindLatLong;
    return ref;
  }
  if (rest.rfind("xy", 0) == 0 && ParseNumber(rest.substr(2), 1, kPlaneSystemCount, ref.system)) {
    ref.kind = kKindPlane;
    return ref;
  }
  if (rest.rfind("utm", 0) == 0 && ParseNumber(rest.substr(3), 1, kUtmZoneCount, ref.zone)) {
    ref.kind = kKindUtm;
    return ref;
  }
  return std::nullopt;
}

// The text PROJ is given: a small file's content when the text names one.
std::string Definition(const std::string& text) {
  std::error_code error;
  if (text.size() > 4096 || !std::filesystem::is_regular_file(text, error)) return text;
  if (std::filesystem::file_size(text, error) > kMaxPrjBytes || error) return text;
  std::ifstream in(text, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::optional<CoordRef> ParseCoordRef(const std::string& text, std::string* problem) {
  if (auto own = ParseOwnForm(text)) return own;
  // A text that starts like the tool's own form is a mistake in it, not a
  // definition for PROJ.
  for (const auto& [prefix, datum] : kDatumPrefixes) {
    if (Lower(text).rfind(prefix, 0) == 0) {
      if (problem) *problem = Format(Tr("unknown coordinate reference '%s': %s"), text.c_str(), Tr(kForms));
      return std::nullopt;
    }
  }
  const FileReference found = IdentifyReference(Definition(text));
  switch (found.status) {
    case FileReference::Status::Known:
      return found.ref;
    case FileReference::Status::Unsupported:
      if (problem) {
        *problem = Format(Tr("%s is not a reference this tool draws in: %s"), text.c_str(), Tr(kForms));
        if (!found.name.empty()) *problem += Format(Tr(". %s is \"%s\""), text.c_str(), found.name.c_str());
      }
      return std::nullopt;
    default:
      if (problem) *problem = Format(Tr("unknown coordinate reference '%s': %s"), text.c_str(), Tr(kForms));
      return std::nullopt;
  }
}

CLI::Validator CoordRefCheck() {
  return CLI::Validator(
      [](std::string& text) {
        std::string problem;
        return ParseCoordRef(text, &problem) ? std::string() : problem;
      },
      "");
}

std::string CoordRefText(const CoordRef& ref) {
  std::string text;
  for (const auto& [prefix, datum] : kDatumPrefixes) {
    if (datum == ref.datum) text = prefix;
  }
  switch (ref.kind) {
    case kKindPlane: return text + "xy" + std::to_string(ref.system);
    case kKindUtm: return text + "utm" + std::to_string(ref.zone);
    default: return text + "bl";
  }
}

}  // namespace kzmap
