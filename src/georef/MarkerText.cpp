#include "georef/MarkerText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "georef/DataFrameText.h"
#include "georef/NumberText.h"

namespace {

std::string_view NextField(std::string_view& rest) {
  const size_t slash = rest.find('/');
  const std::string_view field = rest.substr(0, slash);
  rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
  return field;
}

std::string FormatDms(const DmsParts& angle) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "%s%d/%d/%f", angle.negative ? "-" : "", angle.degrees, angle.minutes,
                angle.seconds);
  return buffer;
}

}  // namespace

double ParseDmsText(std::string_view part) {
  std::string_view rest = part;
  const std::string_view d = NextField(rest);
  const std::string_view m = NextField(rest);
  const std::string_view s = rest;
  const size_t first = d.find_first_not_of(" \t");
  const bool negative = first != std::string_view::npos && d[first] == '-';
  const double value = std::abs(static_cast<double>(LeadingInt(d))) + LeadingInt(m) / 60.0 + LeadingDouble(s) / 3600.0;
  return negative ? -value : value;
}

bool ParseMarkerText(std::string_view text, Point2D& map, MarkerTextParts& parts) {
  if (text.size() > kMaxGeorefTextLength) text = text.substr(0, kMaxGeorefTextLength);
  const size_t amp = text.find('&');
  if (amp == std::string_view::npos) return false;
  const std::string_view first = text.substr(0, amp);
  const std::string_view second = text.substr(amp + 1);
  parts.northing = std::string(first);
  parts.easting = std::string(second);
  const bool dms = std::count(text.begin(), text.end(), '/') >= 4;
  const double northing = dms ? ParseDmsText(first) : LeadingDouble(first);
  const double easting = dms ? ParseDmsText(second) : LeadingDouble(second);
  if (!std::isfinite(northing) || !std::isfinite(easting)) return false;
  map = {easting, northing};
  return true;
}

std::string FormatDecimalMarkerText(double northing, double easting) {
  char buffer[1024];
  std::snprintf(buffer, sizeof buffer, "%f&%f", northing, easting);
  return buffer;
}

std::string FormatDmsMarkerText(const DmsParts& latitude, const DmsParts& longitude) {
  return FormatDms(latitude) + "&" + FormatDms(longitude);
}
