#include "app/CoordRefText.h"

#include <CLI/CLI.hpp>

#include <cstdlib>

namespace kzmap {

namespace {

// One or two digits, within the range.
bool ParseNumber(const std::string& text, int lowest, int highest, int32_t& value) {
  if (text.empty() || text.size() > 2) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  value = std::atoi(text.c_str());
  return value >= lowest && value <= highest;
}

}  // namespace

std::optional<CoordRef> ParseCoordRef(const std::string& text) {
  CoordRef ref;
  std::string rest;
  if (text.rfind("jgd2000:", 0) == 0) {
    ref.datum = kDatumJgd2000;
    rest = text.substr(8);
  } else if (text.rfind("tokyo:", 0) == 0) {
    ref.datum = kDatumTokyo;
    rest = text.substr(6);
  } else {
    return std::nullopt;
  }
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

CLI::Validator CoordRefCheck() {
  return CLI::Validator(
      [](std::string& text) {
        return ParseCoordRef(text) ? std::string() : "unknown coordinate reference '" + text + "'";
      },
      "");
}

}  // namespace kzmap
