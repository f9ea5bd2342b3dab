#include "sim/SvgStyle.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace sim::svg {

namespace {

struct NamedColor {
  std::string_view name;
  unsigned rgb;
};

// The colour keywords of SVG and CSS, sorted by name for binary search.
constexpr NamedColor kNamedColors[] = {
    {"aliceblue", 0xF0F8FF},        {"antiquewhite", 0xFAEBD7},     {"aqua", 0x00FFFF},
    {"aquamarine", 0x7FFFD4},       {"azure", 0xF0FFFF},            {"beige", 0xF5F5DC},
    {"bisque", 0xFFE4C4},           {"black", 0x000000},            {"blanchedalmond", 0xFFEBCD},
    {"blue", 0x0000FF},             {"blueviolet", 0x8A2BE2},       {"brown", 0xA52A2A},
    {"burlywood", 0xDEB887},        {"cadetblue", 0x5F9EA0},        {"chartreuse", 0x7FFF00},
    {"chocolate", 0xD2691E},        {"coral", 0xFF7F50},            {"cornflowerblue", 0x6495ED},
    {"cornsilk", 0xFFF8DC},         {"crimson", 0xDC143C},          {"cyan", 0x00FFFF},
    {"darkblue", 0x00008B},         {"darkcyan", 0x008B8B},         {"darkgoldenrod", 0xB8860B},
    {"darkgray", 0xA9A9A9},         {"darkgreen", 0x006400},        {"darkgrey", 0xA9A9A9},
    {"darkkhaki", 0xBDB76B},        {"darkmagenta", 0x8B008B},      {"darkolivegreen", 0x556B2F},
    {"darkorange", 0xFF8C00},       {"darkorchid", 0x9932CC},       {"darkred", 0x8B0000},
    {"darksalmon", 0xE9967A},       {"darkseagreen", 0x8FBC8F},     {"darkslateblue", 0x483D8B},
    {"darkslategray", 0x2F4F4F},    {"darkslategrey", 0x2F4F4F},    {"darkturquoise", 0x00CED1},
    {"darkviolet", 0x9400D3},       {"deeppink", 0xFF1493},         {"deepskyblue", 0x00BFFF},
    {"dimgray", 0x696969},          {"dimgrey", 0x696969},          {"dodgerblue", 0x1E90FF},
    {"firebrick", 0xB22222},        {"floralwhite", 0xFFFAF0},      {"forestgreen", 0x228B22},
    {"fuchsia", 0xFF00FF},          {"gainsboro", 0xDCDCDC},        {"ghostwhite", 0xF8F8FF},
    {"gold", 0xFFD700},             {"goldenrod", 0xDAA520},        {"gray", 0x808080},
    {"green", 0x008000},            {"greenyellow", 0xADFF2F},      {"grey", 0x808080},
    {"honeydew", 0xF0FFF0},         {"hotpink", 0xFF69B4},          {"indianred", 0xCD5C5C},
    {"indigo", 0x4B0082},           {"ivory", 0xFFFFF0},            {"khaki", 0xF0E68C},
    {"lavender", 0xE6E6FA},         {"lavenderblush", 0xFFF0F5},    {"lawngreen", 0x7CFC00},
    {"lemonchiffon", 0xFFFACD},     {"lightblue", 0xADD8E6},        {"lightcoral", 0xF08080},
    {"lightcyan", 0xE0FFFF},        {"lightgoldenrodyellow", 0xFAFAD2}, {"lightgray", 0xD3D3D3},
    {"lightgreen", 0x90EE90},       {"lightgrey", 0xD3D3D3},        {"lightpink", 0xFFB6C1},
    {"lightsalmon", 0xFFA07A},      {"lightseagreen", 0x20B2AA},    {"lightskyblue", 0x87CEFA},
    {"lightslategray", 0x778899},   {"lightslategrey", 0x778899},   {"lightsteelblue", 0xB0C4DE},
    {"lightyellow", 0xFFFFE0},      {"lime", 0x00FF00},             {"limegreen", 0x32CD32},
    {"linen", 0xFAF0E6},            {"magenta", 0xFF00FF},          {"maroon", 0x800000},
    {"mediumaquamarine", 0x66CDAA}, {"mediumblue", 0x0000CD},       {"mediumorchid", 0xBA55D3},
    {"mediumpurple", 0x9370DB},     {"mediumseagreen", 0x3CB371},   {"mediumslateblue", 0x7B68EE},
    {"mediumspringgreen", 0x00FA9A}, {"mediumturquoise", 0x48D1CC}, {"mediumvioletred", 0xC71585},
    {"midnightblue", 0x191970},     {"mintcream", 0xF5FFFA},        {"mistyrose", 0xFFE4E1},
    {"moccasin", 0xFFE4B5},         {"navajowhite", 0xFFDEAD},      {"navy", 0x000080},
    {"oldlace", 0xFDF5E6},          {"olive", 0x808000},            {"olivedrab", 0x6B8E23},
    {"orange", 0xFFA500},           {"orangered", 0xFF4500},        {"orchid", 0xDA70D6},
    {"palegoldenrod", 0xEEE8AA},    {"palegreen", 0x98FB98},        {"paleturquoise", 0xAFEEEE},
    {"palevioletred", 0xDB7093},    {"papayawhip", 0xFFEFD5},       {"peachpuff", 0xFFDAB9},
    {"peru", 0xCD853F},             {"pink", 0xFFC0CB},             {"plum", 0xDDA0DD},
    {"powderblue", 0xB0E0E6},       {"purple", 0x800080},           {"rebeccapurple", 0x663399},    {"red", 0xFF0000},
    {"rosybrown", 0xBC8F8F},        {"royalblue", 0x4169E1},        {"saddlebrown", 0x8B4513},
    {"salmon", 0xFA8072},           {"sandybrown", 0xF4A460},       {"seagreen", 0x2E8B57},
    {"seashell", 0xFFF5EE},         {"sienna", 0xA0522D},           {"silver", 0xC0C0C0},
    {"skyblue", 0x87CEEB},          {"slateblue", 0x6A5ACD},        {"slategray", 0x708090},
    {"slategrey", 0x708090},        {"snow", 0xFFFAFA},             {"springgreen", 0x00FF7F},
    {"steelblue", 0x4682B4},        {"tan", 0xD2B48C},              {"teal", 0x008080},
    {"thistle", 0xD8BFD8},          {"tomato", 0xFF6347},           {"turquoise", 0x40E0D0},
    {"violet", 0xEE82EE},           {"wheat", 0xF5DEB3},            {"white", 0xFFFFFF},
    {"whitesmoke", 0xF5F5F5},       {"yellow", 0xFFFF00},           {"yellowgreen", 0x9ACD32},
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A CSS number at the front of text (sign, digits, fraction, exponent);
// text is left at what follows it.
bool TakeNumber(std::string_view& text, double& value) {
  size_t at = 0;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  const size_t mantissa = at;
  size_t digits = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at, ++digits;
  if (at < text.size() && text[at] == '.') {
    size_t frac = at + 1, fracDigits = 0;
    while (frac < text.size() && text[frac] >= '0' && text[frac] <= '9') ++frac, ++fracDigits;
    if (fracDigits > 0) {
      at = frac;
      digits += fracDigits;
    }
  }
  if (digits == 0) return false;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    size_t exp = at + 1;
    if (exp < text.size() && (text[exp] == '+' || text[exp] == '-')) ++exp;
    if (exp < text.size() && text[exp] >= '0' && text[exp] <= '9') {
      while (exp < text.size() && text[exp] >= '0' && text[exp] <= '9') ++exp;
      at = exp;
    }
  }
  double parsed = 0;
  const auto result = std::from_chars(text.data() + mantissa, text.data() + at, parsed, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // Underflow reads as zero; overflow is no number.
    if (std::string_view(text.data() + mantissa, at - mantissa).find("e-") == std::string_view::npos &&
        std::string_view(text.data() + mantissa, at - mantissa).find("E-") == std::string_view::npos)
      return false;
    parsed = 0;
  } else if (result.ec != std::errc() || !std::isfinite(parsed)) {
    return false;
  }
  value = negative ? -parsed : parsed;
  text.remove_prefix(at);
  return true;
}

// A whole text that is one number.
bool OnlyNumber(std::string_view text, double& value) {
  text = Trim(text);
  return TakeNumber(text, value) && text.empty();
}

// An opacity: a number or a percentage, held to 0..1.
bool ParseOpacity(std::string_view text, double& value) {
  text = Trim(text);
  double v = 0;
  if (!TakeNumber(text, v)) return false;
  if (text == "%") {
    v /= 100;
  } else if (!text.empty()) {
    return false;
  }
  value = std::clamp(v, 0.0, 1.0);
  return true;
}

bool ParseRgbFunction(std::string_view text, double& red, double& green, double& blue) {
  // text is what lies between the parentheses.
  double channel[3] = {};
  for (int i = 0; i < 3; ++i) {
    text = Trim(text);
    double v = 0;
    if (!TakeNumber(text, v)) return false;
    if (!text.empty() && text.front() == '%') {
      text.remove_prefix(1);
      channel[i] = std::clamp(v / 100, 0.0, 1.0);
    } else {
      channel[i] = std::clamp(v / 255, 0.0, 1.0);
    }
    text = Trim(text);
    if (i < 2) {
      if (text.empty() || text.front() != ',') return false;
      text.remove_prefix(1);
    }
  }
  if (!Trim(text).empty()) return false;
  red = channel[0];
  green = channel[1];
  blue = channel[2];
  return true;
}

bool ParsePaint(std::string_view text, Paint& paint) {
  text = Trim(text);
  const std::string lower = Lower(text);
  if (lower == "none") {
    paint = Paint{};
    return true;
  }
  if (lower == "currentcolor") {
    paint = Paint{Paint::Kind::CurrentColor, 0, 0, 0, {}};
    return true;
  }
  if (lower.starts_with("url(")) {
    const size_t close = text.find(')');
    if (close == std::string_view::npos) return false;
    std::string_view inside = Trim(text.substr(4, close - 4));
    if (inside.size() >= 2 && (inside.front() == '"' || inside.front() == '\'') && inside.back() == inside.front())
      inside = Trim(inside.substr(1, inside.size() - 2));
    // Only references within the document; what follows is a fallback paint
    // for when the reference fails, which does not change what is meant.
    if (inside.size() < 2 || inside.front() != '#') return false;
    paint = Paint{Paint::Kind::Reference, 0, 0, 0, std::string(inside.substr(1))};
    return true;
  }
  // A colour may be followed by an ICC colour that restates it.
  std::string_view colorText = text;
  const size_t icc = lower.find("icc-color(");
  if (icc != std::string::npos) colorText = Trim(text.substr(0, icc));
  Paint color{Paint::Kind::Color, 0, 0, 0, {}};
  if (!ParseColor(colorText, color.red, color.green, color.blue)) return false;
  paint = color;
  return true;
}

bool ParseDashArray(std::string_view text, std::vector<double>& dashes) {
  text = Trim(text);
  dashes.clear();
  if (Lower(text) == "none") return true;
  while (!text.empty()) {
    size_t end = 0;
    while (end < text.size() && text[end] != ',' && !IsSpace(text[end])) ++end;
    double v = 0;
    if (!ParseLength(text.substr(0, end), v) || v < 0) return false;
    dashes.push_back(v);
    text = Trim(text.substr(end));
    if (!text.empty() && text.front() == ',') {
      text = Trim(text.substr(1));
      if (text.empty()) return false;
    }
  }
  return !dashes.empty();
}

bool OneOf(const std::string& value, std::initializer_list<std::string_view> words) {
  return std::find(words.begin(), words.end(), value) != words.end();
}

// Sets one property from its text. Returns false for a property this reader
// keeps whose value it could not read; other properties are left alone.
bool Apply(std::string_view nameText, std::string_view valueText, Style& style) {
  const std::string name = Lower(Trim(nameText));
  std::string_view value = Trim(valueText);
  const std::string lower = Lower(value);

  auto reset = [&]() {
    // "inherit" (or its like) says to take the parent's value: unset.
    if (name == "fill") style.fill.reset();
    else if (name == "stroke") style.stroke.reset();
    else if (name == "color") style.color.reset();
    else if (name == "stroke-width") style.strokeWidth.reset();
    else if (name == "opacity") style.opacity.reset();
    else if (name == "fill-opacity") style.fillOpacity.reset();
    else if (name == "stroke-opacity") style.strokeOpacity.reset();
    else if (name == "stroke-miterlimit") style.miterLimit.reset();
    else if (name == "stroke-dashoffset") style.dashOffset.reset();
    else if (name == "stroke-dasharray") style.dashArray.reset();
    else if (name == "font-size") style.fontSize.reset(), style.fontSizeScale.reset();
    else if (name == "fill-rule") style.fillRule.reset();
    else if (name == "stroke-linecap") style.lineCap.reset();
    else if (name == "stroke-linejoin") style.lineJoin.reset();
    else if (name == "display") style.display.reset();
    else if (name == "visibility") style.visibility.reset();
    else if (name == "text-anchor") style.textAnchor.reset();
    else if (name == "font-family") style.fontFamily.reset();
  };
  if (lower == "inherit" || lower == "unset") {
    reset();
    return true;
  }

  double number = 0;
  Paint paint;
  if (name == "fill" || name == "stroke") {
    if (!ParsePaint(value, paint)) return false;
    (name == "fill" ? style.fill : style.stroke) = paint;
  } else if (name == "color") {
    Paint color{Paint::Kind::Color, 0, 0, 0, {}};
    if (!ParseColor(value, color.red, color.green, color.blue)) return false;
    style.color = color;
  } else if (name == "stroke-width") {
    if (!ParseLength(value, number) || number < 0) return false;
    style.strokeWidth = number;
  } else if (name == "opacity" || name == "fill-opacity" || name == "stroke-opacity") {
    if (!ParseOpacity(value, number)) return false;
    (name == "opacity" ? style.opacity : name == "fill-opacity" ? style.fillOpacity : style.strokeOpacity) = number;
  } else if (name == "stroke-miterlimit") {
    if (!OnlyNumber(value, number) || number < 1) return false;
    style.miterLimit = number;
  } else if (name == "stroke-dashoffset") {
    if (!ParseLength(value, number)) return false;
    style.dashOffset = number;
  } else if (name == "stroke-dasharray") {
    std::vector<double> dashes;
    if (!ParseDashArray(value, dashes)) return false;
    style.dashArray = dashes;
  } else if (name == "font-size") {
    std::string_view rest = value;
    if (TakeNumber(rest, number) && (Lower(rest) == "em" || rest == "%")) {
      if (number < 0) return false;
      style.fontSizeScale = rest == "%" ? number / 100 : number;
      style.fontSize.reset();
      return true;
    }
    // The absolute size keywords: CSS's steps from a medium of 16 px.
    static constexpr std::pair<std::string_view, double> kKeywords[] = {
        {"xx-small", 16 * 3.0 / 5}, {"x-small", 16 * 3.0 / 4}, {"small", 16 * 8.0 / 9}, {"medium", 16},
        {"large", 16 * 6.0 / 5},    {"x-large", 16 * 3.0 / 2}, {"xx-large", 32}};
    bool keyword = false;
    for (const auto& [word, size] : kKeywords) {
      if (lower == word) number = size, keyword = true;
    }
    if (!keyword && (!ParseLength(value, number) || number < 0)) return false;
    style.fontSize = number;
    style.fontSizeScale.reset();
  } else if (name == "fill-rule") {
    if (!OneOf(lower, {"nonzero", "evenodd"})) return false;
    style.fillRule = lower;
  } else if (name == "stroke-linecap") {
    if (!OneOf(lower, {"butt", "round", "square"})) return false;
    style.lineCap = lower;
  } else if (name == "stroke-linejoin") {
    if (!OneOf(lower, {"miter", "round", "bevel", "miter-clip", "arcs"})) return false;
    style.lineJoin = lower;
  } else if (name == "display") {
    if (lower.empty() || lower.find_first_of(" \t;") != std::string::npos) return false;
    style.display = lower;
  } else if (name == "visibility") {
    if (!OneOf(lower, {"visible", "hidden", "collapse"})) return false;
    style.visibility = lower;
  } else if (name == "text-anchor") {
    if (!OneOf(lower, {"start", "middle", "end"})) return false;
    style.textAnchor = lower;
  } else if (name == "font-family") {
    if (value.empty()) return false;
    // One quoted name is that name; a list stays as written.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front() &&
        value.substr(1, value.size() - 2).find(value.front()) == std::string_view::npos)
      value = value.substr(1, value.size() - 2);
    style.fontFamily = std::string(value);
  }
  return true;
}

// Splits a style attribute into declarations: comments dropped, semicolons
// inside quotes or parentheses kept.
std::vector<std::pair<std::string_view, std::string_view>> Declarations(std::string_view text, std::string& buffer) {
  buffer.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '/' && i + 1 < text.size() && text[i + 1] == '*') {
      const size_t end = text.find("*/", i + 2);
      if (end == std::string_view::npos) break;
      i = end + 1;
      buffer.push_back(' ');
      continue;
    }
    buffer.push_back(text[i]);
  }
  std::vector<std::pair<std::string_view, std::string_view>> out;
  const std::string_view all(buffer);
  size_t begin = 0, depth = 0;
  char quote = '\0';
  for (size_t i = 0; i <= all.size(); ++i) {
    const char c = i < all.size() ? all[i] : ';';
    if (quote != '\0') {
      if (c == quote) quote = '\0';
      if (i < all.size()) continue;
    } else if (c == '"' || c == '\'') {
      quote = c;
      continue;
    } else if (c == '(') {
      ++depth;
      continue;
    } else if (c == ')') {
      if (depth > 0) --depth;
      continue;
    }
    if (c != ';' || (depth > 0 && i < all.size())) continue;
    const std::string_view declaration = all.substr(begin, i - begin);
    begin = i + 1;
    depth = 0;
    const size_t colon = declaration.find(':');
    if (colon == std::string_view::npos) continue;
    std::string_view value = Trim(declaration.substr(colon + 1));
    const size_t bang = value.rfind('!');
    if (bang != std::string_view::npos && Lower(Trim(value.substr(bang + 1))) == "important")
      value = Trim(value.substr(0, bang));
    out.emplace_back(Trim(declaration.substr(0, colon)), value);
  }
  return out;
}

}  // namespace

Style ElementStyle(const std::vector<std::pair<std::string, std::string>>& attributes) {
  Style style;
  auto apply = [&](std::string_view name, std::string_view value) {
    if (!Apply(name, value, style)) style.unread.push_back(Lower(Trim(name)) + ": " + std::string(Trim(value)));
  };
  for (const auto& [name, value] : attributes) {
    if (name != "style") apply(name, value);
  }
  std::string buffer;
  for (const auto& [name, value] : attributes) {
    if (name != "style") continue;
    for (const auto& [property, text] : Declarations(value, buffer)) apply(property, text);
  }
  return style;
}

Style Inherit(const Style& parent, const Style& own) {
  Style out = own;
  auto take = [](auto& mine, const auto& theirs) {
    if (!mine) mine = theirs;
  };
  take(out.fill, parent.fill);
  take(out.stroke, parent.stroke);
  take(out.color, parent.color);
  take(out.strokeWidth, parent.strokeWidth);
  take(out.fillOpacity, parent.fillOpacity);
  take(out.strokeOpacity, parent.strokeOpacity);
  take(out.miterLimit, parent.miterLimit);
  take(out.dashOffset, parent.dashOffset);
  take(out.dashArray, parent.dashArray);
  take(out.fillRule, parent.fillRule);
  take(out.lineCap, parent.lineCap);
  take(out.lineJoin, parent.lineJoin);
  take(out.visibility, parent.visibility);
  take(out.textAnchor, parent.textAnchor);
  take(out.fontFamily, parent.fontFamily);
  if (!out.fontSize) {
    if (own.fontSizeScale) {
      out.fontSize = parent.fontSize.value_or(16) * *own.fontSizeScale;
    } else {
      out.fontSize = parent.fontSize;
    }
  }
  out.fontSizeScale.reset();
  return out;
}

Paint UsedPaint(const Paint& paint, const Style& computed) {
  if (paint.kind != Paint::Kind::CurrentColor) return paint;
  if (computed.color) return *computed.color;
  return Paint{Paint::Kind::Color, 0, 0, 0, {}};
}

bool ParseColor(std::string_view text, double& red, double& green, double& blue) {
  text = Trim(text);
  if (text.empty()) return false;
  if (text.front() == '#') {
    const std::string_view hex = text.substr(1);
    int d[6];
    if (hex.size() != 3 && hex.size() != 6) return false;
    for (size_t i = 0; i < hex.size(); ++i) {
      d[i] = HexDigit(hex[i]);
      if (d[i] < 0) return false;
    }
    if (hex.size() == 3) {
      red = d[0] * 17 / 255.0;
      green = d[1] * 17 / 255.0;
      blue = d[2] * 17 / 255.0;
    } else {
      red = (d[0] * 16 + d[1]) / 255.0;
      green = (d[2] * 16 + d[3]) / 255.0;
      blue = (d[4] * 16 + d[5]) / 255.0;
    }
    return true;
  }
  const std::string lower = Lower(text);
  if (lower.starts_with("rgb(") && lower.back() == ')')
    return ParseRgbFunction(text.substr(4, text.size() - 5), red, green, blue);
  const auto found = std::lower_bound(std::begin(kNamedColors), std::end(kNamedColors), lower,
                                      [](const NamedColor& entry, const std::string& key) { return entry.name < key; });
  if (found == std::end(kNamedColors) || found->name != lower) return false;
  red = ((found->rgb >> 16) & 0xFF) / 255.0;
  green = ((found->rgb >> 8) & 0xFF) / 255.0;
  blue = (found->rgb & 0xFF) / 255.0;
  return true;
}

bool ParseLength(std::string_view text, double& userUnits, double fontSize) {
  text = Trim(text);
  double value = 0;
  if (!TakeNumber(text, value)) return false;
  const std::string unit = Lower(text);
  double scale = 0;
  if (unit.empty() || unit == "px") scale = 1;
  else if (unit == "pt") scale = 96.0 / 72.0;
  else if (unit == "pc") scale = 16;
  else if (unit == "mm") scale = 96.0 / 25.4;
  else if (unit == "cm") scale = 96.0 / 2.54;
  else if (unit == "q") scale = 96.0 / 101.6;
  else if (unit == "in") scale = 96;
  else if (unit == "em") scale = fontSize;
  else if (unit == "ex") scale = fontSize / 2;
  else return false;
  const double result = value * scale;
  if (!std::isfinite(result)) return false;
  userUnits = result;
  return true;
}

bool ParseLengthOrPercent(std::string_view text, double& userUnits, double percentBase, double fontSize) {
  std::string_view rest = Trim(text);
  double value = 0;
  if (TakeNumber(rest, value) && rest == "%") {
    const double result = value / 100 * percentBase;
    if (!std::isfinite(result)) return false;
    userUnits = result;
    return true;
  }
  return ParseLength(text, userUnits, fontSize);
}

}  // namespace sim::svg
