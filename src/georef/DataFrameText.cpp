#include "georef/DataFrameText.h"

#include <cmath>
#include <cstdio>
#include <map>

#include "geodesy/CoordRef.h"
#include "georef/NumberText.h"

namespace {

std::string DatumItem(int datum) {
  if (datum == 1) return "G=TKY";
  if (datum == 2) return "G=JGD";
  // Readers before JGD2011 require the key G: without it they refuse the
  // frame instead of taking it for one on another datum.
  if (datum == kDatumJgd2011) return "D=JGD2011";
  return "G=";
}

std::string KindText(const DataFrameParams& params) {
  char buffer[32];
  switch (params.kind) {
    case 1:
      return "BL";
    case 2:
      std::snprintf(buffer, sizeof buffer, "UTM%d", params.zone);
      return buffer;
    case 3:
      std::snprintf(buffer, sizeof buffer, "XY%d", params.system);
      return buffer;
    default:
      return "";
  }
}

std::string Fixed(double value) {
  char buffer[512];  // "%f" of the largest double is about 320 characters
  std::snprintf(buffer, sizeof buffer, "%f", value);
  return buffer;
}

// The scale is kept as a whole number; truncation toward zero.
std::string WholeNumber(double value) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "%.0f", std::trunc(value));
  return buffer;
}

// Five items end at the first "|" each; the sixth is all that remains.
bool SplitItems(std::string_view text, std::multimap<std::string, std::string>& items) {
  for (int i = 0; i < 6; ++i) {
    std::string_view item = text;
    if (i < 5) {
      const size_t bar = text.find('|');
      if (bar == std::string_view::npos) return false;
      item = text.substr(0, bar);
      text.remove_prefix(bar + 1);
    }
    const size_t equals = item.find('=');
    if (equals == std::string_view::npos) return false;
    items.emplace(std::string(item.substr(0, equals)), std::string(item.substr(equals + 1)));
  }
  return true;
}

bool ParseDatum(const std::string& value, int& datum) {
  if (value == "JGD2011") {
    datum = kDatumJgd2011;
    return true;
  }
  if (value == "JGD") {
    datum = 2;
    return true;
  }
  if (value == "TKY") {
    datum = 1;
    return true;
  }
  if (value == "JGD2011") {
    datum = 4;
    return true;
  }
  return false;
}

bool ParseKind(const std::string& value, DataFrameParams& params) {
  if (value == "BL") {
    params.kind = 1;
    return true;
  }
  if (value.starts_with("XY")) {
    params.kind = 3;
    params.system = LeadingInt(std::string_view(value).substr(2));
    return true;
  }
  if (value.starts_with("UTM")) {
    params.kind = 2;
    params.zone = LeadingInt(std::string_view(value).substr(3));
    return true;
  }
  return false;
}

}  // namespace

std::string FormatDataFrameText(const DataFrameParams& params) {
  return DatumItem(params.datum) + "|P=" + KindText(params) + "|X=" + Fixed(params.originX) +
         "|Y=" + Fixed(params.originY) + "|S=" + WholeNumber(params.scale) + "|R=" + Fixed(params.rotation);
}

bool ParseDataFrameText(std::string_view text, DataFrameParams& params) {
  if (text.size() > kMaxGeorefTextLength) text = text.substr(0, kMaxGeorefTextLength);
  std::multimap<std::string, std::string> items;
  if (!SplitItems(text, items)) return false;
  for (const char* key : {"P", "X", "Y", "S", "R"}) {
    if (items.count(key) != 1) return false;
  }
  // The datum is G (Tokyo, JGD2000) or D (JGD2011), one of them once.
  const bool datumD = items.count("D") == 1 && items.count("G") == 0;
  if (!datumD && !(items.count("G") == 1 && items.count("D") == 0)) return false;
  const std::string& datumValue = items.find(datumD ? "D" : "G")->second;
  if ((datumValue == "JGD2011") != datumD) return false;
  DataFrameParams parsed;
  parsed.anchorX = params.anchorX;
  parsed.anchorY = params.anchorY;
  if (!ParseDatum(datumValue, parsed.datum)) return false;
  if (!ParseKind(items.find("P")->second, parsed)) return false;
  parsed.originX = LeadingDouble(items.find("X")->second);
  parsed.originY = LeadingDouble(items.find("Y")->second);
  parsed.scale = LeadingDouble(items.find("S")->second);
  parsed.rotation = LeadingDouble(items.find("R")->second);
  for (double value : {parsed.originX, parsed.originY, parsed.scale, parsed.rotation}) {
    if (!std::isfinite(value)) return false;
  }
  if (parsed.scale <= 0) return false;
  params = parsed;
  return true;
}
