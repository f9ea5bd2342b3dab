#include "sim/SvgDocumentWriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>

#include "sim/DocumentFile.h"
#include "sim/DocumentFormat.h"
#include "sim/DocumentWriter.h"
#include "sim/TextCodec.h"

namespace sim {

namespace {

double Unit(AIReal value) { return std::isfinite(value) ? std::clamp(static_cast<double>(value), 0.0, 1.0) : 0.0; }

bool ScreenRgb(const AIColor& color, double& red, double& green, double& blue) {
  switch (color.kind) {
    case kGrayColor:
      red = green = blue = 1 - Unit(color.c.g.gray);
      return true;
    case kFourColor: {
      const double white = 1 - Unit(color.c.f.black);
      red = (1 - Unit(color.c.f.cyan)) * white;
      green = (1 - Unit(color.c.f.magenta)) * white;
      blue = (1 - Unit(color.c.f.yellow)) * white;
      return true;
    }
    case kThreeColor:
      red = Unit(color.c.rgb.red);
      green = Unit(color.c.rgb.green);
      blue = Unit(color.c.rgb.blue);
      return true;
    default:
      return false;
  }
}

// Characters XML 1.0 allows.
bool XmlChar(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Buffered output with XML escapes.
class Output {
 public:
  Output(JsonWriter::Sink sink, void* context) : sink(sink), context(context) {}
  ~Output() = default;

  Output& operator<<(std::string_view text) {
    buffer.append(text);
    if (buffer.size() >= (1 << 16)) Flush();
    return *this;
  }
  // An attribute: name="escaped value".
  void Attribute(std::string_view name, std::string_view value) {
    buffer += ' ';
    buffer.append(name);
    buffer += "=\"";
    Escaped(value, true);
    buffer += '"';
  }
  void Escaped(std::string_view text, bool attribute) {
    for (char c : text) {
      switch (c) {
        case '&': buffer += "&amp;"; break;
        case '<': buffer += "&lt;"; break;
        case '>': buffer += "&gt;"; break;
        case '"':
          buffer += attribute ? "&quot;" : "\"";
          break;
        case '\n':
          buffer += attribute ? "&#10;" : "\n";
          break;
        case '\r': buffer += "&#13;"; break;
        case '\t':
          buffer += attribute ? "&#9;" : "\t";
          break;
        default: buffer += c;
      }
    }
  }
  void Flush() {
    if (!buffer.empty()) sink(context, buffer.data(), buffer.size());
    buffer.clear();
  }

 private:
  JsonWriter::Sink sink;
  void* context;
  std::string buffer;
};

class Writer {
 public:
  Writer(const Document& document, const std::string& file, Output& out)
      : document(document), file(file), out(out) {}

  void WriteDocument() {
    const AIRealRect& b = document.bounds;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n<svg";
    out.Attribute("xmlns", "http://www.w3.org/2000/svg");
    out.Attribute("xmlns:inkscape", kSvgInkscapeNamespace);
    out.Attribute("xmlns:sodipodi", kSvgSodipodiNamespace);
    out.Attribute("xmlns:kz", kSvgProjectNamespace);
    out.Attribute("version", "1.1");
    // The page in points, the user unit one point, y running down: a
    // document point (h, v) is the user point (h, −v), which no rounding
    // touches.
    out.Attribute("width", SvgNumber(b.right - b.left) + "pt");
    out.Attribute("height", SvgNumber(b.top - b.bottom) + "pt");
    out.Attribute("viewBox", SvgNumber(b.left) + " " + SvgNumber(-b.top) + " " + SvgNumber(b.right - b.left) + " " +
                                 SvgNumber(b.top - b.bottom));
    out.Attribute("kz:artboard", SvgNumber(b.left) + " " + SvgNumber(b.top) + " " + SvgNumber(b.right) + " " +
                                     SvgNumber(b.bottom));
    out << ">\n<sodipodi:namedview";
    out.Attribute("id", "namedview");
    out.Attribute("inkscape:document-units", "pt");
    if (document.currentLayer && document.Owns(document.currentLayer))
      out.Attribute("inkscape:current-layer", LayerId(*document.currentLayer));
    out << "/>\n";
    // SVG paints in order: the bottom layer first.
    for (auto layer = document.layers.rbegin(); layer != document.layers.rend(); ++layer) {
      if (!(*layer)->deleted) WriteLayer(**layer, 1);
    }
    out << "</svg>\n";
    out.Flush();
  }

 private:
  std::string Head(const Art& art) {
    std::string text;
    JsonWriter json(text);
    WriteArtHeadJson(json, art, file);
    // One line: the writer's line breaks and indents lie only between tokens.
    std::string compact;
    compact.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] != '\n') {
        compact += text[i];
        continue;
      }
      while (i + 1 < text.size() && text[i + 1] == ' ') ++i;
    }
    return compact;
  }

  std::string LayerId(const Layer& layer) {
    const auto [at, added] = layerIds.try_emplace(&layer, layerIds.size() + 1);
    return "layer" + std::to_string(at->second);
  }

  void Indent(size_t depth) { out << std::string(depth, ' '); }

  void WriteLayer(const Layer& layer, size_t depth) {
    if (depth > kMaxDocumentDepth) TooDeep();
    Indent(depth);
    out << "<g";
    out.Attribute("id", LayerId(layer));
    out.Attribute("inkscape:groupmode", "layer");
    out.Attribute("inkscape:label", Utf16ToUtf8(layer.title));
    if (!layer.visible) out.Attribute("style", "display:none");
    if (!layer.editable) out.Attribute("sodipodi:insensitive", "true");
    if (&layer == document.currentLayer) out.Attribute("kz:current", "true");
    out.Attribute("kz:layer", Head(*layer.group));
    out << ">\n";
    WriteContents(*layer.group, depth);
    Indent(depth);
    out << "</g>\n";
  }

  void WriteContents(const Art& container, size_t depth) {
    for (auto child = container.children.rbegin(); child != container.children.rend(); ++child) {
      const Art& art = **child;
      if (art.disposed) continue;
      if (art.ownerLayer) {
        if (!art.ownerLayer->deleted) WriteLayer(*art.ownerLayer, depth + 1);
        continue;
      }
      WriteArt(art, depth + 1);
    }
  }

  void TooDeep() const {
    throw DocumentFileError(file, {}, "art nested deeper than " + std::to_string(kMaxDocumentDepth) + " levels");
  }

  void Common(const Art& art) {
    out.Attribute("id", "kz" + std::to_string(++artCount));
    if (art.userAttributes & kArtLocked) out.Attribute("sodipodi:insensitive", "true");
    out.Attribute("kz:art", Head(art));
  }

  void WriteArt(const Art& art, size_t depth) {
    if (depth > kMaxDocumentDepth) TooDeep();
    Indent(depth);
    switch (art.type) {
      case kPathArt:
      case kCompoundPathArt:
        return WritePath(art);
      case kTextFrameArt:
        return WriteText(art);
      case kSymbolArt:
        return WriteSymbol(art);
      default:
        break;
    }
    out << "<g";
    Common(art);
    const std::string style = VisibilityStyle(art);
    if (!style.empty()) out.Attribute("style", style);
    out << ">\n";
    WriteContents(art, depth);
    Indent(depth);
    out << "</g>\n";
  }

  static std::string VisibilityStyle(const Art& art) {
    std::string style;
    if (art.opacity != 1) style += "opacity:" + SvgNumber(art.opacity) + ";";
    if (art.userAttributes & kArtHidden) style += "display:none;";
    if (!style.empty()) style.pop_back();
    return style;
  }

  static std::string Paint(bool painted, const AIColor& color) {
    const std::string text = painted ? SvgColorText(color) : std::string();
    return text.empty() ? "none" : text;
  }

  static std::string PathStyle(const Art& art, const AIPathStyle& style) {
    static constexpr const char* kCaps[] = {"butt", "round", "square"};
    static constexpr const char* kJoins[] = {"miter", "round", "bevel"};
    const AIStrokeStyle& stroke = style.stroke;
    std::string text = "fill:" + Paint(style.fillPaint, style.fill.color);
    text += ";fill-rule:";
    text += style.evenOdd ? "evenodd" : "nonzero";
    text += ";stroke:" + Paint(style.strokePaint, stroke.color);
    text += ";stroke-width:" + SvgNumber(stroke.width);
    if (stroke.cap >= 0 && stroke.cap < 3) text += std::string(";stroke-linecap:") + kCaps[stroke.cap];
    if (stroke.join >= 0 && stroke.join < 3) text += std::string(";stroke-linejoin:") + kJoins[stroke.join];
    text += ";stroke-miterlimit:" + SvgNumber(stroke.miterLimit);
    const int dashes = std::clamp<int>(stroke.dash.length, 0, kMaxDashComponents);
    text += ";stroke-dasharray:";
    if (dashes == 0) text += "none";
    for (int i = 0; i < dashes; ++i) text += (i ? "," : "") + SvgNumber(stroke.dash.array[i]);
    text += ";stroke-dashoffset:" + SvgNumber(stroke.dash.offset);
    const std::string visibility = VisibilityStyle(art);
    if (!visibility.empty()) text += ";" + visibility;
    return text;
  }

  static void Point(std::string& d, AIRealPoint p) {
    d += SvgNumber(p.h);
    d += ' ';
    d += SvgNumber(-p.v);
  }

  static bool Same(AIRealPoint a, AIRealPoint b) { return a.h == b.h && a.v == b.v; }

  // One piece from a to b: a line when both handles sit on their points.
  static void Piece(std::string& d, const AIPathSegment& a, const AIPathSegment& b) {
    if (Same(a.out, a.p) && Same(b.in, b.p)) {
      d += " L ";
      Point(d, b.p);
      return;
    }
    d += " C ";
    Point(d, a.out);
    d += ' ';
    Point(d, b.in);
    d += ' ';
    Point(d, b.p);
  }

  // A closed path's closing piece is written whenever it would otherwise
  // be read as a segment of its own: when it is curved, or when the last
  // point lies on the first.
  static void Subpath(std::string& d, std::string& types, const Art& path) {
    const PathSegments& s = path.Segments();
    if (s.empty()) return;
    if (!d.empty()) d += ' ';
    d += "M ";
    Point(d, s[0].p);
    for (size_t i = 1; i < s.size(); ++i) Piece(d, s[i - 1], s[i]);
    for (const AIPathSegment& segment : s) types += segment.corner ? 'c' : 's';
    if (!path.closed) return;
    const AIPathSegment& last = s.back();
    const bool straight = Same(last.out, last.p) && Same(s[0].in, s[0].p);
    if (!straight || (s.size() > 1 && Same(last.p, s[0].p))) Piece(d, last, s[0]);
    d += " Z";
  }

  void WritePath(const Art& art) {
    std::string d, types;
    const AIPathStyle* shown = &art.Style();
    std::vector<const Art*> members;
    if (art.type == kPathArt) {
      Subpath(d, types, art);
    } else {
      for (const Art* member : art.children) {
        if (member->disposed || member->type != kPathArt) continue;
        if (members.empty()) shown = &member->Style();  // the host shows the topmost path's style
        members.push_back(member);
        Subpath(d, types, *member);
      }
    }
    out << "<path";
    Common(art);
    out.Attribute("d", d);
    out.Attribute("style", PathStyle(art, *shown));
    out.Attribute("sodipodi:nodetypes", types);
    // SVG draws no handle before an open path's start or after its end.
    if (art.type == kPathArt && !art.closed && !art.Segments().empty()) {
      const AIPathSegment& first = art.Segments().front();
      const AIPathSegment& last = art.Segments().back();
      if (!Same(first.in, first.p) || !Same(last.out, last.p)) {
        std::string handles;
        for (AIRealPoint p : {first.p, first.in, last.p, last.out})
          handles += (handles.empty() ? "" : " ") + SvgNumber(p.h) + " " + SvgNumber(p.v);
        out.Attribute("kz:handles", handles);
      }
    }
    if (art.type == kCompoundPathArt) {
      std::string heads = "[";
      for (const Art* member : members) heads += (heads.size() > 1 ? "," : "") + Head(*member);
      out.Attribute("kz:members", heads + "]");
    }
    out << "/>\n";
  }

  void WriteText(const Art& art) {
    static constexpr const char* kAnchors[] = {"start", "end", "middle"};
    const TextData& text = art.Extras().text;
    out << "<text";
    Common(art);
    out.Attribute("xml:space", "preserve");
    out.Attribute("x", SvgNumber(text.anchor.h));
    out.Attribute("y", SvgNumber(-text.anchor.v));
    std::string style = "font-size:" + SvgNumber(text.fontSize) + "px";
    if (text.fillAssigned) style += ";fill:" + Paint(true, text.fill);
    if (text.justificationAssigned && text.justification >= 0 && text.justification < 3)
      style += std::string(";text-anchor:") + kAnchors[text.justification];
    if (text.orientation == kVerticalTextOrientation) style += ";writing-mode:tb-rl";
    const std::string visibility = VisibilityStyle(art);
    if (!visibility.empty()) style += ";" + visibility;
    out.Attribute("style", style);
    out << ">";
    out.Escaped(SvgTextContent(text.contents), false);
    out << "</text>\n";
  }

  void WriteSymbol(const Art& art) {
    const AIRealRect& b = art.Extras().symbolBounds;
    out << "<rect";
    Common(art);
    out.Attribute("x", SvgNumber(b.left));
    out.Attribute("y", SvgNumber(-b.top));
    out.Attribute("width", SvgNumber(b.right - b.left));
    out.Attribute("height", SvgNumber(b.top - b.bottom));
    std::string style = "fill:none;stroke:#808080;stroke-width:0.5";
    const std::string visibility = VisibilityStyle(art);
    if (!visibility.empty()) style += ";" + visibility;
    out.Attribute("style", style);
    out << "/>\n";
  }

  const Document& document;
  const std::string& file;
  Output& out;
  std::map<const Layer*, size_t> layerIds;
  size_t artCount = 0;
};

}  // namespace

std::string SvgColorText(const AIColor& color) {
  double rgb[3];
  if (!ScreenRgb(color, rgb[0], rgb[1], rgb[2])) return {};
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text = "#";
  for (double component : rgb) {
    const int level = static_cast<int>(std::lround(component * 255));
    text += kHex[level >> 4];
    text += kHex[level & 15];
  }
  return text;
}

std::string SvgNumber(float value) {
  if (!std::isfinite(value)) return "0";  // SVG has no form for it
  char text[40];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string SvgTextContent(std::u16string_view contents) {
  std::string text;
  for (size_t i = 0; i < contents.size(); ++i) {
    char32_t c = contents[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < contents.size() && contents[i + 1] >= 0xDC00 &&
        contents[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (contents[i + 1] - 0xDC00);
      ++i;
    }
    AppendUtf8(text, XmlChar(c) ? c : 0xFFFD);
  }
  return text;
}

void SvgDocumentWriter::Write(JsonWriter::Sink sink, void* context) {
  Output out(sink, context);
  Writer(document, file, out).WriteDocument();
}

namespace {

void AppendToString(void* context, const char* data, size_t size) {
  static_cast<std::string*>(context)->append(data, size);
}

}  // namespace

std::string SvgDocumentWriter::Text() {
  std::string text;
  Write(AppendToString, &text);
  return text;
}

void SvgDocumentWriter::Save(const std::string& path, const std::function<bool()>& cancelled) {
  WriteFileAtomically(path, [this](JsonWriter::Sink sink, void* context) { Write(sink, context); }, cancelled);
}

}  // namespace sim
