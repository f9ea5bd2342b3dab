// Writes the document model as JSON, streaming: a million-segment document
// costs no more memory than the output buffer.
#include "sim/DocumentWriter.h"

#include <algorithm>
#include <cstdio>

#include "sim/DocumentFile.h"
#include "sim/DocumentFormat.h"
#include "sim/TextCodec.h"

namespace sim {

std::string_view ArtTypeName(AIArtType type) {
  switch (type) {
    case kGroupArt: return "group";
    case kPathArt: return "path";
    case kCompoundPathArt: return "compound";
    case kTextFrameArt: return "text";
    case kSymbolArt: return "symbol";
    default: return "other";
  }
}

AIArtType ArtTypeOfName(std::string_view name) {
  for (AIArtType type : {kGroupArt, kPathArt, kCompoundPathArt, kTextFrameArt, kSymbolArt})
    if (ArtTypeName(type) == name) return type;
  return kUnknownArt;
}

namespace {

bool IsValidUtf16(std::u16string_view units) {
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t unit = units[i];
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (i + 1 >= units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF) return false;
      ++i;
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
      return false;
    }
  }
  return true;
}

template <size_t N>
void WriteName(JsonWriter& out, const std::array<std::string_view, N>& names, int32_t value) {
  if (value >= 0 && static_cast<size_t>(value) < N) return out.String(names[static_cast<size_t>(value)]);
  out.Integer(value);
}

class Writer {
 public:
  Writer(JsonWriter& out, const std::string& file, bool shallow = false) : out(out), file(file), shallow(shallow) {}

  void WriteDocument(const Document& document) {
    out.BeginObject();
    out.Member("format", kDocumentFormatName);
    out.Member("version", kJsonDocumentFormatVersion);
    out.Key("artboard");
    WriteRect(document.bounds);
    out.Key("currentLayer");
    const std::vector<Layer*> all = document.AllLayers();
    const auto current = std::find(all.begin(), all.end(), document.currentLayer);
    if (current == all.end()) {
      out.Null();
    } else {
      out.Integer(current - all.begin());
    }
    out.Key("layers");
    out.BeginArray();
    for (const Layer* layer : document.layers) {
      out.BeginObject();
      WriteLayerMembers(*layer, 1);
      out.EndObject();
    }
    out.EndArray();
    out.EndObject();
  }

  // A layer's group is written as its layer.
  void WriteHead(const Art& art) { WriteArt(art, 1); }

 private:
  void TooDeep() const {
    throw DocumentFileError(file, {}, "art or dictionary values nested deeper than " +
                                          std::to_string(kMaxDocumentDepth) + " levels");
  }

  void WriteText(std::u16string_view units) {
    if (IsValidUtf16(units)) return out.String(Utf16ToUtf8(units));
    // Unpaired surrogates have no UTF-8 form: keep the code units.
    out.BeginArray(true);
    for (char16_t unit : units) out.Integer(unit);
    out.EndArray();
  }

  // Bytes of unknown encoding: UTF-8 as it is, Shift-JIS as its text, anything else in hex.
  void WriteBytes(const std::string& bytes) {
    if (IsValidUtf8(bytes)) return out.String(bytes);
    const std::u16string units = DecodeText(bytes, kAIShiftJISCharacterEncoding);
    if (EncodeText(units, kAIShiftJISCharacterEncoding) == bytes && IsValidUtf16(units)) {
      out.BeginObject(true);
      out.Member("cp932", Utf16ToUtf8(units));
      return out.EndObject();
    }
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
      hex.push_back(kHex[c >> 4]);
      hex.push_back(kHex[c & 15]);
    }
    out.BeginObject(true);
    out.Member("hex", hex);
    out.EndObject();
  }

  void WritePoint(AIRealPoint point) {
    out.BeginArray(true);
    out.Number(point.h);
    out.Number(point.v);
    out.EndArray();
  }

  void WriteRect(const AIRealRect& rect) {
    out.BeginArray(true);
    for (AIReal value : {rect.left, rect.top, rect.right, rect.bottom}) out.Number(value);
    out.EndArray();
  }

  void WriteColor(const AIColor& color) {
    const auto numbers = [this](std::initializer_list<AIReal> values) {
      out.BeginArray(true);
      for (AIReal value : values) out.Number(value);
      out.EndArray();
    };
    switch (color.kind) {
      case kNoneColor:
        return out.String("none");
      case kGrayColor:
        out.BeginObject(true);
        out.Member("gray", color.c.g.gray);
        return out.EndObject();
      case kFourColor:
        out.BeginObject(true);
        out.Key("cmyk");
        numbers({color.c.f.cyan, color.c.f.magenta, color.c.f.yellow, color.c.f.black});
        return out.EndObject();
      case kThreeColor:
        out.BeginObject(true);
        out.Key("rgb");
        numbers({color.c.rgb.red, color.c.rgb.green, color.c.rgb.blue});
        return out.EndObject();
      default:
        out.BeginObject(true);
        out.Member("kind", color.kind);
        out.Key("values");
        numbers({color.c.f.cyan, color.c.f.magenta, color.c.f.yellow, color.c.f.black});
        return out.EndObject();
    }
  }

  void WriteStyle(const AIPathStyle& style) {
    out.BeginObject();
    out.Key("fill");
    out.Bool(style.fillPaint);
    out.Key("fillColor");
    WriteColor(style.fill.color);
    out.Key("fillOverprint");
    out.Bool(style.fill.overprint);
    out.Key("stroke");
    out.Bool(style.strokePaint);
    out.Key("strokeColor");
    WriteColor(style.stroke.color);
    out.Key("strokeOverprint");
    out.Bool(style.stroke.overprint);
    out.Member("strokeWidth", style.stroke.width);
    out.Key("dash");
    out.BeginArray(true);
    const int count = std::clamp<int>(style.stroke.dash.length, 0, kMaxDashComponents);
    for (int i = 0; i < count; ++i) out.Number(style.stroke.dash.array[i]);
    out.EndArray();
    out.Member("dashOffset", style.stroke.dash.offset);
    out.Key("cap");
    WriteName(out, kCapNames, style.stroke.cap);
    out.Key("join");
    WriteName(out, kJoinNames, style.stroke.join);
    out.Member("miterLimit", style.stroke.miterLimit);
    out.Key("evenOdd");
    out.Bool(style.evenOdd);
    out.EndObject();
  }

  void WriteSegments(const PathSegments& segments) {
    out.BeginArray(true);
    for (const AIPathSegment s : segments) {
      out.BeginArray(true);
      out.Number(s.p.h);
      out.Number(s.p.v);
      const bool straight = s.in.h == s.p.h && s.in.v == s.p.v && s.out.h == s.p.h && s.out.v == s.p.v;
      if (!straight || !s.corner) {
        for (AIReal value : {s.in.h, s.in.v, s.out.h, s.out.v}) out.Number(value);
        if (!s.corner) out.Bool(false);
      }
      out.EndArray();
    }
    out.EndArray();
  }

  void WriteValue(const Value& value, size_t depth) {
    if (depth > kMaxDocumentDepth) TooDeep();
    if (value.IsNone()) return out.Null();
    out.BeginObject(!value.IsArray() && !value.IsDictionary());
    if (value.IsInt()) {
      out.Member("integer", value.Int());
    } else if (value.IsBool()) {
      out.Key("boolean");
      out.Bool(value.Bool());
    } else if (value.IsReal()) {
      out.Member("real", value.Real());
    } else if (value.IsString()) {
      out.Key("string");
      WriteText(value.String());
    } else if (value.IsArray()) {
      out.Key("array");
      WriteArray(value.AsArray(), depth);
    } else if (value.IsDictionary()) {
      out.Key("dictionary");
      WriteDictionary(value.AsDictionary(), depth);
    }
    out.EndObject();
  }

  void WriteArray(const Array* array, size_t depth) {
    if (!array) return out.Null();
    out.BeginArray();
    if (array->IsCompact()) {
      WriteRows(*array, depth + 1);
    } else {
      for (const Value& item : *array) WriteValue(item, depth + 1);
    }
    out.EndArray();
  }

  // The rows of a compact array written as the array values they stand for.
  void WriteRows(const Array& array, size_t depth) {
    if (depth + 1 > kMaxDocumentDepth) TooDeep();
    for (size_t i = 0; i < array.size(); ++i) {
      const RowEntries row = *array.Entries(i);
      out.BeginObject(false);
      out.Key("array");
      out.BeginArray();
      for (size_t j = 0; j < row.size(); ++j) WriteValue(row[j], depth + 1);
      out.EndArray();
      out.EndObject();
    }
  }

  void WriteDictionary(const Dictionary* dictionary, size_t depth) {
    if (!dictionary) return out.Null();
    out.BeginObject();
    for (const auto& [key, value] : *dictionary) {
      if (!IsValidUtf8(key.View())) throw DocumentFileError(file, {}, "a dictionary key is not UTF-8 text");
      out.Key(key);
      WriteValue(value, depth + 1);
    }
    out.EndObject();
  }

  void WriteTags(const std::vector<Tag>& tags) {
    out.BeginArray();
    for (const Tag& tag : tags) {
      out.BeginObject(true);
      out.Key("name");
      WriteBytes(tag.name);
      out.Key("type");
      WriteBytes(tag.type);
      if (!tag.text.empty()) {
        out.Key("text");
        WriteBytes(tag.text);
      }
      if (tag.real != 0) out.Member("real", tag.real);
      if (tag.boolean) {
        out.Key("boolean");
        out.Bool(true);
      }
      out.EndObject();
    }
    out.EndArray();
  }

  // Members every art object may carry, written only when they differ from
  // a new object's.
  void WriteCommon(const Art& art) {
    for (auto [bit, name] : {std::pair{kArtSelected, "selected"}, {kArtLocked, "locked"}, {kArtHidden, "hidden"}}) {
      if (art.userAttributes & bit) {
        out.Key(name);
        out.Bool(true);
      }
    }
    if (const int32_t other = art.userAttributes & ~(kArtSelected | kArtLocked | kArtHidden)) {
      out.Member("otherAttributes", other);
    }
    for (auto [flag, name] : {std::pair{art.skipped, "skipped"}, {art.guide, "guide"}, {art.clip, "clip"}}) {
      if (flag) {
        out.Key(name);
        out.Bool(true);
      }
    }
    if (art.opacity != 1) out.Member("opacity", art.opacity);
    if (art.Dict()) {
      out.Key("dictionary");
      WriteDictionary(art.Dict().get(), 1);
    }
    if (!art.Extras().tags.empty()) {
      out.Key("tags");
      WriteTags(art.Extras().tags);
    }
  }

  void WriteChildren(const char* name, const Art& art, size_t depth) {
    if (shallow) return;
    out.Key(name);
    out.BeginArray();
    for (const Art* child : art.children) {
      if (!child->disposed) WriteArt(*child, depth + 1);
    }
    out.EndArray();
  }

  void WriteLayerMembers(const Layer& layer, size_t depth) {
    if (depth > kMaxDocumentDepth) TooDeep();
    out.Key("title");
    WriteText(layer.title);
    out.Key("visible");
    out.Bool(layer.visible);
    out.Key("locked");
    out.Bool(!layer.editable);
    out.Key("color");
    out.BeginArray(true);
    for (AIReal value : {layer.color.red, layer.color.green, layer.color.blue}) out.Number(value);
    out.EndArray();
    out.Key("group");
    out.BeginObject();
    WriteCommon(*layer.group);
    out.EndObject();
    WriteChildren("art", *layer.group, depth);
  }

  void WriteArt(const Art& art, size_t depth) {
    if (depth > kMaxDocumentDepth) TooDeep();
    out.BeginObject();
    if (art.ownerLayer) {
      out.Member("type", "layer");
      WriteLayerMembers(*art.ownerLayer, depth);
      return out.EndObject();
    }
    out.Member("type", ArtTypeName(art.type));
    if (ArtTypeName(art.type) == "other") out.Member("artType", art.type);
    WriteCommon(art);
    switch (art.type) {
      case kPathArt:
        out.Key("closed");
        out.Bool(art.closed);
        out.Key("style");
        WriteStyle(art.Style());
        if (shallow) break;
        out.Key("segments");
        WriteSegments(art.Segments());
        break;
      case kCompoundPathArt:
        out.Key("style");
        WriteStyle(art.Style());
        WriteChildren("members", art, depth);
        break;
      case kTextFrameArt:
        WriteTextFrame(art.Extras().text);
        break;
      case kSymbolArt:
        out.Key("name");
        WriteBytes(art.Extras().symbolName);
        out.Key("bounds");
        WriteRect(art.Extras().symbolBounds);
        break;
      default:
        WriteChildren("art", art, depth);
    }
    out.EndObject();
  }

  void WriteTextFrame(const TextData& text) {
    out.Key("anchor");
    WritePoint(text.anchor);
    out.Key("orientation");
    WriteName(out, kOrientationNames, text.orientation);
    out.Key("frameType");
    WriteName(out, kFrameTypeNames, text.frameType);
    out.Key("contents");
    WriteText(text.contents);
    out.Member("fontSize", text.fontSize);
    if (text.fillAssigned) {
      out.Key("fill");
      WriteColor(text.fill);
    }
    if (text.justificationAssigned) {
      out.Key("justification");
      WriteName(out, kJustificationNames, text.justification);
    }
  }

  JsonWriter& out;
  const std::string& file;
  const bool shallow;  // one object without its contents, segments or sublayers
};

}  // namespace

void WriteArtHeadJson(JsonWriter& out, const Art& art, const std::string& file) {
  Writer writer(out, file, true);
  writer.WriteHead(art);
  out.Flush();
}

void WriteDocumentJson(JsonWriter& out, const Document& document, const std::string& file) {
  Writer(out, file).WriteDocument(document);
  out.Flush();
}

}  // namespace sim
