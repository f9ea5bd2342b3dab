#include "sim/DocumentReader.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

#include "sim/DocumentFile.h"
#include "sim/DocumentFormat.h"
#include "sim/DocumentParser.h"
#include "sim/JsonWriter.h"
#include "sim/TextCodec.h"

namespace sim {

namespace {

using nlohmann::json;

// A place in the file, built into a JSON pointer only when it is reported.
struct Where {
  const Where* parent = nullptr;
  std::string_view key;
  size_t index = 0;
  bool item = false;

  Where Member(std::string_view name) const { return Where{this, name, 0, false}; }
  Where Item(size_t at) const { return Where{this, {}, at, true}; }

  std::string Pointer() const {
    if (!parent) return "/";
    std::string tail;
    for (const Where* step = this; step->parent; step = step->parent) {
      std::string part = step->item ? std::to_string(step->index) : std::string(step->key);
      // JSON pointer escapes.
      std::string escaped;
      for (char c : part) escaped += c == '~' ? "~0" : c == '/' ? "~1" : std::string(1, c);
      tail = "/" + escaped + tail;
    }
    return tail;
  }
};

class Reader;

// The members of one JSON object, each taken at most once; Done() refuses
// the ones nobody asked for.
class Members {
 public:
  Members(Reader& reader, const json& value, const Where& where);
  const json* Find(std::string_view key);
  void Done();
  const Where& Place() const { return where; }

 private:
  Reader& reader;
  const json& object;
  const Where& where;
  std::vector<std::string_view> taken;
};

class Reader {
 public:
  Reader(Document& document, const std::string& file) : document(document), file(file) {}

  [[noreturn]] void Fail(const Where& where, const std::string& problem) const {
    throw DocumentFileError(file, where.Pointer(), problem);
  }

  void ReadDocument(const json& root) {
    const Where top;
    Members members(*this, root, top);
    members.Find("format");
    members.Find("version");
    if (const json* artboard = members.Find("artboard")) document.bounds = Rect(*artboard, top.Member("artboard"));
    if (const json* layers = members.Find("layers")) {
      const Where where = top.Member("layers");
      Expect(*layers, json::value_t::array, where, "an array of layers");
      for (size_t i = 0; i < layers->size(); ++i) ReadLayer((*layers)[i], where.Item(i), nullptr, 1);
    }
    document.currentLayer = nullptr;
    if (const json* current = members.Find("currentLayer"); current && !current->is_null()) {
      const Where where = top.Member("currentLayer");
      const std::vector<Layer*> all = document.AllLayers();
      const int32_t index = Int32(*current, where);
      if (index < 0 || static_cast<size_t>(index) >= all.size())
        Fail(where, "no layer has the number " + std::to_string(index) + " (the document has " +
                        std::to_string(all.size()) + ")");
      document.currentLayer = all[static_cast<size_t>(index)];
    }
    members.Done();
  }

 private:
  friend class Members;

  void Expect(const json& value, json::value_t type, const Where& where, const char* what) const {
    const bool matches = value.type() == type ||
                         (type == json::value_t::number_float && value.is_number());
    if (!matches) Fail(where, std::string("expected ") + what + ", found " + Found(value));
  }

  // Packed segments were an array in the file.
  static const char* Found(const json& value) { return value.is_binary() ? "array" : value.type_name(); }

  void CheckDepth(size_t depth, const Where& where) const {
    if (depth > kMaxDocumentDepth)
      Fail(where, "nested deeper than " + std::to_string(kMaxDocumentDepth) + " levels");
  }

  bool Bool(const json& value, const Where& where) const {
    Expect(value, json::value_t::boolean, where, "true or false");
    return value.get<bool>();
  }

  double Double(const json& value, const Where& where) const {
    if (value.is_number()) return value.get<double>();
    if (value.is_string()) {
      const auto& text = value.get_ref<const std::string&>();
      if (text == "NaN") return std::numeric_limits<double>::quiet_NaN();
      if (text == "Infinity") return std::numeric_limits<double>::infinity();
      if (text == "-Infinity") return -std::numeric_limits<double>::infinity();
    }
    Fail(where, std::string("expected a number, found ") + Found(value));
  }

  AIReal Float(const json& value, const Where& where) const {
    const double number = Double(value, where);
    if (std::isfinite(number) && OutOfFloatRange(number)) Fail(where, "number out of range");
    return static_cast<AIReal>(number);
  }

  int32_t Int32(const json& value, const Where& where) const {
    if (value.is_number_integer()) {
      if (value.is_number_unsigned()) {
        const uint64_t number = value.get<uint64_t>();
        if (number <= static_cast<uint64_t>(INT32_MAX)) return static_cast<int32_t>(number);
      } else {
        const int64_t number = value.get<int64_t>();
        if (number >= INT32_MIN && number <= INT32_MAX) return static_cast<int32_t>(number);
      }
      Fail(where, "integer out of range");
    }
    Fail(where, std::string("expected an integer, found ") + Found(value));
  }

  const std::string& String(const json& value, const Where& where) const {
    Expect(value, json::value_t::string, where, "a string");
    return value.get_ref<const std::string&>();
  }

  // UTF-8 text, or an array of UTF-16 code units for text that has none.
  std::u16string Text(const json& value, const Where& where) const {
    if (value.is_string()) return Utf8ToUtf16(value.get_ref<const std::string&>());
    Expect(value, json::value_t::array, where, "a string");
    std::u16string units;
    units.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
      const int32_t unit = Int32(value[i], where.Item(i));
      if (unit < 0 || unit > 0xFFFF) Fail(where.Item(i), "not a UTF-16 code unit");
      units.push_back(static_cast<char16_t>(unit));
    }
    return units;
  }

  // 8-bit text: a UTF-8 string, {"cp932": text} or {"hex": digits}.
  std::string Bytes(const json& value, const Where& where) {
    if (value.is_string()) return value.get_ref<const std::string&>();
    Members members(*this, value, where);
    std::string bytes;
    if (const json* text = members.Find("cp932")) {
      const std::u16string units = Utf8ToUtf16(String(*text, where.Member("cp932")));
      bytes = EncodeText(units, kAIShiftJISCharacterEncoding);
    } else if (const json* hex = members.Find("hex")) {
      const std::string& digits = String(*hex, where.Member("hex"));
      if (digits.size() % 2) Fail(where.Member("hex"), "an odd number of hex digits");
      for (size_t i = 0; i < digits.size(); i += 2) {
        const auto nibble = [&](char c) -> int {
          if (c >= '0' && c <= '9') return c - '0';
          if (c >= 'a' && c <= 'f') return c - 'a' + 10;
          if (c >= 'A' && c <= 'F') return c - 'A' + 10;
          Fail(where.Member("hex"), "not a hex digit");
        };
        bytes.push_back(static_cast<char>(nibble(digits[i]) * 16 + nibble(digits[i + 1])));
      }
    } else {
      Fail(where, "expected a string, {\"cp932\": text} or {\"hex\": digits}");
    }
    members.Done();
    return bytes;
  }

  template <size_t N>
  int32_t Name(const json& value, const Where& where, const std::array<std::string_view, N>& names) const {
    if (value.is_number_integer()) return Int32(value, where);
    const std::string& name = String(value, where);
    for (size_t i = 0; i < N; ++i)
      if (names[i] == name) return static_cast<int32_t>(i);
    std::string known;
    for (std::string_view each : names) known += (known.empty() ? "" : ", ") + std::string(each);
    Fail(where, "unknown value \"" + name + "\" (expected " + known + ")");
  }

  void Numbers(const json& value, const Where& where, std::initializer_list<AIReal*> targets) const {
    Expect(value, json::value_t::array, where, "an array of numbers");
    if (value.size() != targets.size())
      Fail(where, "expected " + std::to_string(targets.size()) + " numbers, found " + std::to_string(value.size()));
    size_t i = 0;
    for (AIReal* target : targets) {
      *target = Float(value[i], where.Item(i));
      ++i;
    }
  }

  AIRealRect Rect(const json& value, const Where& where) const {
    AIRealRect rect;
    Numbers(value, where, {&rect.left, &rect.top, &rect.right, &rect.bottom});
    return rect;
  }

  AIRealPoint Point(const json& value, const Where& where) const {
    AIRealPoint point;
    Numbers(value, where, {&point.h, &point.v});
    return point;
  }

  AIColor Color(const json& value, const Where& where) {
    AIColor color;
    if (value.is_string() && value.get_ref<const std::string&>() == "none") return color;
    if (value.is_string()) Fail(where, "expected \"none\" or a colour object");
    Members members(*this, value, where);
    if (const json* gray = members.Find("gray")) {
      color.kind = kGrayColor;
      color.c.g.gray = Float(*gray, where.Member("gray"));
    } else if (const json* cmyk = members.Find("cmyk")) {
      color.kind = kFourColor;
      auto& f = color.c.f;
      Numbers(*cmyk, where.Member("cmyk"), {&f.cyan, &f.magenta, &f.yellow, &f.black});
    } else if (const json* rgb = members.Find("rgb")) {
      color.kind = kThreeColor;
      auto& c = color.c.rgb;
      Numbers(*rgb, where.Member("rgb"), {&c.red, &c.green, &c.blue});
    } else if (const json* kind = members.Find("kind")) {
      color.kind = Int32(*kind, where.Member("kind"));
      auto& f = color.c.f;
      const json* values = members.Find("values");
      if (!values) Fail(where, "a colour of another kind needs its \"values\"");
      Numbers(*values, where.Member("values"), {&f.cyan, &f.magenta, &f.yellow, &f.black});
    } else {
      Fail(where, "expected a colour: \"none\", {\"gray\": g}, {\"cmyk\": [c, m, y, k]} or {\"rgb\": [r, g, b]}");
    }
    members.Done();
    return color;
  }

  AIPathStyle Style(const json& value, const Where& where) {
    AIPathStyle style;
    Members m(*this, value, where);
    auto flag = [&](const char* key, AIBoolean& target) {
      if (const json* item = m.Find(key)) target = Bool(*item, where.Member(key));
    };
    auto real = [&](const char* key, AIReal& target) {
      if (const json* item = m.Find(key)) target = Float(*item, where.Member(key));
    };
    auto color = [&](const char* key, AIColor& target) {
      if (const json* item = m.Find(key)) target = Color(*item, where.Member(key));
    };
    flag("fill", style.fillPaint);
    color("fillColor", style.fill.color);
    flag("fillOverprint", style.fill.overprint);
    flag("stroke", style.strokePaint);
    color("strokeColor", style.stroke.color);
    flag("strokeOverprint", style.stroke.overprint);
    real("strokeWidth", style.stroke.width);
    if (const json* dash = m.Find("dash")) {
      const Where at = where.Member("dash");
      Expect(*dash, json::value_t::array, at, "an array of dash lengths");
      if (dash->size() > static_cast<size_t>(kMaxDashComponents))
        Fail(at, "at most " + std::to_string(kMaxDashComponents) + " dash lengths");
      style.stroke.dash.length = static_cast<int16_t>(dash->size());
      for (size_t i = 0; i < dash->size(); ++i) style.stroke.dash.array[i] = Float((*dash)[i], at.Item(i));
    }
    real("dashOffset", style.stroke.dash.offset);
    if (const json* cap = m.Find("cap")) style.stroke.cap = Name(*cap, where.Member("cap"), kCapNames);
    if (const json* join = m.Find("join")) style.stroke.join = Name(*join, where.Member("join"), kJoinNames);
    real("miterLimit", style.stroke.miterLimit);
    flag("evenOdd", style.evenOdd);
    m.Done();
    return style;
  }

  // Packed by the parser, or an array of arrays (an upgraded file).
  std::vector<AIPathSegment> Segments(const json& value, const Where& where) const {
    if (value.is_binary()) return UnpackSegments(value.get_binary());
    Expect(value, json::value_t::array, where, "an array of segments");
    if (value.size() > static_cast<size_t>(kMaxPathSegments)) Fail(where, TooManySegmentsProblem());
    std::vector<AIPathSegment> segments(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
      const json& item = value[i];
      const Where at = where.Item(i);
      const size_t n = item.is_array() ? item.size() : 0;
      if (n != 2 && n != 6 && n != 7) Fail(at, ExpectedSegmentProblem());
      AIPathSegment& s = segments[i];
      s.p = {Float(item[0], at.Item(0)), Float(item[1], at.Item(1))};
      if (n == 2) {
        s.in = s.out = s.p;
        continue;
      }
      s.in = {Float(item[2], at.Item(2)), Float(item[3], at.Item(3))};
      s.out = {Float(item[4], at.Item(4)), Float(item[5], at.Item(5))};
      if (n == 7) s.corner = Bool(item[6], at.Item(6));
    }
    return segments;
  }

  Value ReadValue(const json& value, const Where& where, size_t depth) {
    CheckDepth(depth, where);
    if (value.is_null()) return Value{};
    Members m(*this, value, where);
    Value result;
    if (const json* integer = m.Find("integer")) {
      result = Value{Int32(*integer, where.Member("integer"))};
    } else if (const json* boolean = m.Find("boolean")) {
      result = Value{Bool(*boolean, where.Member("boolean"))};
    } else if (const json* real = m.Find("real")) {
      result = Value{Double(*real, where.Member("real"))};
    } else if (const json* text = m.Find("string")) {
      result = Value{Text(*text, where.Member("string"))};
    } else if (const json* array = m.Find("array")) {
      result = Value{ReadArray(*array, where.Member("array"), depth)};
    } else if (const json* dictionary = m.Find("dictionary")) {
      result = Value{ReadDictionary(*dictionary, where.Member("dictionary"), depth)};
    } else {
      Fail(where, "expected a value: null or one of integer, boolean, real, string, array, dictionary");
    }
    m.Done();
    return result;
  }

  ArrayPtr ReadArray(const json& value, const Where& where, size_t depth) {
    if (value.is_null()) return nullptr;
    Expect(value, json::value_t::array, where, "an array of values");
    ArrayPtr array = NewArray();
    array->reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) array->push_back(ReadValue(value[i], where.Item(i), depth + 1));
    array->Compact();
    return array;
  }

  DictPtr ReadDictionary(const json& value, const Where& where, size_t depth) {
    if (value.is_null()) return nullptr;
    Expect(value, json::value_t::object, where, "a dictionary object");
    DictPtr dictionary = NewDictionary();
    dictionary->Reserve(value.size());
    for (const auto& [key, item] : value.items()) dictionary->Add(key, ReadValue(item, where.Member(key), depth + 1));
    return dictionary;
  }

  std::vector<Tag> Tags(const json& value, const Where& where) {
    Expect(value, json::value_t::array, where, "an array of tags");
    std::vector<Tag> tags;
    for (size_t i = 0; i < value.size(); ++i) {
      const Where at = where.Item(i);
      Members m(*this, value[i], at);
      Tag tag;
      const json* name = m.Find("name");
      const json* type = m.Find("type");
      if (!name || !type) Fail(at, "a tag needs its \"name\" and \"type\"");
      tag.name = Bytes(*name, at.Member("name"));
      tag.type = Bytes(*type, at.Member("type"));
      if (const json* text = m.Find("text")) tag.text = Bytes(*text, at.Member("text"));
      if (const json* real = m.Find("real")) tag.real = Double(*real, at.Member("real"));
      if (const json* boolean = m.Find("boolean")) tag.boolean = Bool(*boolean, at.Member("boolean"));
      m.Done();
      tags.push_back(std::move(tag));
    }
    return tags;
  }

  void ReadCommon(Members& m, Art& art) {
    const Where& where = m.Place();
    for (auto [bit, name] : {std::pair{kArtSelected, "selected"}, {kArtLocked, "locked"}, {kArtHidden, "hidden"}}) {
      if (const json* item = m.Find(name); item && Bool(*item, where.Member(name))) art.userAttributes |= bit;
    }
    if (const json* other = m.Find("otherAttributes")) {
      art.userAttributes |= Int32(*other, where.Member("otherAttributes")) & ~(kArtSelected | kArtLocked | kArtHidden);
    }
    if (const json* item = m.Find("skipped")) art.skipped = Bool(*item, where.Member("skipped"));
    if (const json* item = m.Find("guide")) art.guide = Bool(*item, where.Member("guide"));
    if (const json* item = m.Find("clip")) art.clip = Bool(*item, where.Member("clip"));
    if (const json* item = m.Find("opacity")) {
      art.opacity = Float(*item, where.Member("opacity"));
      if (!(art.opacity >= 0 && art.opacity <= 1)) Fail(where.Member("opacity"), "opacity must lie from 0 to 1");
    }
    if (const json* item = m.Find("dictionary")) {
      art.Dict() = ReadDictionary(*item, where.Member("dictionary"), 1);
    }
    if (const json* item = m.Find("tags")) {
      std::vector<Tag> tags = Tags(*item, where.Member("tags"));
      if (!tags.empty()) art.EditExtras().tags = std::move(tags);
    }
  }

  Art* Adopt(Art* container, AIArtType type) {
    Art* art = document.MakeArt(type);
    art->parent = container;
    container->children.push_back(art);
    return art;
  }

  void ReadChildren(const json* list, const Where& where, Art& container, size_t depth, bool pathsOnly) {
    if (!list) return;
    Expect(*list, json::value_t::array, where, "an array of art");
    for (size_t i = 0; i < list->size(); ++i) ReadArt((*list)[i], where.Item(i), container, depth + 1, pathsOnly);
  }

  void ReadLayer(const json& value, const Where& where, Layer* parent, size_t depth) {
    CheckDepth(depth, where);
    Members m(*this, value, where);
    if (parent) m.Find("type");  // "layer", already seen
    Layer* layer = document.AppendLayer(parent);
    if (const json* title = m.Find("title")) layer->title = Text(*title, where.Member("title"));
    if (const json* visible = m.Find("visible")) layer->visible = Bool(*visible, where.Member("visible"));
    if (const json* locked = m.Find("locked")) layer->editable = !Bool(*locked, where.Member("locked"));
    if (const json* color = m.Find("color")) {
      auto& c = layer->color;
      Numbers(*color, where.Member("color"), {&c.red, &c.green, &c.blue});
    }
    if (const json* group = m.Find("group")) {
      Members g(*this, *group, where.Member("group"));
      ReadCommon(g, *layer->group);
      g.Done();
    }
    ReadChildren(m.Find("art"), where.Member("art"), *layer->group, depth, false);
    m.Done();
  }

  void ReadArt(const json& value, const Where& where, Art& container, size_t depth, bool pathsOnly) {
    CheckDepth(depth, where);
    Members m(*this, value, where);
    const json* typeName = m.Find("type");
    if (!typeName) Fail(where, "art needs its \"type\"");
    const std::string& name = String(*typeName, where.Member("type"));
    if (name == "layer" && !pathsOnly && container.ownerLayer) return ReadLayer(value, where, container.ownerLayer, depth);
    if (name == "layer") Fail(where.Member("type"), "a sublayer lies directly inside a layer");
    AIArtType type = ArtTypeOfName(name);
    if (name == "other") {
      const json* number = m.Find("artType");
      if (!number) Fail(where, "art of type \"other\" needs its \"artType\"");
      type = static_cast<AIArtType>(std::clamp<int32_t>(Int32(*number, where.Member("artType")), INT16_MIN, INT16_MAX));
      if (type == kGroupArt || type == kPathArt || type == kCompoundPathArt || type == kTextFrameArt ||
          type == kSymbolArt || type == kAnyArt)
        Fail(where.Member("artType"), "art of a known type is written by its name");
    } else if (type == kUnknownArt) {
      Fail(where.Member("type"), "unknown art type \"" + name + "\"");
    }
    if (pathsOnly && type != kPathArt) Fail(where.Member("type"), "a compound path holds only paths");
    Art* art = Adopt(&container, type);
    ReadCommon(m, *art);
    switch (type) {
      case kPathArt:
        if (const json* closed = m.Find("closed")) art->closed = Bool(*closed, where.Member("closed"));
        if (const json* style = m.Find("style")) document.SetStyle(art, Style(*style, where.Member("style")));
        if (const json* segments = m.Find("segments")) art->Segments() = Segments(*segments, where.Member("segments"));
        break;
      case kCompoundPathArt:
        if (const json* style = m.Find("style")) document.SetStyle(art, Style(*style, where.Member("style")));
        ReadChildren(m.Find("members"), where.Member("members"), *art, depth, true);
        break;
      case kTextFrameArt:
        ReadTextFrame(m, art->EditExtras().text);
        break;
      case kSymbolArt:
        if (const json* symbol = m.Find("name")) art->EditExtras().symbolName = Bytes(*symbol, where.Member("name"));
        if (const json* bounds = m.Find("bounds")) art->EditExtras().symbolBounds = Rect(*bounds, where.Member("bounds"));
        break;
      default:
        ReadChildren(m.Find("art"), where.Member("art"), *art, depth, false);
    }
    m.Done();
  }

  void ReadTextFrame(Members& m, TextData& text) {
    const Where& where = m.Place();
    if (const json* anchor = m.Find("anchor")) text.anchor = Point(*anchor, where.Member("anchor"));
    if (const json* item = m.Find("orientation"))
      text.orientation = Name(*item, where.Member("orientation"), kOrientationNames);
    if (const json* item = m.Find("frameType"))
      text.frameType = Name(*item, where.Member("frameType"), kFrameTypeNames);
    if (const json* item = m.Find("contents")) text.contents = Text(*item, where.Member("contents"));
    if (const json* item = m.Find("fontSize")) {
      text.fontSize = Float(*item, where.Member("fontSize"));
      if (!(text.fontSize > 0)) Fail(where.Member("fontSize"), "a font size must be positive");
    }
    if (const json* item = m.Find("fill")) {
      text.fillAssigned = true;
      text.fill = Color(*item, where.Member("fill"));
    }
    if (const json* item = m.Find("justification")) {
      text.justificationAssigned = true;
      text.justification = Name(*item, where.Member("justification"), kJustificationNames);
    }
  }

  Document& document;
  const std::string& file;
};

Members::Members(Reader& reader, const json& value, const Where& where)
    : reader(reader), object(value), where(where) {
  reader.Expect(value, json::value_t::object, where, "an object");
}

const json* Members::Find(std::string_view key) {
  const auto found = object.find(key);
  if (found == object.end()) return nullptr;
  if (std::find(taken.begin(), taken.end(), key) == taken.end()) taken.push_back(key);
  return &*found;
}

void Members::Done() {
  if (taken.size() == object.size()) return;
  for (const auto& [key, item] : object.items()) {
    if (std::find(taken.begin(), taken.end(), key) == taken.end())
      reader.Fail(where.Member(key), "unknown member \"" + key + "\"");
  }
}

}  // namespace

void ReadDocumentJson(Document& document, const json& root, const std::string& file) {
  Reader(document, file).ReadDocument(root);
}

}  // namespace sim
