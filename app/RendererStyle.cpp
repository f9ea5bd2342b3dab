#include "app/RendererStyle.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <fstream>
#include <sstream>

namespace kzmap {

namespace {

using nlohmann::json;

// "#rrggbb", "#rgb" or "none".
std::optional<Rgb> Colour(const json& value, const std::string& where) {
  if (!value.is_string()) throw StyleError(where + " must be a colour such as \"#3c8c3c\" or \"none\"");
  const std::string text = value.get<std::string>();
  if (text == "none") return std::nullopt;
  const bool shortForm = text.size() == 4;
  if (text.empty() || text[0] != '#' || (text.size() != 7 && !shortForm) ||
      text.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos)
    throw StyleError(where + ": \"" + text + "\" is not a colour such as \"#3c8c3c\" or \"none\"");
  const auto channel = [&](int i) {
    const std::string digits = shortForm ? std::string(2, text[1 + i]) : text.substr(1 + 2 * i, 2);
    return std::stoi(digits, nullptr, 16) / 255.0;
  };
  return Rgb{channel(0), channel(1), channel(2)};
}

double Number(const json& value, const std::string& where, double low, double high) {
  if (!value.is_number()) throw StyleError(where + " must be a number");
  const double number = value.get<double>();
  if (!std::isfinite(number) || number < low || number > high) {
    std::ostringstream range;
    range << where << " must lie between " << low << " and " << high;
    throw StyleError(range.str());
  }
  return number;
}

LayerPaint ReadPaint(const json& entry, const std::string& where) {
  if (!entry.is_object()) throw StyleError(where + " must be an object of paints");
  LayerPaint paint;
  for (const auto& [key, value] : entry.items()) {
    const std::string at = where + " \"" + key + "\"";
    if (key == "fill") paint.fill = Colour(value, at);
    else if (key == "stroke") paint.stroke = Colour(value, at);
    else if (key == "text") paint.text = Colour(value, at);
    else if (key == "stroke-width") paint.strokeWidth = Number(value, at, 0, 1000);
    else if (key == "fill-opacity") paint.fillOpacity = Number(value, at, 0, 1);
    else if (key == "stroke-opacity") paint.strokeOpacity = Number(value, at, 0, 1);
    else if (key == "opacity") paint.opacity = Number(value, at, 0, 1);
    else
      throw StyleError(at + " is not a paint; use fill, stroke, stroke-width, fill-opacity, stroke-opacity, "
                            "opacity or text");
  }
  return paint;
}

}  // namespace

RendererStyle RendererStyle::Load(const std::string& path) {
  std::ifstream stream(path, std::ios::binary);
  if (!stream) throw StyleError(path + ": cannot open");
  std::ostringstream bytes;
  bytes << stream.rdbuf();
  if (stream.bad()) throw StyleError(path + ": cannot read");
  return Parse(bytes.str(), path);
}

RendererStyle RendererStyle::Parse(const std::string& text, const std::string& name) {
  json document;
  try {
    document = json::parse(text);
  } catch (const json::parse_error& error) {
    throw StyleError(name + ": not JSON (byte " + std::to_string(error.byte) + ")");
  } catch (const json::exception& error) {
    // A number too large for a double, among others.
    throw StyleError(name + ": not JSON that can be read (" + error.what() + ")");
  }
  if (document.is_object())
    for (const auto& item : document.items())
      if (item.key() != "layers") throw StyleError(name + ": \"" + item.key() + "\" is not known; only \"layers\" is");
  if (!document.is_object() || !document.contains("layers") || !document["layers"].is_object())
    throw StyleError(name + ": the style must be an object with \"layers\": { \"TITLE\": { \"fill\": ... } }");
  RendererStyle style;
  for (const auto& [title, entry] : document["layers"].items()) {
    LayerPaint paint = ReadPaint(entry, name + ": layer \"" + title + "\"");
    if (title == "*") style.others = paint;
    else style.layers.emplace(title, paint);
  }
  return style;
}

const LayerPaint* RendererStyle::ForLayer(const std::string& utf8Title, const LayerPaint* inherited) const {
  const auto found = layers.find(utf8Title);
  if (found != layers.end()) return &found->second;
  if (inherited) return inherited;
  return others ? &*others : nullptr;
}

std::vector<std::string> RendererStyle::Titles() const {
  std::vector<std::string> titles;
  for (const auto& entry : layers) titles.push_back(entry.first);
  return titles;
}

}  // namespace kzmap
