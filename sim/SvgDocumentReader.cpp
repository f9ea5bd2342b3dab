#include "sim/SvgDocumentReader.h"

#include <algorithm>
#include <charconv>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>

#include <nlohmann/json.hpp>
#include <pugixml.hpp>

#include "sim/DocumentFile.h"
#include "sim/DocumentFormat.h"
#include "sim/DocumentReader.h"
#include "sim/Host.h"
#include "sim/SvgDocumentWriter.h"
#include "sim/SvgGeometry.h"
#include "sim/SvgStyle.h"
#include "sim/TextCodec.h"

namespace sim {

namespace {

using nlohmann::json;

constexpr const char* kSvgNamespace = "http://www.w3.org/2000/svg";
// The host's name for a document's first layer; content outside any layer goes there.
constexpr const char* kLooseContentLayer = "レイヤー 1";

std::string Plural(const std::string& kind, size_t count) {
  std::string text = std::to_string(count) + " " + kind;
  if (count == 1) return text;
  if (kind.ends_with("s") || kind.ends_with("x")) return text + "es";
  return text + "s";
}

// A colour of the document file's JSON form as an AIColor; false for forms
// with no screen colour.
bool ColorOfJson(const json& value, AIColor& color) {
  if (!value.is_object()) return false;
  const auto numbers = [&](const char* key, std::initializer_list<AIReal*> targets) {
    const auto found = value.find(key);
    if (found == value.end() || !found->is_array() || found->size() != targets.size()) return false;
    size_t i = 0;
    for (AIReal* target : targets) {
      if (!(*found)[i].is_number()) return false;
      *target = (*found)[i++].get<AIReal>();
    }
    return true;
  };
  if (const auto gray = value.find("gray"); gray != value.end() && gray->is_number()) {
    color.kind = kGrayColor;
    color.c.g.gray = gray->get<AIReal>();
    return true;
  }
  if (numbers("cmyk", {&color.c.f.cyan, &color.c.f.magenta, &color.c.f.yellow, &color.c.f.black})) {
    color.kind = kFourColor;
    return true;
  }
  if (numbers("rgb", {&color.c.rgb.red, &color.c.rgb.green, &color.c.rgb.blue})) {
    color.kind = kThreeColor;
    return true;
  }
  return false;
}

std::string HexOf(double red, double green, double blue) {
  AIColor color;
  color.kind = kThreeColor;
  color.c.rgb = {static_cast<AIReal>(red), static_cast<AIReal>(green), static_cast<AIReal>(blue)};
  return SvgColorText(color);
}

json RgbJson(double red, double green, double blue) {
  return json{{"rgb", json::array({static_cast<float>(red), static_cast<float>(green), static_cast<float>(blue)})}};
}

// The computed style of an element and the transform to the root's user space.
struct Context {
  svg::Style style;
  svg::Matrix matrix;
  size_t depth = 0;
};

class Reader {
 public:
  Reader(const std::string& file, SvgReadReport& report) : file(file), report(report) {}

  json Read(std::string_view text) {
    pugi::xml_document xml;
    const pugi::xml_parse_result parsed =
        xml.load_buffer(text.data(), text.size(), pugi::parse_default | pugi::parse_ws_pcdata_single,
                        pugi::encoding_utf8);
    if (!parsed)
      throw DocumentFileError(file, LineAndColumn(text, static_cast<size_t>(parsed.offset)),
                              std::string("not an SVG file: ") + parsed.description());
    const pugi::xml_node root = xml.document_element();
    Namespaces(root);
    if (LocalName(root) != "svg")
      throw DocumentFileError(file, {}, "not an SVG drawing: its outermost element is <" + std::string(root.name()) +
                                            ">, not <svg> of the SVG namespace");
    report.projectData = !kz.empty();
    if (!report.projectData)
      Note("the SVG holds none of Kartzmap's data: it was read as a new drawing without attribute rows");
    Page(root);
    const pugi::xml_node view = Child(root, "namedview", sodipodi);
    if (view) currentLayerId = Attr(view, "current-layer", inkscape);

    IndexIds(root);
    Context context;
    context.style = svg::Inherit(svg::Style{}, ElementStyle(root));
    json layers = json::array();
    json loose = json::array();
    for (json& item : ReadContents(root, context)) {
      if (item.value("type", "") == "layer") {
        item.erase("type");
        layers.push_back(std::move(item));
      } else {
        loose.push_back(std::move(item));
      }
    }
    if (!loose.empty()) {
      Note("content outside any layer was put into a layer \"" + std::string(kLooseContentLayer) + "\" at the bottom");
      layers.push_back(json{{"title", kLooseContentLayer}, {"art", std::move(loose)}});
    }
    if (layers.empty()) {
      Note("the SVG has no layer: the map has one empty layer \"" + std::string(kLooseContentLayer) + "\"");
      layers.push_back(json{{"title", kLooseContentLayer}});
    }
    json document{{"format", kDocumentFormatName}, {"version", kDocumentFormatVersion}, {"artboard", artboard}};
    int32_t index = 0;
    std::optional<int32_t> current;
    for (json& layer : layers) FindCurrent(layer, index, current);
    document["currentLayer"] = current ? json(*current) : json(nullptr);
    document["layers"] = std::move(layers);
    return document;
  }

 private:
  // --- Names -------------------------------------------------------------

  void Namespaces(const pugi::xml_node& root) {
    for (const pugi::xml_attribute& attribute : root.attributes()) {
      const std::string_view name = attribute.name();
      const std::string_view value = attribute.value();
      std::string prefix;
      if (name == "xmlns") {
        prefix = "";
      } else if (name.starts_with("xmlns:")) {
        prefix = std::string(name.substr(6));
      } else {
        continue;
      }
      if (value == kSvgNamespace) {
        if (prefix.empty()) {
          defaultSvg = true;
        } else {
          svgPrefixes.push_back(prefix);
        }
      } else if (value == kSvgProjectNamespace) {
        kz = prefix;
      } else if (value == kSvgInkscapeNamespace) {
        inkscape = prefix;
      } else if (value == kSvgSodipodiNamespace) {
        sodipodi = prefix;
      }
    }
    // Without any declaration a file named .svg is still read as SVG.
    if (!root.attribute("xmlns")) defaultSvg = true;
  }

  // The element's name without the SVG prefix; other namespaces' elements
  // keep theirs ("sodipodi:namedview").
  std::string LocalName(const pugi::xml_node& node) const {
    const std::string_view name = node.name();
    const size_t colon = name.find(':');
    if (colon == std::string_view::npos) return defaultSvg ? std::string(name) : "\x01" + std::string(name);
    const std::string_view prefix = name.substr(0, colon);
    if (std::find(svgPrefixes.begin(), svgPrefixes.end(), prefix) != svgPrefixes.end())
      return std::string(name.substr(colon + 1));
    return std::string(name);
  }

  static std::string Qualified(const std::string& prefix, const char* name) {
    return prefix.empty() ? std::string(name) : prefix + ":" + name;
  }

  // An attribute in a namespace known by its prefix (empty prefix: none, or
  // the namespace is not declared at all and the attribute cannot be there).
  static const char* Attr(const pugi::xml_node& node, const char* name, const std::string& prefix) {
    if (prefix.empty()) return "";
    return node.attribute(Qualified(prefix, name).c_str()).value();
  }

  pugi::xml_node Child(const pugi::xml_node& node, const char* name, const std::string& prefix) const {
    if (prefix.empty()) return {};
    return node.child(Qualified(prefix, name).c_str());
  }

  void Note(const std::string& text) {
    if (std::find(report.notes.begin(), report.notes.end(), text) == report.notes.end()) report.notes.push_back(text);
  }
  void NotRead(const std::string& kind) { ++report.notRead[kind]; }

  // --- Page --------------------------------------------------------------

  // A list of numbers parted by white space or commas; false on anything else.
  static bool Numbers(std::string_view text, std::vector<double>& out) {
    out.clear();
    const char* at = text.data();
    const char* end = at + text.size();
    while (true) {
      while (at < end && (*at == ' ' || *at == ',' || *at == '\t' || *at == '\n' || *at == '\r')) ++at;
      if (at == end) return true;
      if (*at == '+') ++at;
      double value = 0;
      const auto result = std::from_chars(at, end, value);
      if (result.ec != std::errc() || !std::isfinite(value)) return false;
      out.push_back(value);
      at = result.ptr;
    }
  }

  void Page(const pugi::xml_node& root) {
    std::vector<double> box;
    const char* viewBox = root.attribute("viewBox").value();
    const bool hasBox = Numbers(viewBox, box) && box.size() >= 4 && box[2] > 0 && box[3] > 0;
    double width = 0, height = 0;
    const bool hasWidth = svg::ParseLength(root.attribute("width").value(), width) && width > 0;
    const bool hasHeight = svg::ParseLength(root.attribute("height").value(), height) && height > 0;
    if (!hasBox) {
      // User units are CSS pixels: three quarters of a point.
      box = {0, 0, hasWidth ? width : 595 / 0.75, hasHeight ? height : 842 / 0.75};
      scale = 0.75;
      if (!hasWidth || !hasHeight) Note("the SVG gives no page size: the artboard is A4");
    } else if (hasWidth) {
      scale = width * 0.75 / box[2];
      if (std::fabs(scale - 1) < 1e-9) scale = 1;
    }
    artboard = json::array({Real(box[0] * scale), Real(-box[1] * scale), Real((box[0] + box[2]) * scale),
                            Real(-(box[1] + box[3]) * scale)});
    // The page as it was written keeps the exact artboard.
    std::vector<double> original;
    if (!kz.empty() && Numbers(Attr(root, "artboard", kz), original) && original.size() >= 4) {
      AIRealRect b{static_cast<AIReal>(original[0]), static_cast<AIReal>(original[1]),
                   static_cast<AIReal>(original[2]), static_cast<AIReal>(original[3])};
      const std::string written = SvgNumber(b.left) + " " + SvgNumber(-b.top) + " " + SvgNumber(b.right - b.left) +
                                  " " + SvgNumber(b.top - b.bottom);
      if (written == viewBox && scale == 1) artboard = json::array({b.left, b.top, b.right, b.bottom});
    }
  }

  static float Real(double value) {
    if (!std::isfinite(value)) return 0;
    return static_cast<float>(std::clamp(value, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)));
  }

  // --- Style -------------------------------------------------------------

  static svg::Style ElementStyle(const pugi::xml_node& node) {
    std::vector<std::pair<std::string, std::string>> attributes;
    for (const pugi::xml_attribute& attribute : node.attributes())
      attributes.emplace_back(attribute.name(), attribute.value());
    return svg::ElementStyle(attributes);
  }

  // A property the style reader does not keep: from the style attribute or
  // the presentation attribute.
  static std::string Property(const pugi::xml_node& node, std::string_view name) {
    const std::string_view style = node.attribute("style").value();
    size_t at = 0;
    std::string value;
    while (at < style.size()) {
      size_t end = style.find(';', at);
      if (end == std::string_view::npos) end = style.size();
      const std::string_view declaration = style.substr(at, end - at);
      const size_t colon = declaration.find(':');
      if (colon != std::string_view::npos) {
        std::string_view key = declaration.substr(0, colon);
        while (!key.empty() && key.front() == ' ') key.remove_prefix(1);
        while (!key.empty() && key.back() == ' ') key.remove_suffix(1);
        if (key == name) value = std::string(declaration.substr(colon + 1));
      }
      at = end + 1;
    }
    if (!value.empty()) return value;
    return node.attribute(std::string(name).c_str()).value();
  }

  static bool Unset(std::string_view value) {
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    return value.empty() || value.starts_with("none");
  }

  // Effects the document has no form for, counted per element that uses them.
  void CountEffects(const pugi::xml_node& node) {
    if (!Unset(Property(node, "filter"))) NotRead("filter");
    if (!Unset(Property(node, "clip-path"))) NotRead("clip path");
    if (!Unset(Property(node, "mask"))) NotRead("mask");
    for (const char* marker : {"marker-start", "marker-mid", "marker-end", "marker"})
      if (!Unset(Property(node, marker))) {
        NotRead("marker");
        break;
      }
  }

  std::string ServerKind(const std::string& id) const {
    const auto found = idKinds.find(id);
    if (found == idKinds.end()) return "paint reference";
    if (found->second.find("Gradient") != std::string::npos || found->second == "meshgradient") return "gradient";
    if (found->second == "pattern") return "pattern";
    return "paint reference";
  }

  // Stroke widths, dashes and font sizes follow the transform's scale.
  double LengthScale(const svg::Matrix& m) const {
    return scale * std::sqrt(std::fabs(m.a * m.d - m.b * m.c));
  }

  // One paint: on (and the colour) or off. A colour shown as it was written
  // keeps its original.
  void Paint(const std::optional<svg::Paint>& paint, bool defaultOn, const json* original, bool& on, json& color,
             const char* what) {
    if (!paint) {
      on = defaultOn;
      if (on) color = RgbJson(0, 0, 0);
      return;
    }
    switch (paint->kind) {
      case svg::Paint::Kind::None:
        on = false;
        return;
      case svg::Paint::Kind::Reference:
        NotRead(ServerKind(paint->reference));
        Note(std::string("a ") + what + " that is no plain colour keeps its colour as written, or none");
        on = original != nullptr;
        return;
      case svg::Paint::Kind::CurrentColor:
        Note(std::string("a ") + what + " in currentColor was read as black");
        on = true;
        color = RgbJson(0, 0, 0);
        return;
      case svg::Paint::Kind::Color:
        on = true;
        AIColor kept;
        if (original && ColorOfJson(*original, kept) &&
            SvgColorText(kept) == HexOf(paint->red, paint->green, paint->blue)) {
          color = *original;
        } else {
          color = RgbJson(paint->red, paint->green, paint->blue);
        }
        return;
    }
  }

  // Equal values, numbers compared as the floats the document keeps.
  static bool SameValues(const json& a, const json& b) {
    if (a.is_number() && b.is_number()) return a.get<float>() == b.get<float>();
    if (a.type() != b.type() || a.size() != b.size()) return false;
    if (a.is_array()) {
      for (size_t i = 0; i < a.size(); ++i)
        if (!SameValues(a[i], b[i])) return false;
      return true;
    }
    if (a.is_object()) {
      for (const auto& [key, value] : a.items())
        if (!b.contains(key) || !SameValues(value, b[key])) return false;
      return true;
    }
    return a == b;
  }

  json PathStyle(const svg::Style& style, const json& head, const svg::Matrix& m) {
    json out = head.is_object() ? head : json::object();
    const json* fillOriginal = head.contains("fillColor") ? &head["fillColor"] : nullptr;
    const json* strokeOriginal = head.contains("strokeColor") ? &head["strokeColor"] : nullptr;
    bool fill = false, stroke = false;
    json fillColor = fillOriginal ? *fillOriginal : json("none");
    json strokeColor = strokeOriginal ? *strokeOriginal : json("none");
    Paint(style.fill, true, fillOriginal, fill, fillColor, "fill");
    Paint(style.stroke, false, strokeOriginal, stroke, strokeColor, "stroke");
    out["fill"] = fill;
    out["fillColor"] = fillColor;
    out["stroke"] = stroke;
    out["strokeColor"] = strokeColor;
    if ((style.fillOpacity && *style.fillOpacity < 1) || (style.strokeOpacity && *style.strokeOpacity < 1))
      NotRead("fill or stroke opacity");
    const double lengths = LengthScale(m);
    const auto length = [&](double value) { return Real(lengths == 1 ? value : value * lengths); };
    out["strokeWidth"] = length(style.strokeWidth.value_or(1));
    json dash = json::array();
    if (style.dashArray) {
      std::vector<double> lengthsList = *style.dashArray;
      if (lengthsList.size() > static_cast<size_t>(kMaxDashComponents)) {
        NotRead("dash pattern of more than " + std::to_string(kMaxDashComponents) + " lengths");
        lengthsList.clear();
      }
      for (double each : lengthsList) dash.push_back(length(each));
    }
    out["dash"] = dash;
    out["dashOffset"] = length(style.dashOffset.value_or(0));
    const std::string cap = style.lineCap.value_or("butt");
    out["cap"] = cap == "round" ? "round" : cap == "square" ? "projecting" : "butt";
    const std::string join = style.lineJoin.value_or("miter");
    out["join"] = join == "round" ? "round" : join == "bevel" ? "bevel" : "miter";
    out["miterLimit"] = Real(std::max(1.0, style.miterLimit.value_or(4)));
    out["evenOdd"] = style.fillRule.value_or("nonzero") == "evenodd";
    return out;
  }

  // The art members SVG says: opacity, hidden, locked.
  void Visibility(const pugi::xml_node& node, const svg::Style& own, json& art) {
    const double opacity = std::clamp(own.opacity.value_or(1.0), 0.0, 1.0);
    if (opacity != 1) {
      art["opacity"] = Real(opacity);
    } else {
      art.erase("opacity");
    }
    if (own.display.value_or("") == "none") {
      art["hidden"] = true;
    } else {
      art.erase("hidden");
    }
    if (std::string_view(Attr(node, "insensitive", sodipodi)) == "true") {
      art["locked"] = true;
    } else {
      art.erase("locked");
    }
  }

  // --- Project data ------------------------------------------------------

  // The element's head in the project's namespace when it is what the
  // document reader takes for an object of that type; else nothing.
  json Head(const pugi::xml_node& node, const char* attribute, std::initializer_list<const char*> types) {
    if (kz.empty()) return json::object();
    const pugi::xml_attribute value = node.attribute(Qualified(kz, attribute).c_str());
    if (!value) return json::object();
    json head = json::parse(value.value(), nullptr, false);
    const bool typed = head.is_object() && head.contains("type") && head["type"].is_string() &&
                       std::any_of(types.begin(), types.end(), [&](const char* type) { return head["type"] == type; });
    if (!typed || !Valid(head)) {
      NotRead("object's unreadable Kartzmap data");
      return json::object();
    }
    return head;
  }

  // Whether the document reader takes the head: tried alone in a small document.
  bool Valid(const json& head) const {
    json probe{{"format", kDocumentFormatName}, {"version", kDocumentFormatVersion}};
    if (head["type"] == "layer") {
      json layer = head;
      layer.erase("type");
      probe["layers"] = json::array({layer});
    } else {
      probe["layers"] = json::array({json{{"title", ""}, {"art", json::array({head})}}});
    }
    try {
      Document scratch;
      ReadDocumentJson(scratch, probe, file);
    } catch (const DocumentFileError&) {
      return false;
    } catch (const json::exception&) {
      return false;
    }
    return true;
  }

  // --- Walk --------------------------------------------------------------

  bool Enter(const pugi::xml_node& node, const Context& outer, Context& inner) {
    inner.depth = outer.depth + 1;
    // Content outside layers gets one more level, in a layer of its own.
    if (inner.depth + 1 > kMaxDocumentDepth) {
      NotRead("object nested too deep");
      return false;
    }
    const svg::Style own = ElementStyle(node);
    inner.style = svg::Inherit(outer.style, own);
    inner.matrix = outer.matrix;
    if (const pugi::xml_attribute transform = node.attribute("transform")) {
      svg::Matrix local;
      std::string problem;
      if (!svg::ParseTransform(transform.value(), local, problem)) {
        Note("a transform that could not be read was left out: " + problem);
      } else {
        inner.matrix = local.Then(outer.matrix);
      }
    }
    return true;
  }

  // Ids of the whole tree, walked without recursion: a file may nest deep.
  void IndexIds(const pugi::xml_node& root) {
    for (pugi::xml_node node = root.first_child(); node && node != root;) {
      if (node.type() == pugi::node_element) {
        if (const char* id = node.attribute("id").value(); *id) idKinds.emplace(id, LocalName(node));
      }
      if (node.first_child()) {
        node = node.first_child();
        continue;
      }
      while (node != root && !node.next_sibling()) node = node.parent();
      if (node != root) node = node.next_sibling();
    }
  }

  bool IsLayer(const pugi::xml_node& node) const {
    return std::string_view(Attr(node, "groupmode", inkscape)) == "layer";
  }

  // The container's children, art and layers, topmost first.
  json ReadContents(const pugi::xml_node& container, const Context& context) {
    json list = json::array();
    for (const pugi::xml_node& node : container.children()) {
      if (node.type() != pugi::node_element) continue;
      const std::string name = LocalName(node);
      json item;
      if (name == "g" && IsLayer(node)) {
        Context inner;
        if (!Enter(node, context, inner)) continue;
        item = ReadLayer(node, inner);
      } else if (!ReadElement(node, name, context, item)) {
        continue;
      }
      list.push_back(std::move(item));
    }
    // SVG paints the first child at the bottom.
    std::reverse(list.begin(), list.end());
    return list;
  }

  json ReadLayer(const pugi::xml_node& node, const Context& context) {
    json layer = Head(node, "layer", {"layer"});
    layer["type"] = "layer";
    std::string title = Attr(node, "label", inkscape);
    if (title.empty()) title = node.attribute("id").value();
    layer["title"] = title;
    layer["visible"] = ElementStyle(node).display.value_or("") != "none";
    layer["locked"] = std::string_view(Attr(node, "insensitive", sodipodi)) == "true";
    if (!context.matrix.IsIdentity()) Note("transforms on layers were applied to their art");
    if (const svg::Style own = ElementStyle(node); own.opacity && *own.opacity < 1) NotRead("layer opacity");
    const char* id = node.attribute("id").value();
    if (std::string_view(Attr(node, "current", kz)) == "true" || (*id && currentLayerId == id))
      layer["kzCurrent"] = std::string_view(Attr(node, "current", kz)) == "true" ? 2 : 1;
    layer["art"] = ReadContents(node, context);
    return layer;
  }

  // The layer marked current, by its place among all layers (each before
  // its sublayers, topmost first); the project's mark before Inkscape's.
  void FindCurrent(json& layer, int32_t& index, std::optional<int32_t>& current) {
    const int32_t mine = index++;
    if (const auto mark = layer.find("kzCurrent"); mark != layer.end()) {
      if (!current || *mark == 2) current = mine;
      layer.erase(mark);
    }
    if (const auto art = layer.find("art"); art != layer.end())
      for (json& item : *art)
        if (item.is_object() && item.value("type", "") == "layer") FindCurrent(item, index, current);
  }

  bool ReadElement(const pugi::xml_node& node, const std::string& name, const Context& outer, json& art) {
    static const std::map<std::string, std::string> kUnsupported{
        {"image", "image"},         {"use", "clone"},           {"foreignObject", "foreign object"},
        {"flowRoot", "flowed text"}, {"switch", "switch"},        {"svg", "nested SVG"},
        {"video", "video"},          {"audio", "audio"},          {"style", "style sheet"},
        {"script", "script"}};
    static const std::vector<std::string> kNotDrawn{"defs",           "metadata", "title", "desc", "symbol",
                                                    "linearGradient", "radialGradient", "pattern", "clipPath",
                                                    "mask",           "marker",   "filter"};
    if (std::find(kNotDrawn.begin(), kNotDrawn.end(), name) != kNotDrawn.end()) return false;
    if (const auto found = kUnsupported.find(name); found != kUnsupported.end()) {
      NotRead(found->second);
      return false;
    }
    if (name.find(':') != std::string::npos || name.starts_with("\x01")) return false;  // not SVG: not drawn
    Context context;
    if (!Enter(node, outer, context)) return false;
    const svg::Style own = ElementStyle(node);
    if (name == "g" || name == "a") return ReadGroup(node, context, own, art);
    if (name == "path") return ReadPath(node, context, own, art);
    if (name == "text") return ReadText(node, context, own, art);
    if (name == "rect" || name == "circle" || name == "ellipse" || name == "line" || name == "polyline" ||
        name == "polygon")
      return ReadShape(node, name, context, own, art);
    NotRead("<" + name + "> element");
    return false;
  }

  bool ReadGroup(const pugi::xml_node& node, const Context& context, const svg::Style& own, json& art) {
    CountEffects(node);
    // Art of kinds SVG has no element for stands as a group.
    art = Head(node, "art", {"group", "other"});
    if (!art.contains("type")) art["type"] = "group";
    Visibility(node, own, art);
    json contents = ReadContents(node, context);
    for (json& item : contents) {
      if (item.value("type", "") == "layer") {
        // A layer inside a group is no layer of the document.
        Note("a layer inside a group was read as a group");
        item = LayerAsGroup(std::move(item));
      }
    }
    art["art"] = std::move(contents);
    return true;
  }

  static json LayerAsGroup(json layer) {
    json group{{"type", "group"}};
    if (!layer.value("visible", true)) group["hidden"] = true;
    if (layer.value("locked", false)) group["locked"] = true;
    group["art"] = layer.contains("art") ? std::move(layer["art"]) : json::array();
    for (json& item : group["art"])
      if (item.value("type", "") == "layer") item = LayerAsGroup(std::move(item));
    return group;
  }

  // --- Geometry ----------------------------------------------------------

  bool Point(const svg::Point& p, AIRealPoint& out) const {
    const double h = scale == 1 ? p.x : p.x * scale;
    // 0 − y, not −y: a zero comes back as the +0 it was written from.
    const double v = scale == 1 ? 0 - p.y : 0 - p.y * scale;
    if (!std::isfinite(h) || !std::isfinite(v) || std::fabs(h) > FLT_MAX || std::fabs(v) > FLT_MAX) return false;
    out = {static_cast<AIReal>(h), static_cast<AIReal>(v)};
    return true;
  }

  static bool Same(const svg::Point& a, const svg::Point& b) { return a.x == b.x && a.y == b.y; }

  // One subpath as segments. A closed subpath whose last piece ends on its
  // start took that piece for its closing.
  bool Segments(const svg::Subpath& sub, std::vector<AIPathSegment>& segments) {
    std::vector<svg::Piece> pieces = sub.pieces;
    std::optional<svg::Piece> closing;
    if (sub.closed && !pieces.empty() && Same(pieces.back().end, sub.start)) {
      closing = pieces.back();
      pieces.pop_back();
    }
    if (pieces.size() + 1 > static_cast<size_t>(kMaxPathSegments)) {
      NotRead("path of more than " + std::to_string(kMaxPathSegments) + " points");
      return false;
    }
    segments.assign(pieces.size() + 1, AIPathSegment{});
    if (!Point(sub.start, segments[0].p)) return OutOfRange();
    for (size_t i = 0; i < pieces.size(); ++i) {
      AIPathSegment& next = segments[i + 1];
      if (!Point(pieces[i].end, next.p) || !Point(pieces[i].c1, segments[i].out) || !Point(pieces[i].c2, next.in))
        return OutOfRange();
    }
    segments[0].in = segments[0].p;
    segments.back().out = segments.back().p;
    if (closing && (!Point(closing->c1, segments.back().out) || !Point(closing->c2, segments[0].in)))
      return OutOfRange();
    return true;
  }

  bool OutOfRange() {
    NotRead("path with coordinates out of range");
    return false;
  }

  static json Packed(const std::vector<AIPathSegment>& segments) {
    std::vector<uint8_t> bytes(segments.size() * sizeof(AIPathSegment));
    if (!bytes.empty()) std::memcpy(bytes.data(), segments.data(), bytes.size());
    return json::binary(std::move(bytes));
  }

  // Corners from Inkscape's node types when they count the nodes.
  static void Corners(std::string_view types, std::vector<std::vector<AIPathSegment>>& paths) {
    size_t total = 0;
    for (const auto& path : paths) total += path.size();
    if (types.size() != total) return;
    size_t at = 0;
    for (auto& path : paths)
      for (AIPathSegment& segment : path) segment.corner = types[at++] == 'c';
  }

  bool Subpaths(const pugi::xml_node& node, std::vector<svg::Subpath>& subpaths, const svg::Matrix& matrix) {
    std::string problem;
    if (!svg::ParsePathData(node.attribute("d").value(), subpaths, problem)) {
      NotRead("path data after an error");
      Note("path data was read up to an error: " + problem);
    }
    if (!matrix.IsIdentity()) svg::Transform(subpaths, matrix);
    return true;
  }

  // An open path's handles before its first point and after its last,
  // which SVG does not draw, kept while those points stay where they were.
  void OuterHandles(const pugi::xml_node& node, std::vector<AIPathSegment>& segments) const {
    std::vector<double> n;
    if (kz.empty() || !Numbers(Attr(node, "handles", kz), n) || n.size() != 8) return;
    const auto at = [&](size_t i) { return AIRealPoint{static_cast<AIReal>(n[i]), static_cast<AIReal>(n[i + 1])}; };
    const auto same = [](AIRealPoint a, AIRealPoint b) { return a.h == b.h && a.v == b.v; };
    AIPathSegment& first = segments.front();
    AIPathSegment& last = segments.back();
    if (!same(first.p, at(0)) || !same(last.p, at(4))) return;
    first.in = at(2);
    last.out = at(6);
  }

  bool ReadPath(const pugi::xml_node& node, const Context& context, const svg::Style& own, json& art) {
    std::vector<svg::Subpath> subpaths;
    Subpaths(node, subpaths, context.matrix);
    json head = Head(node, "art", {"path", "compound"});
    json members = json::array();
    if (!kz.empty() && head.value("type", "") == "compound") {
      members = json::parse(node.attribute(Qualified(kz, "members").c_str()).value(), nullptr, false);
      if (!members.is_array()) members = json::array();
    }
    return BuildPath(node, subpaths, context, own, std::move(head), std::move(members), art);
  }

  bool BuildPath(const pugi::xml_node& node, const std::vector<svg::Subpath>& subpaths, const Context& context,
                 const svg::Style& own, json head, json members, json& art) {
    CountEffects(node);
    std::vector<std::vector<AIPathSegment>> paths;
    std::vector<bool> closed;
    for (const svg::Subpath& sub : subpaths) {
      std::vector<AIPathSegment> segments;
      if (!Segments(sub, segments)) return false;
      paths.push_back(std::move(segments));
      closed.push_back(sub.closed);
    }
    if (paths.empty()) {
      NotRead("path without points");
      return false;
    }
    Corners(Attr(node, "nodetypes", sodipodi), paths);
    const bool compound = paths.size() > 1 || head.value("type", "") == "compound";
    if (!compound) {
      art = head.value("type", "") == "path" ? head : json{{"type", "path"}};
      art["closed"] = static_cast<bool>(closed[0]);
      art["style"] = PathStyle(context.style, art.value("style", json::object()), context.matrix);
      if (!closed[0]) OuterHandles(node, paths[0]);
      art["segments"] = Packed(paths[0]);
      Visibility(node, own, art);
      return true;
    }
    art = head.value("type", "") == "compound" ? head : json{{"type", "compound"}};
    // A path combined with others in Inkscape keeps its row on the compound.
    if (head.value("type", "") == "path") {
      for (const char* key : {"dictionary", "tags", "selected"})
        if (head.contains(key)) art[key] = head[key];
    }
    const bool keepMembers = members.size() == paths.size();
    // The shown style is the topmost member's, as written.
    const json shown = keepMembers && members[0].is_object() && members[0].contains("style") ? members[0]["style"]
                                                                                              : art.value("style", json::object());
    const json style = PathStyle(context.style, shown, context.matrix);
    // A style shown as written keeps the compound's and each member's own.
    const bool restyled = !SameValues(style, shown);
    art["style"] = restyled || !art.contains("style") ? style : art["style"];
    json list = json::array();
    for (size_t i = 0; i < paths.size(); ++i) {
      json member = keepMembers && members[i].is_object() && members[i].value("type", "") == "path" && Valid(members[i])
                        ? members[i]
                        : json{{"type", "path"}};
      member["closed"] = static_cast<bool>(closed[i]);
      if (restyled || !member.contains("style")) member["style"] = style;
      member["segments"] = Packed(paths[i]);
      list.push_back(std::move(member));
    }
    art["members"] = std::move(list);
    Visibility(node, own, art);
    return true;
  }

  double Number(const pugi::xml_node& node, const char* name, double fallback = 0) {
    double value = fallback;
    if (!svg::ParseLength(node.attribute(name).value(), value)) return fallback;
    return value;
  }

  bool ReadShape(const pugi::xml_node& node, const std::string& name, const Context& context, const svg::Style& own,
                 json& art) {
    if (name == "rect" && !kz.empty() && node.attribute(Qualified(kz, "art").c_str())) {
      json head = Head(node, "art", {"symbol"});
      if (!head.empty()) return ReadSymbol(node, context, own, std::move(head), art);
    }
    std::vector<svg::Subpath> subpaths;
    if (name == "rect") {
      double rx = -1, ry = -1;
      svg::ParseLength(node.attribute("rx").value(), rx);
      svg::ParseLength(node.attribute("ry").value(), ry);
      if (rx < 0) rx = std::max(ry, 0.0);
      if (ry < 0) ry = rx;
      subpaths = svg::RectPath(Number(node, "x"), Number(node, "y"), Number(node, "width"), Number(node, "height"),
                               rx, ry);
    } else if (name == "circle") {
      const double r = Number(node, "r");
      subpaths = svg::EllipsePath(Number(node, "cx"), Number(node, "cy"), r, r);
    } else if (name == "ellipse") {
      subpaths = svg::EllipsePath(Number(node, "cx"), Number(node, "cy"), Number(node, "rx"), Number(node, "ry"));
    } else if (name == "line") {
      subpaths = svg::PolylinePath({{Number(node, "x1"), Number(node, "y1")}, {Number(node, "x2"), Number(node, "y2")}},
                                   false);
    } else {
      std::vector<svg::Point> points;
      std::string problem;
      if (!svg::ParsePoints(node.attribute("points").value(), points, problem))
        Note("a points list was read up to an error: " + problem);
      subpaths = svg::PolylinePath(points, name == "polygon");
    }
    if (!context.matrix.IsIdentity()) svg::Transform(subpaths, context.matrix);
    return BuildPath(node, subpaths, context, own, json::object(), json::array(), art);
  }

  bool ReadSymbol(const pugi::xml_node& node, const Context& context, const svg::Style& own, json head, json& art) {
    art = std::move(head);
    const double x = Number(node, "x"), y = Number(node, "y"), w = Number(node, "width"), h = Number(node, "height");
    const svg::Point corners[4] = {{x, y}, {x + w, y}, {x, y + h}, {x + w, y + h}};
    double left = DBL_MAX, right = -DBL_MAX, top = -DBL_MAX, bottom = DBL_MAX;
    for (const svg::Point& corner : corners) {
      AIRealPoint p;
      if (!Point(context.matrix.Apply(corner), p)) return OutOfRange();
      left = std::min<double>(left, p.h);
      right = std::max<double>(right, p.h);
      top = std::max<double>(top, p.v);
      bottom = std::min<double>(bottom, p.v);
    }
    json bounds = json::array({Real(left), Real(top), Real(right), Real(bottom)});
    // Bounds shown as written keep their exact numbers.
    if (const auto written = art.find("bounds"); written != art.end() && written->is_array() && written->size() == 4 &&
                                                 context.matrix.IsIdentity() && scale == 1) {
      const float l = (*written)[0], t = (*written)[1], r = (*written)[2], b = (*written)[3];
      if (SvgNumber(l) == node.attribute("x").value() && SvgNumber(-t) == node.attribute("y").value() &&
          SvgNumber(r - l) == node.attribute("width").value() && SvgNumber(t - b) == node.attribute("height").value())
        bounds = *written;
    }
    art["bounds"] = bounds;
    Visibility(node, own, art);
    CountEffects(node);
    return true;
  }

  // --- Text --------------------------------------------------------------

  // The text's characters; lines Inkscape makes (tspans with the line role)
  // are joined by a return, as the host's texts break lines.
  void Characters(const pugi::xml_node& node, std::string& text, bool& firstLine, size_t depth = 0) {
    if (depth > kMaxDocumentDepth) {
      NotRead("text nested too deep");
      return;
    }
    for (const pugi::xml_node& child : node.children()) {
      if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
        text += child.value();
        continue;
      }
      if (child.type() != pugi::node_element) continue;
      const std::string name = LocalName(child);
      if (name == "textPath") NotRead("text on a path");
      if (name != "tspan" && name != "textPath" && name != "a") continue;
      if (std::string_view(Attr(child, "role", sodipodi)) == "line") {
        if (!firstLine) text += '\r';
        firstLine = false;
      }
      Characters(child, text, firstLine, depth + 1);
    }
  }

  pugi::xml_node FirstTspan(const pugi::xml_node& node) const {
    for (const pugi::xml_node& child : node.children())
      if (child.type() == pugi::node_element && LocalName(child) == "tspan") return child;
    return {};
  }

  // A text of the file's JSON: a string, or UTF-16 code units for text with none.
  static std::u16string HeadText(const json& value) {
    if (value.is_string()) return Utf8ToUtf16(value.get_ref<const std::string&>());
    std::u16string units;
    if (!value.is_array()) return units;
    for (const json& unit : value)
      if (unit.is_number_integer()) units.push_back(static_cast<char16_t>(unit.get<int64_t>()));
    return units;
  }

  // The first number of an x or y list on the text or its first tspan.
  bool Position(const pugi::xml_node& node, svg::Point& p) {
    for (pugi::xml_node at = node; at; at = FirstTspan(at)) {
      std::vector<double> xs, ys;
      if (Numbers(at.attribute("x").value(), xs) && Numbers(at.attribute("y").value(), ys) && !xs.empty() &&
          !ys.empty() && *at.attribute("x").value() && *at.attribute("y").value()) {
        p = {xs[0], ys[0]};
        return true;
      }
    }
    return false;
  }

  bool ReadText(const pugi::xml_node& node, const Context& context, const svg::Style& own, json& art) {
    CountEffects(node);
    art = Head(node, "art", {"text"});
    art["type"] = "text";
    svg::Point position;
    if (!Position(node, position)) position = {};
    AIRealPoint anchor;
    if (!Point(context.matrix.Apply(position), anchor)) return OutOfRange();
    const svg::Matrix& m = context.matrix;
    if (m.b != 0 || m.c != 0 || (m.a < 0) != (m.d < 0)) {
      NotRead("turn or slant of a text");
      Note("a text's turn or slant has no form in the document: only its position was read");
    }
    const bool untouched = m.IsIdentity() && scale == 1;
    // An anchor shown as written keeps its exact numbers.
    if (const auto written = art.find("anchor"); untouched && written != art.end() && written->is_array() &&
                                                 written->size() == 2 && (*written)[0].is_number() &&
                                                 (*written)[1].is_number()) {
      const float h = (*written)[0], v = (*written)[1];
      if (SvgNumber(h) == node.attribute("x").value() && SvgNumber(-v) == node.attribute("y").value())
        anchor = {h, v};
    }
    art["anchor"] = json::array({anchor.h, anchor.v});
    std::string text;
    bool firstLine = true;
    Characters(node, text, firstLine);
    if (SvgTextContent(HeadText(art.value("contents", json()))) != text) art["contents"] = text;
    if (const auto size = context.style.fontSize; size && *size > 0) {
      const float scaled = Real(untouched ? *size : *size * LengthScale(m));
      if (scaled > 0) art["fontSize"] = scaled;
    }
    if (context.style.fill) {
      bool on = false;
      json color = art.contains("fill") ? art["fill"] : json("none");
      Paint(context.style.fill, true, art.contains("fill") ? &art["fill"] : nullptr, on, color, "text fill");
      art["fill"] = on ? color : json("none");
    } else {
      art.erase("fill");
    }
    if (context.style.textAnchor) {
      const std::string& a = *context.style.textAnchor;
      art["justification"] = a == "end" ? "right" : a == "middle" ? "center" : "left";
    } else {
      art.erase("justification");
    }
    Visibility(node, own, art);
    return true;
  }

  const std::string& file;
  SvgReadReport& report;
  std::vector<std::string> svgPrefixes;  // besides the default namespace
  bool defaultSvg = false;
  std::string kz, inkscape, sodipodi;
  double scale = 1;  // points per user unit
  json artboard;
  std::string currentLayerId;
  std::map<std::string, std::string> idKinds;  // element name by id
};

}  // namespace

std::string SvgReadReport::NotReadText() const {
  std::string text;
  for (const auto& [kind, count] : notRead) text += (text.empty() ? "" : ", ") + Plural(kind, count);
  return text;
}

void SvgDocumentReader::Read(Document& document, std::string_view text) {
  report = SvgReadReport{};
  json root = Reader(file, report).Read(text);
  ReadDocumentJson(document, root, file);
}

Document& LoadSvgDocument(Host& host, const std::string& path, SvgReadReport& report) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw DocumentFileError(path, {}, "cannot open: " + std::string(std::strerror(errno)));
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw DocumentFileError(path, {}, "cannot read: " + std::string(std::strerror(errno)));
  Document loaded;
  SvgDocumentReader reader(path);
  reader.Read(loaded, text);
  report = reader.Report();
  Document& opened = host.NewDocument(loaded.bounds);
  opened = std::move(loaded);
  return opened;
}

}  // namespace sim
