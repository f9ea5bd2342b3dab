#include "sim/DocumentPackReader.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <optional>
#include <string_view>

#include "sim/DocumentFile.h"

namespace sim {

static_assert(std::endian::native == std::endian::little, "the packed file stores numbers little-endian as they lie");

namespace {

class PackReader {
 public:
  PackReader(Document& document, PackSource& in, const std::string& file, const SummaryReading* summary)
      : document(document), in(in), file(file), summary(summary) {}

  void ReadDocument(const std::function<void(const PackedCounts&)>& budget) {
    char magic[kPackedMagic.size()];
    if (!in.Take(magic, sizeof magic) || std::string_view(magic, sizeof magic) != kPackedMagic)
      Fail("not a Kartzmap document");
    version = Varint();
    if (version > static_cast<uint64_t>(kDocumentFormatVersion))
      Fail("written by a newer Kartzmap (format version " + std::to_string(version) + "); this one reads up to version " +
           std::to_string(kDocumentFormatVersion));
    if (version < 3) Fail("there is no packed format version " + std::to_string(version));
    ReadCounts();
    // What a summary reads of a map with runs is small; the budget is for whole maps.
    if (budget && (version < 4 || !summary)) budget(declared);
    document.bounds = Rect();
    {
      const Step step(*this, "layers");
      const uint64_t count = Count(declared.layers - seen.layers, 2, "layers");
      for (uint64_t i = 0; i < count; ++i) {
        const Step item(*this, i);
        ReadLayer(nullptr, 1);
      }
    }
    const Step step(*this, "currentLayer");
    const uint64_t current = Varint();
    document.currentLayer = nullptr;
    if (current > 0) {
      const std::vector<Layer*> all = document.AllLayers();
      if (current > all.size())
        Fail("no layer has the number " + std::to_string(current - 1) + " (the document has " +
             std::to_string(all.size()) + ")");
      document.currentLayer = all[current - 1];
    }
    if (!in.AtEnd()) Fail("bytes follow the end of the document");
  }

 private:
  // A step into the tree, kept while its contents are read, so that a
  // problem is reported at its place.
  class Step {
   public:
    Step(PackReader& reader, std::string_view name) : reader(reader) { reader.trail.push_back({name, 0}); }
    Step(PackReader& reader, uint64_t index) : reader(reader) { reader.trail.push_back({{}, index + 1}); }
    ~Step() { reader.trail.pop_back(); }
    Step(const Step&) = delete;
    Step& operator=(const Step&) = delete;

   private:
    PackReader& reader;
  };

  struct TrailItem {
    std::string_view name;
    uint64_t index = 0;  // 1 + the item's index, or 0 for a named member
  };

  std::string Place() const {
    std::string pointer;
    for (const TrailItem& item : trail)
      pointer += "/" + (item.index ? std::to_string(item.index - 1) : std::string(item.name));
    if (pointer.empty()) pointer = "/";
    return pointer + " (byte " + std::to_string(in.Offset()) + ")";
  }

  [[noreturn]] void Fail(const std::string& problem) const { throw DocumentFileError(file, Place(), problem); }
  [[noreturn]] void Ended() const { Fail("the file ends early"); }

  uint8_t Byte() {
    uint8_t value = 0;
    if (!in.Byte(value)) Ended();
    return value;
  }
  uint64_t Varint() {
    uint64_t value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      const uint8_t byte = Byte();
      if (shift == 63 && byte > 1) break;
      value |= static_cast<uint64_t>(byte & 0x7F) << shift;
      if (!(byte & 0x80)) return value;
    }
    Fail("a number longer than 64 bits");
  }
  int32_t Int32() {
    const uint64_t raw = Varint();
    const int64_t value = static_cast<int64_t>(raw >> 1) ^ -static_cast<int64_t>(raw & 1);
    if (value < INT32_MIN || value > INT32_MAX) Fail("integer out of range");
    return static_cast<int32_t>(value);
  }
  float Float() {
    float value = 0;
    if (!in.Take(&value, sizeof value)) Ended();
    return value;
  }
  double Double() {
    double value = 0;
    if (!in.Take(&value, sizeof value)) Ended();
    return value;
  }
  AIRealPoint Point() {
    AIRealPoint point;
    if (!in.Take(&point, sizeof point)) Ended();
    return point;
  }
  AIRealRect Rect() {
    AIRealRect rect;
    rect.left = Float();
    rect.top = Float();
    rect.right = Float();
    rect.bottom = Float();
    return rect;
  }

  // A count of things each at least minBytes long, of which the header
  // allows at most allowed more.
  uint64_t Count(uint64_t allowed, uint64_t minBytes, const char* what) {
    const uint64_t count = Varint();
    if (count > in.Remaining() / minBytes) Fail(std::to_string(count) + " " + what + " cannot fit in the bytes left");
    if (count > allowed) Fail(std::string("more ") + what + " than the file's header says it holds");
    return count;
  }

  void ReadCounts() {
    const Step step(*this, "counts");
    declared.layers = Varint();
    declared.art = Varint();
    declared.segments = Varint();
    declared.values = Varint();
    declared.textUnits = Varint();
    // Each of these costs at least so many bytes; strings may repeat by reference.
    const uint64_t left = in.Remaining();
    if (declared.layers > left / 16 || declared.art > left / 2 || declared.segments > left / 8 ||
        declared.values > left || declared.textUnits / kMaxRememberedStringBytes > left)
      Fail("the header's counts are more than the file can hold");
  }

  void Units(uint64_t units) {
    if (units > declared.textUnits - seen.textUnits) Fail("more text than the file's header says it holds");
    seen.textUnits += units;
  }

  // A string's length and bytes; wide strings are UTF-16 units.
  template <typename Result>
  Result StoredString(bool remember, bool text) {
    const uint64_t length = Varint();
    const uint64_t units = length >> 1;
    const bool wide = length & 1;
    if (wide && !text) Fail("a byte string marked as UTF-16");
    const uint64_t bytes = wide ? units * 2 : units;
    if (units > in.Remaining() / (wide ? 2 : 1)) Fail("a string longer than the bytes left");
    if (remember && bytes > kMaxRememberedStringBytes) Fail("a string too long to be remembered");
    Units(units);
    Result result(units, 0);
    if (wide || sizeof(typename Result::value_type) == 1) {
      if (!in.Take(result.data(), bytes)) Ended();
    } else {
      for (auto& unit : result) unit = Byte();
    }
    return result;
  }

  static constexpr size_t kNotInTable = SIZE_MAX;

  // The table entry a string refers to; or the string itself in fresh, added
  // to the table when the writer asked for that.
  template <typename Result>
  size_t StringEntry(std::vector<Result>& table, bool text, Result& fresh) {
    const uint64_t reference = Varint();
    if (reference >= kPackedFirstTableEntry) {
      const uint64_t index = reference - kPackedFirstTableEntry;
      if (index >= table.size())
        Fail("refers to string " + std::to_string(index) + " but only " + std::to_string(table.size()) +
             " were written before");
      Units(table[index].size());
      return static_cast<size_t>(index);
    }
    const bool remember = reference == kPackedRemember;
    fresh = StoredString<Result>(remember, text);
    if (!remember) return kNotInTable;
    if (table.size() >= kMaxRememberedStrings) Fail("more strings remembered than allowed");
    table.push_back(std::move(fresh));
    return table.size() - 1;
  }

  template <typename Result>
  Result String(std::vector<Result>& table, bool text) {
    Result fresh;
    const size_t index = StringEntry(table, text, fresh);
    return index == kNotInTable ? fresh : table[index];
  }

  // A string made into a value or key once per table entry, so that every
  // use of the entry shares it.
  template <typename Made, typename Result>
  Made SharedString(std::vector<Result>& table, std::vector<std::optional<Made>>& made, bool text) {
    Result fresh;
    const size_t index = StringEntry(table, text, fresh);
    if (index == kNotInTable) return Made(fresh);
    if (made.size() <= index) made.resize(index + 1);
    if (!made[index]) made[index].emplace(table[index]);
    return *made[index];
  }

  std::u16string Text() { return String(texts, true); }
  std::string Bytes() { return String(byteStrings, false); }
  Value TextValue() { return SharedString<Value>(texts, textValues, true); }
  Key KeyBytes() { return SharedString<Key>(byteStrings, keys, false); }

  AIColor Color() {
    AIColor color;
    color.kind = Int32();
    switch (color.kind) {
      case kNoneColor: break;
      case kGrayColor: color.c.g.gray = Float(); break;
      case kThreeColor:
        color.c.rgb.red = Float();
        color.c.rgb.green = Float();
        color.c.rgb.blue = Float();
        break;
      default:
        color.c.f.cyan = Float();
        color.c.f.magenta = Float();
        color.c.f.yellow = Float();
        color.c.f.black = Float();
    }
    return color;
  }

  AIPathStyle StoredStyle() {
    AIPathStyle style;
    const uint8_t flags = Byte();
    if (flags > 31) Fail("unknown style flags");
    style.fillPaint = flags & 1;
    style.fill.overprint = (flags >> 1) & 1;
    style.strokePaint = (flags >> 2) & 1;
    style.stroke.overprint = (flags >> 3) & 1;
    style.evenOdd = (flags >> 4) & 1;
    style.fill.color = Color();
    style.stroke.color = Color();
    style.stroke.width = Float();
    const uint8_t dashes = Byte();
    if (dashes > kMaxDashComponents) Fail("at most " + std::to_string(kMaxDashComponents) + " dash lengths");
    style.stroke.dash.length = dashes;
    for (int i = 0; i < dashes; ++i) style.stroke.dash.array[i] = Float();
    style.stroke.dash.offset = Float();
    if (!in.Take(&style.stroke.cap, sizeof style.stroke.cap) || !in.Take(&style.stroke.join, sizeof style.stroke.join))
      Ended();
    style.stroke.miterLimit = Float();
    return style;
  }

  // Kept once in the document, so that art sharing a style in the file shares it in memory.
  const AIPathStyle* Style() {
    const Step step(*this, "style");
    const uint64_t reference = Varint();
    if (reference >= kPackedFirstTableEntry) {
      const uint64_t index = reference - kPackedFirstTableEntry;
      if (index >= styles.size())
        Fail("refers to style " + std::to_string(index) + " but only " + std::to_string(styles.size()) +
             " were written before");
      return styles[index];
    }
    const AIPathStyle* style = document.styles.Intern(StoredStyle());
    if (reference == kPackedRemember) {
      if (styles.size() >= kMaxRememberedStyles) Fail("more styles remembered than allowed");
      styles.push_back(style);
    }
    return style;
  }

  void CheckDepth(size_t depth) const {
    if (depth > kMaxDocumentDepth) Fail("nested deeper than " + std::to_string(kMaxDocumentDepth) + " levels");
  }

  Value ReadValue(size_t depth) {
    CheckDepth(depth);
    const uint8_t tag = Byte();
    switch (static_cast<PackedValue>(tag)) {
      case PackedValue::null: return Value{};
      case PackedValue::integer: return Value{Int32()};
      case PackedValue::boolFalse: return Value{false};
      case PackedValue::boolTrue: return Value{true};
      case PackedValue::real: return Value{Double()};
      case PackedValue::string: return TextValue();
      case PackedValue::nullArray: return Value{ArrayPtr()};
      case PackedValue::nullDictionary: return Value{DictPtr()};
      case PackedValue::array: {
        const Step step(*this, "array");
        ArrayPtr array = NewArray();
        const uint64_t count = Count(declared.values - seen.values, 1, "values");
        seen.values += count;
        array->reserve(count);
        for (uint64_t i = 0; i < count; ++i) {
          const Step item(*this, i);
          array->push_back(ReadValue(depth + 1));
        }
        // Rows of fields are kept compact until the plug-in opens them.
        array->Compact();
        return Value{array};
      }
      case PackedValue::dictionary: {
        const Step step(*this, "dictionary");
        return Value{ReadDictionary(depth)};
      }
    }
    Fail("unknown value tag " + std::to_string(tag));
  }

  DictPtr ReadDictionary(size_t depth) {
    CheckDepth(depth);
    DictPtr dictionary = NewDictionary();
    const uint64_t count = Count(declared.values - seen.values, 2, "dictionary entries");
    seen.values += count;
    dictionary->Reserve(count);
    for (uint64_t i = 0; i < count; ++i) {
      const Key key = KeyBytes();
      const Step step(*this, key.View());
      if (dictionary->Has(key)) Fail("the key is there twice");
      dictionary->Add(key, ReadValue(depth + 1));
    }
    return dictionary;
  }

  void ReadCommon(Art& art, uint64_t flags, uint64_t allowed) {
    if (flags & ~static_cast<uint64_t>(allowed)) Fail("flags that do not belong to this art");
    if (flags & kPackedSelected) {
      art.userAttributes |= kArtSelected;
      if (inRun && version >= 6) ++runTally.selected;
    }
    if (flags & kPackedLocked) art.userAttributes |= kArtLocked;
    if (flags & kPackedHidden) art.userAttributes |= kArtHidden;
    if (flags & kPackedOtherAttributes) art.userAttributes |= Int32() & ~(kArtSelected | kArtLocked | kArtHidden);
    art.skipped = flags & kPackedSkipped;
    art.guide = flags & kPackedGuide;
    art.clip = flags & kPackedClip;
    if (flags & kPackedOpacity) {
      const Step step(*this, "opacity");
      art.opacity = Float();
      if (!(art.opacity >= 0 && art.opacity <= 1)) Fail("opacity must lie from 0 to 1");
    }
    if (flags & kPackedDictionary) {
      const Step step(*this, "dictionary");
      art.Dict() = ReadDictionary(1);
    }
    if (flags & kPackedTags) {
      const Step step(*this, "tags");
      // Tags are rare and not in the header's counts: they grow as read.
      const uint64_t count = Count(UINT64_MAX, 12, "tags");
      for (uint64_t i = 0; i < count; ++i) {
        Tag tag;
        tag.name = Bytes();
        tag.type = Bytes();
        tag.text = Bytes();
        tag.real = Double();
        const uint8_t boolean = Byte();
        if (boolean > 1) Fail("expected true or false");
        tag.boolean = boolean;
        art.EditExtras().tags.push_back(std::move(tag));
      }
    }
  }

  static constexpr uint64_t kCommonFlags = kPackedSelected | kPackedLocked | kPackedHidden | kPackedOtherAttributes |
                                           kPackedSkipped | kPackedGuide | kPackedClip | kPackedOpacity |
                                           kPackedDictionary | kPackedTags;

  Art* Adopt(Art& container, AIArtType type) {
    if (seen.art >= declared.art) Fail("more art than the file's header says it holds");
    ++seen.art;
    if (inRun) {
      if (container.type == kCompoundPathArt) {
        ++runTally.members;
      } else {
        ++runTally.kinds[static_cast<size_t>(PackedKindOf(type))];
      }
    }
    Art* art = document.MakeArt(type);
    art->parent = &container;
    container.children.push_back(art);
    return art;
  }

  void ReadChildren(Art& container, size_t depth, bool pathsOnly) {
    const Step step(*this, pathsOnly ? "members" : "art");
    const uint64_t count = Count(declared.art - seen.art, 2, "art objects");
    for (uint64_t i = 0; i < count; ++i) {
      document.Trim();
      const Step item(*this, i);
      ReadArt(container, depth + 1, pathsOnly);
    }
  }

  void ReadLayer(Layer* parent, size_t depth) {
    CheckDepth(depth);
    if (seen.layers >= declared.layers || seen.art >= declared.art)
      Fail("more layers than the file's header says it holds");
    ++seen.layers;
    ++seen.art;
    Layer* layer = document.AppendLayer(parent);
    layer->title = Text();
    const uint8_t flags = Byte();
    if (flags > (version >= 5 ? kLayerFlagsFrom5 : kLayerFlags)) Fail("unknown layer flags");
    layer->visible = flags & kLayerVisible;
    layer->editable = !(flags & kLayerLocked);
    layer->color.red = Float();
    layer->color.green = Float();
    layer->color.blue = Float();
    {
      const Step step(*this, "group");
      ReadCommon(*layer->group, Varint(), kCommonFlags);
    }
    if (version < 4) return ReadChildren(*layer->group, depth, false);
    ReadLayerArt(*layer, depth);
  }


  // A layer's art as runs, with its sublayers between them.
  void ReadLayerArt(Layer& layer, size_t depth) {
    const Step step(*this, "art");
    const uint64_t count = Count(declared.art - seen.art, 2, "art objects");
    uint64_t readUpTo = UINT64_MAX;
    if (summary && std::find(summary->wholeLayers.begin(), summary->wholeLayers.end(), layer.title) ==
                       summary->wholeLayers.end())
      readUpTo = summary->runsUpTo;
    // Runs that refer to nothing before them and count what they hold
    // selected may be left in the file.
    const bool leaving = !summary && version >= 6 && document.lazy.Keeping();
    if (leaving) readUpTo = LazyArt::LazyRunBytes();
    std::vector<PendingArt::Run> left;
    uint64_t index = 0;
    while (index < count) {
      const uint8_t tag = Byte();
      if (tag == static_cast<uint8_t>(PackedArt::layer)) {
        const Step item(*this, index);
        ReadLayer(&layer, depth + 1);
        ++index;
      } else if (tag == static_cast<uint8_t>(PackedArt::run)) {
        index += ReadRun(layer, depth, count - index, index, readUpTo, leaving ? &left : nullptr);
      } else {
        Fail("expected a run of art or a sublayer, not art type " + std::to_string(tag));
      }
    }
    if (!left.empty()) document.lazy.Leave(layer, depth, version, std::move(left));
  }

 public:
  // One run, from its length on, of a file of this version, as a load left
  // it: its objects go to the layer's group.
  void ReadLeftRun(Layer& layer, size_t depth, uint64_t fileVersion, const UnreadArt& said, uint64_t objects) {
    version = fileVersion;
    declared.art = said.Art();
    declared.segments = said.segments;
    declared.values = said.values;
    declared.textUnits = said.textUnits;
    const Step step(*this, "art");
    if (ReadRun(layer, depth, objects, 0, UINT64_MAX, nullptr) != objects)
      Fail("a run of art holding other objects than when the map was opened");
  }

 private:

  static std::string Described(const UnreadArt& art) {
    std::string text = "art by kind";
    for (uint64_t count : art.kinds) text += " " + std::to_string(count);
    return text + ", members " + std::to_string(art.members) + ", segments " + std::to_string(art.segments) +
           ", values " + std::to_string(art.values) + ", text " + std::to_string(art.textUnits) + ", largest " +
           std::to_string(art.extent) + ", selected " + std::to_string(art.selected);
  }

  void Widen(AIRealPoint point) {
    if (!inRun) return;
    runTally.extent = std::max(runTally.extent, std::fabs(point.h));
    runTally.extent = std::max(runTally.extent, std::fabs(point.v));
  }

  // A run of the layer's own art: read, and held to its length and summary,
  // or, when longer than a summary reads, stepped over and its summary kept
  // on the layer. The number of objects it holds.
  // A run stepped over is added to leaving, when given, to be read later.
  uint64_t ReadRun(Layer& layer, size_t depth, uint64_t left, uint64_t firstIndex, uint64_t readUpTo,
                   std::vector<PendingArt::Run>* leaving) {
    const uint64_t at = in.Offset();
    const uint64_t length = Varint();
    if (length > in.Remaining()) Fail("a run of art of " + std::to_string(length) + " bytes, more than the bytes left");
    const uint64_t start = in.Offset();
    UnreadArt said;
    for (uint64_t& count : said.kinds) count = Varint();
    for (uint64_t* count : {&said.members, &said.segments, &said.values, &said.textUnits}) *count = Varint();
    said.extent = Float();
    const uint64_t objects = Varint();
    if (version >= 6) said.selected = Varint();
    if (in.Offset() - start > length) Fail("a run of art longer than its length says");
    if (!(said.extent >= 0)) Fail("a run's largest coordinate must be a number from 0 up");
    if (objects == 0 || objects > left)
      Fail("a run of " + std::to_string(objects) + " objects where the layer has " + std::to_string(left) + " left");
    // Added part by part against what is left, so that no sum can wrap round.
    const uint64_t artLeft = declared.art - seen.art;
    uint64_t art = 0;
    bool beyond = false;
    for (uint64_t count : said.kinds) {
      beyond = beyond || count > artLeft - art;
      if (!beyond) art += count;
    }
    beyond = beyond || said.members > artLeft - art || said.segments > declared.segments - seen.segments ||
             said.values > declared.values - seen.values || said.textUnits > declared.textUnits - seen.textUnits;
    if (beyond) Fail("a run of art holding more than the file's header says");
    if (objects > said.Art()) Fail("a run of art holding fewer objects than it lists");
    if (said.selected > said.Art()) Fail("a run of art with more objects selected than it holds");
    if (length > readUpTo) {
      if (!in.Skip(length - (in.Offset() - start))) Ended();
      seen.art += said.Art();
      seen.segments += said.segments;
      seen.values += said.values;
      seen.textUnits += said.textUnits;
      if (leaving) {
        leaving->push_back({layer.group->children.Present().size(), at, start + length - at, objects, said});
      } else {
        document.unread[&layer].Add(said);
      }
      return objects;
    }
    const size_t keepTexts = texts.size(), keepByteStrings = byteStrings.size(), keepStyles = styles.size();
    // From version 5 a run starts with empty tables: it can be copied whole
    // from one file into another.
    Tables outer;
    if (version >= 5) outer = TakeTables();
    const PackedCounts before = seen;
    inRun = true;
    runTally = {};
    for (uint64_t i = 0; i < objects; ++i) {
      document.Trim();
      const Step item(*this, firstIndex + i);
      ReadArt(*layer.group, depth + 1, false);
    }
    inRun = false;
    runTally.segments = seen.segments - before.segments;
    runTally.values = seen.values - before.values;
    runTally.textUnits = seen.textUnits - before.textUnits;
    if (in.Offset() - start != length)
      Fail("a run of art said to be " + std::to_string(length) + " bytes takes " + std::to_string(in.Offset() - start));
    if (!(runTally == said))
      Fail("a run of art whose summary (" + Described(said) + ") does not match its art (" + Described(runTally) +
           ")");
    // What the run remembered goes with it.
    if (version >= 5) {
      PutTables(std::move(outer));
      return objects;
    }
    texts.resize(keepTexts);
    byteStrings.resize(keepByteStrings);
    styles.resize(keepStyles);
    textValues.resize(std::min(textValues.size(), keepTexts));
    keys.resize(std::min(keys.size(), keepByteStrings));
    return objects;
  }

  struct Tables {
    std::vector<std::u16string> texts;
    std::vector<std::string> byteStrings;
    std::vector<std::optional<Value>> textValues;
    std::vector<std::optional<Key>> keys;
    std::vector<const AIPathStyle*> styles;
  };
  // The tables as they stand, leaving them empty.
  Tables TakeTables() {
    Tables taken{std::move(texts), std::move(byteStrings), std::move(textValues), std::move(keys), std::move(styles)};
    texts.clear();
    byteStrings.clear();
    textValues.clear();
    keys.clear();
    styles.clear();
    return taken;
  }
  void PutTables(Tables&& tables) {
    texts = std::move(tables.texts);
    byteStrings = std::move(tables.byteStrings);
    textValues = std::move(tables.textValues);
    keys = std::move(tables.keys);
    styles = std::move(tables.styles);
  }

  void ReadSegments(Art& art, bool straight) {
    const Step step(*this, "segments");
    const uint64_t count = Varint();
    if (count > static_cast<uint64_t>(kMaxPathSegments))
      Fail("a path holds at most " + std::to_string(kMaxPathSegments) + " segments");
    if (count > in.Remaining() / (straight ? 8 : 9)) Fail(std::to_string(count) + " segments cannot fit in the bytes left");
    if (count > declared.segments - seen.segments) Fail("more segments than the file's header says it holds");
    seen.segments += count;
    if (straight) {
      std::vector<AIRealPoint> anchors(count);
      for (AIRealPoint& anchor : anchors) {
        anchor = Point();
        Widen(anchor);
      }
      return art.Segments().AssignCorners(anchors.data(), anchors.size());
    }
    std::vector<AIPathSegment> segments(count);
    for (uint64_t i = 0; i < count; ++i) {
      AIPathSegment& s = segments[i];
      const uint8_t kind = Byte();
      if (kind > static_cast<uint8_t>(PackedSegment::curveSmooth)) {
        const Step item(*this, i);
        Fail("unknown segment kind " + std::to_string(kind));
      }
      s.p = Point();
      Widen(s.p);
      const auto packed = static_cast<PackedSegment>(kind);
      s.corner = packed == PackedSegment::straightCorner || packed == PackedSegment::curveCorner;
      if (packed == PackedSegment::curveCorner || packed == PackedSegment::curveSmooth) {
        s.in = Point();
        s.out = Point();
      } else {
        s.in = s.out = s.p;
      }
    }
    art.Segments().Assign(segments.data(), segments.size());
  }

  void ReadArt(Art& container, size_t depth, bool pathsOnly) {
    CheckDepth(depth);
    const uint8_t tag = Byte();
    if (tag > static_cast<uint8_t>(PackedArt::layer)) Fail("unknown art type " + std::to_string(tag));
    const auto packed = static_cast<PackedArt>(tag);
    if (pathsOnly && packed != PackedArt::path) Fail("a compound path holds only paths");
    if (packed == PackedArt::layer) {
      if (!container.ownerLayer || inRun) Fail("a sublayer lies directly inside a layer");
      return ReadLayer(container.ownerLayer, depth);
    }
    AIArtType type = kUnknownArt;
    switch (packed) {
      case PackedArt::group: type = kGroupArt; break;
      case PackedArt::path: type = kPathArt; break;
      case PackedArt::compound: type = kCompoundPathArt; break;
      case PackedArt::text: type = kTextFrameArt; break;
      case PackedArt::symbol: type = kSymbolArt; break;
      default: {
        type = static_cast<AIArtType>(std::clamp<int32_t>(Int32(), INT16_MIN, INT16_MAX));
        if (type == kGroupArt || type == kPathArt || type == kCompoundPathArt || type == kTextFrameArt ||
            type == kSymbolArt || type == kAnyArt)
          Fail("art of a known type is written by its own tag");
      }
    }
    Art* art = Adopt(container, type);
    const uint64_t flags = Varint();
    switch (packed) {
      case PackedArt::path:
        ReadCommon(*art, flags, kCommonFlags | kPackedClosed | kPackedStraightCorners);
        art->closed = flags & kPackedClosed;
        art->ShareStyle(Style());
        return ReadSegments(*art, flags & kPackedStraightCorners);
      case PackedArt::compound:
        ReadCommon(*art, flags, kCommonFlags);
        art->ShareStyle(Style());
        return ReadChildren(*art, depth, true);
      case PackedArt::text:
        ReadCommon(*art, flags, kCommonFlags | kPackedTextFill | kPackedJustification);
        return ReadTextFrame(art->EditExtras().text, flags);
      case PackedArt::symbol:
        ReadCommon(*art, flags, kCommonFlags);
        art->EditExtras().symbolName = Bytes();
        art->EditExtras().symbolBounds = Rect();
        return;
      default:
        ReadCommon(*art, flags, kCommonFlags);
        return ReadChildren(*art, depth, false);
    }
  }

  void ReadTextFrame(TextData& text, uint64_t flags) {
    text.anchor = Point();
    Widen(text.anchor);
    text.orientation = Int32();
    text.frameType = Int32();
    text.contents = Text();
    text.fontSize = Float();
    if (!(text.fontSize > 0)) Fail("a font size must be positive");
    if (flags & kPackedTextFill) {
      text.fillAssigned = true;
      text.fill = Color();
    }
    if (flags & kPackedJustification) {
      text.justificationAssigned = true;
      text.justification = Int32();
    }
  }

  Document& document;
  PackSource& in;
  const std::string& file;
  const SummaryReading* summary;
  uint64_t version = 0;
  PackedCounts declared, seen;
  bool inRun = false;
  UnreadArt runTally;  // what the run being read holds so far
  std::vector<TrailItem> trail;
  std::vector<std::u16string> texts;
  std::vector<std::string> byteStrings;
  std::vector<std::optional<Value>> textValues;  // by table entry, made on first use
  std::vector<std::optional<Key>> keys;
  std::vector<const AIPathStyle*> styles;
};

}  // namespace

void ReadDocumentPack(Document& document, PackSource& source, const std::string& file,
                      const std::function<void(const PackedCounts&)>& budget, const SummaryReading* summary) {
  PackReader(document, source, file, summary).ReadDocument(budget);
}

void ReadPackRun(Document& document, PackSource& source, const std::string& file, Layer& layer, size_t depth,
                 uint64_t version, const UnreadArt& summary, uint64_t objects) {
  PackReader(document, source, file, nullptr).ReadLeftRun(layer, depth, version, summary, objects);
}

}  // namespace sim
