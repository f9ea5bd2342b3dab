// kzmap info: what a map document holds — artboard, layers with their art
// and attribute fields, the data frame and the coordinate markers — read
// through the system's own data frame, marker and attribute readers in the
// headless host. --json prints the same as one JSON object for scripts.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "app/Command.h"
#include "app/LeftAtExit.h"
#include "app/MapSummary.h"
#include "app/CoordRefText.h"
#include "app/TerminalText.h"
#include "app/ToolHost.h"
#include "app/Translate.h"
#include "attributes/CKzShapeAttr.h"
#include "attributes/FieldValues.h"
#include "geodesy/CoordRef.h"
#include "georef/CoordMarkers.h"
#include "georef/DataFrame.h"
#include "host/AIPathStyleSuite.h"
#include "host/SuitePointers.h"
#include "sim/DocumentFile.h"
#include "sim/JsonWriter.h"

namespace {

using sim::Art;
using sim::Layer;

struct Options {
  std::string map;
  bool json = false;
  // The text form reads runs of art up to so many bytes and only counts
  // longer ones; settable so that tests can read all or none.
  uint64_t readRunsUpTo = sim::kSummaryReadsRunsUpTo;
};

// Numbers as they read back exactly.
template <typename T>
std::string Shortest(T value) {
  char text[40];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string PointText(float x, float y) { return "[" + Shortest(x) + ", " + Shortest(y) + "]"; }

// The reference as kzmap convert writes it, e.g. "jgd2000:xy9".
std::string RefText(const DataFrameParams& frame) {
  return kzmap::CoordRefText(CoordRef{frame.datum, frame.kind, frame.system, frame.zone});
}

std::optional<DataFrameParams> DataFrame() {
  DataFrameParams params;
  if (!ReadDataFrame(params)) return std::nullopt;
  return params;
}

std::optional<MarkerSet> Markers() {
  MarkerSet set;
  MarkerTexts texts;
  if (!ReadMarkerSet(set, texts)) return std::nullopt;
  return set;
}

// The attribute row of an object, or the field list of a layer's group.
std::vector<ShapeField> Fields(Art& art) {
  CKzShapeAttr row;
  row.Load(sim::Host::Handle(art));
  std::vector<ShapeField> fields;
  for (int32_t i = 0; i < row.Count(); ++i) {
    ShapeField field;
    if (row.Get(i, field)) fields.push_back(field);
  }
  return fields;
}

std::vector<Art*> Contents(const Art& container) {
  std::vector<Art*> result;
  for (Art* child : container.children)
    if (!child->disposed && !child->ownerLayer) result.push_back(child);
  return result;
}

const std::vector<Layer*>& Sublayers(const Layer& layer) { return layer.sublayers; }

// The path style the host reports (a compound path's is its topmost path's).
AIPathStyle StyleOf(Art& art) {
  AIPathStyle style;
  sAIPathStyle->GetPathStyle(sim::Host::Handle(art), &style);
  return style;
}

const char* TypeName(AIArtType type) {
  switch (type) {
    case kPathArt: return "path";
    case kCompoundPathArt: return "compound";
    case kGroupArt: return "group";
    case kTextFrameArt: return "text";
    case kSymbolArt: return "symbol";
    default: return "other";
  }
}

// --- Precision ----------------------------------------------------------------

// The artboard keeps single-precision coordinates: a position is held to half
// the spacing of floats at its size, 2^-24 of it. The largest coordinate of
// the map's art (or of its artboard) in points, times the scale, gives the
// error on the ground.
void Widen(float value, double& largest) { largest = std::max(largest, static_cast<double>(std::fabs(value))); }

void WidenArt(const sim::Document& document, const Art& art, double& largest) {
  for (const AIPathSegment& segment : art.Segments()) {
    Widen(segment.p.h, largest);
    Widen(segment.p.v, largest);
  }
  if (art.type == kTextFrameArt) {
    Widen(art.Extras().text.anchor.h, largest);
    Widen(art.Extras().text.anchor.v, largest);
  }
  for (const Art* child : art.children) {
    document.Trim();
    if (!child->disposed) WidenArt(document, *child, largest);
  }
}

// Metres on the ground that a position may be off by, or nothing without a data frame.
std::optional<double> GroundPrecision(const sim::Document& document, const std::optional<DataFrameParams>& frame) {
  if (!frame || !(frame->scale > 0)) return std::nullopt;
  double largest = 0;
  for (float value : {document.bounds.left, document.bounds.top, document.bounds.right, document.bounds.bottom})
    Widen(value, largest);
  for (const Layer* layer : document.layers) WidenArt(document, *layer->group, largest);
  for (const auto& [layer, unread] : document.unread) Widen(unread.extent, largest);
  constexpr double kMetresPerPoint = 0.0254 / 72;
  return largest * std::ldexp(1.0, -24) * frame->scale * kMetresPerPoint;
}

std::string PrecisionText(double metres) {
  if (metres < 0.001) return kzmap::Tr("positions hold to within a millimetre on the ground");
  return kzmap::Format(kzmap::Tr("positions hold to about %.1f mm on the ground (the artboard keeps single-precision "
                                 "coordinates: about 6·10⁻⁸ of the map's extent)"),
                       metres * 1000);
}

// --- JSON ---------------------------------------------------------------------

class JsonReport {
 public:
  explicit JsonReport(sim::JsonWriter& out) : out(out) {}

  void Write(const sim::Document& document) {
    this->document = &document;
    out.BeginObject();
    out.Key("artboard");
    Numbers({document.bounds.left, document.bounds.top, document.bounds.right, document.bounds.bottom});
    out.Key("layers");
    out.BeginArray();
    for (Layer* layer : document.layers) WriteLayer(*layer);
    out.EndArray();
    out.Key("dataFrame");
    WriteDataFrame(DataFrame());
    out.Key("markers");
    WriteMarkers(Markers());
    out.Key("precision");
    if (const auto metres = GroundPrecision(document, DataFrame())) {
      out.Number(*metres);
    } else {
      out.Null();
    }
    out.EndObject();
    out.Flush();
  }

 private:
  void Numbers(std::initializer_list<float> values) {
    out.BeginArray(true);
    for (float value : values) out.Number(value);
    out.EndArray();
  }

  void WriteColor(const AIColor& color) {
    out.BeginObject(true);
    switch (color.kind) {
      case kGrayColor:
        out.Member("gray", color.c.g.gray);
        break;
      case kFourColor:
        out.Key("cmyk");
        Numbers({color.c.f.cyan, color.c.f.magenta, color.c.f.yellow, color.c.f.black});
        break;
      case kThreeColor:
        out.Key("rgb");
        Numbers({color.c.rgb.red, color.c.rgb.green, color.c.rgb.blue});
        break;
      default:
        out.Member("kind", color.kind);
    }
    out.EndObject();
  }

  void WritePaint(const char* key, bool painted, const AIColor& color) {
    out.Key(key);
    if (painted && color.kind != kNoneColor) {
      WriteColor(color);
    } else {
      out.Null();
    }
  }

  void WriteFields(const std::vector<ShapeField>& fields) {
    out.BeginArray();
    for (const ShapeField& field : fields) {
      out.BeginObject(true);
      out.Member("name", field.name.as_UTF8());
      out.Member("type", ShapeFieldTypeName(field.type).as_UTF8());
      out.Member("digits", field.totalDigits);
      out.Member("decimals", field.decimals);
      out.EndObject();
    }
    out.EndArray();
  }

  void WriteLayer(Layer& layer) {
    out.BeginObject();
    out.Member("title", sim::Host::Title(layer));
    out.Key("visible");
    out.Bool(layer.visible);
    out.Key("locked");
    out.Bool(!layer.editable);
    out.Key("fields");
    WriteFields(Fields(*layer.group));
    out.Key("art");
    WriteArtList(Contents(*layer.group));
    out.Key("layers");
    out.BeginArray();
    for (Layer* sublayer : Sublayers(layer)) WriteLayer(*sublayer);
    out.EndArray();
    out.EndObject();
  }

  void WriteArtList(const std::vector<Art*>& list) {
    out.BeginArray();
    for (Art* art : list) {
      document->Trim();
      WriteArt(*art);
    }
    out.EndArray();
  }

  void WriteArt(Art& art) {
    out.BeginObject();
    out.Member("type", TypeName(art.type));
    switch (art.type) {
      case kPathArt:
      case kCompoundPathArt: {
        const AIPathStyle style = StyleOf(art);
        if (art.type == kPathArt) {
          out.Key("closed");
          out.Bool(art.closed);
        }
        WritePaint("fill", style.fillPaint, style.fill.color);
        WritePaint("stroke", style.strokePaint, style.stroke.color);
        if (style.strokePaint) out.Member("strokeWidth", style.stroke.width);
        if (art.type == kPathArt) {
          out.Key("points");
          out.BeginArray(true);
          for (const AIPathSegment& segment : art.Segments()) {
            out.BeginArray(true);
            out.Number(segment.p.h);
            out.Number(segment.p.v);
            out.EndArray();
          }
          out.EndArray();
        } else {
          out.Key("members");
          WriteArtList(Contents(art));
        }
        break;
      }
      case kTextFrameArt:
        out.Member("contents", sim::Host::Text(art));
        out.Key("position");
        Numbers({art.Extras().text.anchor.h, art.Extras().text.anchor.v});
        WritePaint("fill", art.Extras().text.fillAssigned, art.Extras().text.fill);
        break;
      case kSymbolArt:
        out.Member("name", art.Extras().symbolName);
        out.Key("bounds");
        Numbers({art.Extras().symbolBounds.left, art.Extras().symbolBounds.top, art.Extras().symbolBounds.right, art.Extras().symbolBounds.bottom});
        break;
      case kGroupArt:
        out.Key("art");
        WriteArtList(Contents(art));
        break;
      default:
        out.Member("artType", art.type);
    }
    out.Key("attributes");
    out.BeginObject();
    std::vector<std::string> seen;
    for (const ShapeField& field : Fields(art)) {
      const std::string name = field.name.as_UTF8();
      if (std::find(seen.begin(), seen.end(), name) != seen.end()) continue;  // the first of a name counts
      seen.push_back(name);
      out.Member(name, field.value.as_UTF8());
    }
    out.EndObject();
    out.EndObject();
  }

  void WriteDataFrame(const std::optional<DataFrameParams>& frame) {
    if (!frame) return out.Null();
    out.BeginObject();
    out.Member("ref", RefText(*frame));
    out.Member("originX", frame->originX);
    out.Member("originY", frame->originY);
    out.Member("scale", frame->scale);
    out.Member("rotation", frame->rotation);
    out.Key("anchor");
    Numbers({frame->anchorX, frame->anchorY});
    out.EndObject();
  }

  void WriteMarkers(const std::optional<MarkerSet>& set) {
    if (!set) return out.Null();
    out.BeginObject();
    out.Member("kind", set->kind == MarkerSet::kFourPoint ? "four" : "three");
    out.Key("points");
    out.BeginArray();
    for (int i = 0; i < set->Count(); ++i) {
      out.BeginObject(true);
      out.Key("artboard");
      Numbers({set->anchors[i].x, set->anchors[i].y});
      out.Key("map");
      out.BeginArray(true);
      out.Number(set->map[i].x);
      out.Number(set->map[i].y);
      out.EndArray();
      out.EndObject();
    }
    out.EndArray();
    out.EndObject();
  }

  sim::JsonWriter& out;
  const sim::Document* document = nullptr;
};

// --- Text -------------------------------------------------------------------------

std::string Plural(size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + kzmap::Tr(count == 1 ? one : many);
}

// Objects of the layer (not of its sublayers) by kind; members of compound
// paths count with their compound path. Art a summary did not read counts
// by its runs' summaries.
std::string CountText(const sim::Document& document, const Layer& layer) {
  std::map<AIArtType, size_t> counts;
  if (const auto unread = document.unread.find(&layer); unread != document.unread.end()) {
    const auto& kinds = unread->second.kinds;
    counts[kGroupArt] += kinds[static_cast<size_t>(sim::PackedArt::group)];
    counts[kPathArt] += kinds[static_cast<size_t>(sim::PackedArt::path)];
    counts[kCompoundPathArt] += kinds[static_cast<size_t>(sim::PackedArt::compound)];
    counts[kTextFrameArt] += kinds[static_cast<size_t>(sim::PackedArt::text)];
    counts[kSymbolArt] += kinds[static_cast<size_t>(sim::PackedArt::symbol)];
    counts[kUnknownArt] += kinds[static_cast<size_t>(sim::PackedArt::other)];
  }
  std::vector<Art*> pending = Contents(*layer.group);
  while (!pending.empty()) {
    Art* art = pending.back();
    pending.pop_back();
    ++counts[art->type];
    if (art->type != kCompoundPathArt)
      for (Art* child : Contents(*art)) pending.push_back(child);
  }
  std::string text;
  const auto add = [&](AIArtType type, const char* one, const char* many) {
    if (!counts[type]) return;
    text += (text.empty() ? "" : ", ") + Plural(counts[type], one, many);
    counts.erase(type);
  };
  using kzmap::TrLater;
  add(kPathArt, TrLater("path"), TrLater("paths"));
  add(kCompoundPathArt, TrLater("compound path"), TrLater("compound paths"));
  add(kGroupArt, TrLater("group"), TrLater("groups"));
  add(kTextFrameArt, TrLater("text"), TrLater("texts"));
  add(kSymbolArt, TrLater("symbol"), TrLater("symbols"));
  size_t other = 0;
  for (const auto& [type, count] : counts) other += count;
  if (other) text += (text.empty() ? "" : ", ") + Plural(other, TrLater("other object"), TrLater("other objects"));
  return text.empty() ? std::string(kzmap::Tr("empty")) : text;
}

std::string FieldText(const ShapeField& field) {
  std::string text = kzmap::TerminalSafe(field.name.as_UTF8()) + " " + ShapeFieldTypeName(field.type).as_UTF8() + "(" +
                     std::to_string(field.totalDigits);
  if (field.type == kShapeFieldReal) text += "." + std::to_string(field.decimals);
  return text + ")";
}

void PrintLayer(const sim::Document& document, Layer& layer, int depth) {
  const std::string indent(static_cast<size_t>(depth) * 2, ' ');
  std::string flags;
  if (!layer.visible) flags += kzmap::Tr("hidden");
  if (!layer.editable) flags += flags.empty() ? kzmap::Tr("locked") : kzmap::Format(", %s", kzmap::Tr("locked"));
  std::printf(kzmap::Tr("%slayer \"%s\"%s: %s\n"), indent.c_str(), kzmap::TerminalSafe(sim::Host::Title(layer)).c_str(),
              flags.empty() ? "" : (" (" + flags + ")").c_str(), CountText(document, layer).c_str());
  const std::vector<ShapeField> fields = Fields(*layer.group);
  if (!fields.empty()) {
    std::string list;
    for (const ShapeField& field : fields) list += (list.empty() ? "" : ", ") + FieldText(field);
    std::printf(kzmap::Tr("%s  fields: %s\n"), indent.c_str(), list.c_str());
  }
  for (Layer* sublayer : Sublayers(layer)) PrintLayer(document, *sublayer, depth + 1);
}

void PrintText(const std::string& path, const sim::Document& document) {
  const AIRealRect& b = document.bounds;
  std::printf("%s\n", kzmap::TerminalSafe(path).c_str());
  std::printf(kzmap::Tr("artboard: [%s, %s, %s, %s], %s × %s pt\n"), Shortest(b.left).c_str(), Shortest(b.top).c_str(),
              Shortest(b.right).c_str(), Shortest(b.bottom).c_str(), Shortest(b.right - b.left).c_str(),
              Shortest(b.top - b.bottom).c_str());
  for (Layer* layer : document.layers) PrintLayer(document, *layer, 0);
  const auto frame = DataFrame();
  if (frame) {
    // Easting and northing by name: the Japanese X (northing) and Y
    // (easting) would read the other way round to GIS users.
    std::printf(kzmap::Tr("data frame: %s, origin easting %s m, northing %s m, scale 1:%s, rotation %s°, anchor %s\n"),
                RefText(*frame).c_str(), Shortest(frame->originX).c_str(), Shortest(frame->originY).c_str(),
                Shortest(frame->scale).c_str(), Shortest(frame->rotation).c_str(),
                PointText(frame->anchorX, frame->anchorY).c_str());
  } else {
    std::printf("%s", kzmap::Tr("data frame: none\n"));
  }
  int kind = 0;
  if (const auto set = Markers()) {
    std::printf("%s", set->kind == MarkerSet::kFourPoint ? kzmap::Tr("coordinate markers: four-point\n")
                                                          : kzmap::Tr("coordinate markers: three-point\n"));
    for (int i = 0; i < set->Count(); ++i)
      std::printf(kzmap::Tr("  artboard %s  map easting (or longitude) %s, northing (or latitude) %s\n"),
                  PointText(set->anchors[i].x, set->anchors[i].y).c_str(), Shortest(set->map[i].x).c_str(),
                  Shortest(set->map[i].y).c_str());
  } else if (FindMarkerSet(kind)) {
    std::printf("%s", kind == MarkerSet::kFourPoint ? kzmap::Tr("coordinate markers: four-point layers, not readable\n")
                                                    : kzmap::Tr("coordinate markers: three-point layers, not readable\n"));
  } else {
    std::printf("%s", kzmap::Tr("coordinate markers: none\n"));
  }
  if (const auto metres = GroundPrecision(document, frame))
    std::printf(kzmap::Tr("precision: %s\n"), PrecisionText(*metres).c_str());
}

void WriteStdout(void*, const char* data, size_t size) { std::fwrite(data, 1, size, stdout); }

int Run(const Options& options) {
  const auto tool = kzmap::MakeKeptUntilExit<kzmap::ToolHost>();
  try {
    // The text form counts art, so a summary serves it; the JSON form lists every object.
    const sim::Document& document =
        options.json ? sim::LoadDocumentFile(tool->Host(), options.map, sim::ArtReading::whole)
                     : kzmap::LoadMapSummary(tool->Host(), options.map, options.readRunsUpTo);
    if (options.json) {
      sim::JsonWriter out(WriteStdout, nullptr);
      JsonReport(out).Write(document);
    } else {
      PrintText(options.map, document);
    }
  } catch (const sim::DocumentFileError& error) {
    std::fprintf(stderr, "kzmap info: %s\n", error.what());
    return 1;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "kzmap info: %s %s\n", kzmap::Tr("not enough memory to read"), options.map.c_str());
    return 1;
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}

kzmap::CommandRun Define(CLI::App& app) {
  auto options = std::make_shared<Options>();
  app.add_option("MAP", options->map, kzmap::Tr("the map document"))->required();
  app.add_flag("--json", options->json,
               kzmap::Tr("print one JSON object: artboard, layers (title, visible, locked, fields, art, layers), "
                         "dataFrame (originX easting, originY northing), markers (map points as [easting, "
                         "northing]), precision (metres on the ground, or null without a data frame)"));
  // For tests: the text form's summary reads runs of art up to this many bytes.
  app.add_option("--read-runs-up-to", options->readRunsUpTo)->group("");
  return [options] { return Run(*options); };
}

const kzmap::CommandRegistration registration({
    "info",
    "MAP [--json]",
    kzmap::TrLater("summarise a map: artboard, layers, fields, data frame, markers, precision"),
    Define,
    "kzmap info tokyo.kzmap\nkzmap info tokyo.kzmap --json",
});

}  // namespace
