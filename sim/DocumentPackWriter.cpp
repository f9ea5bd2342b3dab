#include "sim/DocumentPackWriter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <span>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "sim/DocumentFile.h"
#include "sim/DocumentFormat.h"
#include "sim/RememberedStrings.h"

namespace sim {

static_assert(std::endian::native == std::endian::little, "the packed file stores numbers little-endian as they lie");

namespace {

// Styles are compared by their written form, so padding never matters.
struct StyleKey {
  std::string bytes;
  bool operator==(const StyleKey&) const = default;
};
struct StyleKeyHash {
  size_t operator()(const StyleKey& key) const { return std::hash<std::string>()(key.bytes); }
};

class PackWriter {
 public:
  PackWriter(PackSink& sink, const std::string& file, size_t runBytes, size_t pieceBytes)
      : sink(sink), file(file), runBytes(runBytes), pieceBytes(pieceBytes) {
    buffer.reserve(std::min<size_t>(pieceBytes, kPackPieceBytes) + 4096);
  }

  void WriteDocument(const Document& document) {
    this->document = &document;
    if (document.summaryOnly)
      throw DocumentFileError(file, {}, "only a summary of the map was read, so it cannot be saved");
    if (!document.lazy.Failure().empty())
      throw DocumentFileError(file, {}, "part of the map could not be read, so it cannot be saved: " +
                                            document.lazy.Failure());
    buffer.append(kPackedMagic);
    Varint(kDocumentFormatVersion);
    PackedCounts counts;
    for (const Layer* layer : document.layers) CountLayer(*layer, counts, 1);
    for (uint64_t count : {counts.layers, counts.art, counts.segments, counts.values, counts.textUnits}) Varint(count);
    Rect(document.bounds);
    Varint(document.layers.size());
    for (const Layer* layer : document.layers) WriteLayer(*layer, 1);
    const std::vector<Layer*> all = document.AllLayers();
    const auto current = std::find(all.begin(), all.end(), document.currentLayer);
    Varint(current == all.end() ? 0 : static_cast<uint64_t>(current - all.begin()) + 1);
    Flush();
  }

 private:
  // Where the next byte lands in the file.
  uint64_t Offset() const { return handed + buffer.size(); }

  // Hands the buffer on; an open run's head, still to be known, goes as a hole.
  void Flush() {
    if (inRun && !headHanded) {
      const size_t at = static_cast<size_t>(headAt - handed);
      if (at > 0) sink.Write(buffer.data(), at);
      sink.Hole(kRunHeadBytes);
      const size_t after = at + kRunHeadBytes;
      if (buffer.size() > after) sink.Write(buffer.data() + after, buffer.size() - after);
      headHanded = true;
    } else if (!buffer.empty()) {
      sink.Write(buffer.data(), buffer.size());
    }
    handed += buffer.size();
    buffer.clear();
  }
  void MaybeFlush() {
    if (buffer.size() >= pieceBytes) Flush();
  }

  void Byte(uint8_t value) { buffer.push_back(static_cast<char>(value)); }
  void Varint(uint64_t value) { PutVarint(buffer, value); }
  static void PutVarint(std::string& out, uint64_t value) {
    while (value >= 0x80) {
      out.push_back(static_cast<char>(value | 0x80));
      value >>= 7;
    }
    out.push_back(static_cast<char>(value));
  }
  // The same number at kPaddedVarintBytes whatever its size.
  static void PutPaddedVarint(std::string& out, uint64_t value) {
    for (size_t i = 1; i < kPaddedVarintBytes; ++i) {
      out.push_back(static_cast<char>((value & 0x7F) | 0x80));
      value >>= 7;
    }
    out.push_back(static_cast<char>(value));
  }
  void Signed(int64_t value) { Varint((static_cast<uint64_t>(value) << 1) ^ static_cast<uint64_t>(value >> 63)); }
  void Raw(const void* data, size_t size) { buffer.append(static_cast<const char*>(data), size); }
  void Float(float value) { Raw(&value, sizeof value); }
  void Double(double value) { Raw(&value, sizeof value); }
  void Point(AIRealPoint point) {
    Float(point.h);
    Float(point.v);
  }
  void Rect(const AIRealRect& rect) {
    for (AIReal value : {rect.left, rect.top, rect.right, rect.bottom}) Float(value);
  }

  [[noreturn]] void TooDeep() const {
    throw DocumentFileError(file, {}, "art or dictionary values nested deeper than " +
                                          std::to_string(kMaxDocumentDepth) + " levels");
  }

  // Counts what the reader will build, so that it can tell before it starts
  // whether the document fits in memory: the layer, and its art as the
  // writing walk goes over it, object by object.
  void CountLayer(const Layer& layer, PackedCounts& counts, size_t depth) const {
    if (depth > kMaxDocumentDepth) TooDeep();
    CountOne(*layer.group, counts);
    // Runs left in the old file are counted by their heads.
    if (const PendingArt* pending = layer.group->children.Pending()) {
      for (const PendingArt::Run& run : pending->runs) {
        counts.art += run.summary.Art();
        counts.segments += run.summary.segments;
        counts.values += run.summary.values;
        counts.textUnits += run.summary.textUnits;
      }
    }
    for (const Art* child : Children(*layer.group)) {
      if (child->disposed) continue;
      if (child->ownerLayer) {
        CountLayer(*child->ownerLayer, counts, depth + 1);
        continue;
      }
      CountArt(*child, counts);
      // Done with this object's contents until it is written.
      document->Trim();
    }
  }

  // An object and all inside it, without recursion: depth is checked as it
  // is written.
  void CountArt(const Art& art, PackedCounts& counts) const {
    std::vector<const Art*> pending{&art};
    while (!pending.empty()) {
      document->Trim();
      const Art* next = pending.back();
      pending.pop_back();
      CountOne(*next, counts);
      for (const Art* child : next->children)
        if (!child->disposed) pending.push_back(child);
    }
  }

  void CountOne(const Art& art, PackedCounts& counts) const {
    ++counts.art;
    if (art.ownerLayer) {
      ++counts.layers;
      counts.textUnits += art.ownerLayer->title.size();
    }
    counts.segments += art.Segments().size();
    CountArtText(art, counts);
    if (art.Dict()) CountDictionary(*art.Dict(), counts, 1);
  }

  void CountValue(const Value& value, PackedCounts& counts, size_t depth) const {
    if (depth > kMaxDocumentDepth) TooDeep();
    if (value.IsString()) counts.textUnits += value.String().size();
    if (const Array* array = value.IsArray() ? value.AsArray() : nullptr) {
      counts.values += array->size();
      if (array->IsCompact()) return CountRows(*array, counts, depth + 1);
      for (const Value& item : *array) CountValue(item, counts, depth + 1);
    }
    if (const Dictionary* dictionary = value.IsDictionary() ? value.AsDictionary() : nullptr)
      CountDictionary(*dictionary, counts, depth + 1);
  }

  // The rows of a compact array counted as the arrays they stand for.
  void CountRows(const Array& array, PackedCounts& counts, size_t depth) const {
    if (depth + 1 > kMaxDocumentDepth) TooDeep();
    for (size_t i = 0; i < array.size(); ++i) {
      const RowEntries row = *array.Entries(i);
      counts.values += row.size();
      for (size_t j = 0; j < row.size(); ++j)
        if (row[j].IsString()) counts.textUnits += row[j].String().size();
    }
  }

  void CountDictionary(const Dictionary& dictionary, PackedCounts& counts, size_t depth) const {
    if (depth > kMaxDocumentDepth) TooDeep();
    counts.values += dictionary.size();
    for (const auto& [key, value] : dictionary) {
      counts.textUnits += key.View().size();
      CountValue(value, counts, depth + 1);
    }
  }

  // A string's stored form: its length (times two, plus one for UTF-16)
  // and its bytes. Texts in the first 256 code points take a byte a unit.
  void StoredText(std::u16string_view units, std::string& out) const {
    const bool narrow = std::all_of(units.begin(), units.end(), [](char16_t unit) { return unit < 0x100; });
    out += EncodedLength(units.size(), !narrow);
    const size_t at = out.size();
    if (narrow) {
      out.resize(at + units.size());
      for (size_t i = 0; i < units.size(); ++i) out[at + i] = static_cast<char>(units[i]);
    } else {
      out.resize(at + units.size() * 2);
      std::memcpy(out.data() + at, units.data(), units.size() * 2);
    }
  }

  static std::string EncodedLength(uint64_t length, bool wide) {
    std::string bytes;
    uint64_t value = length * 2 + (wide ? 1 : 0);
    while (value >= 0x80) {
      bytes.push_back(static_cast<char>(value | 0x80));
      value >>= 7;
    }
    bytes.push_back(static_cast<char>(value));
    return bytes;
  }

  // stored: the string's stored form (length and bytes).
  void Remembered(RememberedStrings& table, const std::string& stored, size_t length) {
    if (const auto found = table.Find(stored)) return Varint(kPackedFirstTableEntry + *found);
    if (length <= kMaxRememberedStringBytes && table.size() < kMaxRememberedStrings) {
      table.Add(stored);
      Varint(kPackedRemember);
    } else {
      Varint(kPackedInline);
    }
    buffer.append(stored);
  }

  void Text(std::u16string_view units) {
    scratch.clear();
    StoredText(units, scratch);
    Remembered(texts, scratch, units.size() * 2);
  }

  void Bytes(std::string_view bytes) {
    scratch = EncodedLength(bytes.size(), false);
    scratch += bytes;
    Remembered(byteStrings, scratch, bytes.size());
  }

  void Color(std::string& out, const AIColor& color) const {
    const auto add = [&out](std::initializer_list<AIReal> values) {
      for (AIReal value : values) out.append(reinterpret_cast<const char*>(&value), sizeof value);
    };
    uint64_t kind = (static_cast<uint64_t>(static_cast<int64_t>(color.kind)) << 1) ^
                    static_cast<uint64_t>(static_cast<int64_t>(color.kind) >> 63);
    while (kind >= 0x80) {
      out.push_back(static_cast<char>(kind | 0x80));
      kind >>= 7;
    }
    out.push_back(static_cast<char>(kind));
    switch (color.kind) {
      case kNoneColor: return;
      case kGrayColor: return add({color.c.g.gray});
      case kThreeColor: return add({color.c.rgb.red, color.c.rgb.green, color.c.rgb.blue});
      default: return add({color.c.f.cyan, color.c.f.magenta, color.c.f.yellow, color.c.f.black});
    }
  }

  StyleKey StoredStyle(const AIPathStyle& style) const {
    StyleKey key;
    std::string& out = key.bytes;
    const auto real = [&out](AIReal value) { out.append(reinterpret_cast<const char*>(&value), sizeof value); };
    const auto integer = [&out](int32_t value) { out.append(reinterpret_cast<const char*>(&value), sizeof value); };
    out.push_back(static_cast<char>((style.fillPaint ? 1 : 0) | (style.fill.overprint ? 2 : 0) |
                                    (style.strokePaint ? 4 : 0) | (style.stroke.overprint ? 8 : 0) |
                                    (style.evenOdd ? 16 : 0)));
    Color(out, style.fill.color);
    Color(out, style.stroke.color);
    real(style.stroke.width);
    const int dashes = std::clamp<int>(style.stroke.dash.length, 0, kMaxDashComponents);
    out.push_back(static_cast<char>(dashes));
    for (int i = 0; i < dashes; ++i) real(style.stroke.dash.array[i]);
    real(style.stroke.dash.offset);
    integer(style.stroke.cap);
    integer(style.stroke.join);
    real(style.stroke.miterLimit);
    return key;
  }

  void Style(const AIPathStyle& style) {
    StyleKey key = StoredStyle(style);
    if (const auto found = styles.find(key); found != styles.end()) return Varint(kPackedFirstTableEntry + found->second);
    if (styles.size() < kMaxRememberedStyles) {
      Varint(kPackedRemember);
      buffer.append(key.bytes);
      styles.emplace(std::move(key), styles.size());
    } else {
      Varint(kPackedInline);
      buffer.append(key.bytes);
    }
  }

  void WriteValue(const Value& value, size_t depth) {
    if (depth > kMaxDocumentDepth) TooDeep();
    switch (value.Type()) {
      case kIntegerEntryType:
        Byte(static_cast<uint8_t>(PackedValue::integer));
        return Signed(value.Int());
      case kBooleanEntryType:
        return Byte(static_cast<uint8_t>(value.Bool() ? PackedValue::boolTrue : PackedValue::boolFalse));
      case kRealEntryType:
        Byte(static_cast<uint8_t>(PackedValue::real));
        return Double(value.Real());
      case kUnicodeStringEntryType:
        Byte(static_cast<uint8_t>(PackedValue::string));
        return Text(value.String());
      case kArrayEntryType: {
        const Array* array = value.AsArray();
        if (!array) return Byte(static_cast<uint8_t>(PackedValue::nullArray));
        Byte(static_cast<uint8_t>(PackedValue::array));
        Varint(array->size());
        if (array->IsCompact()) return WriteRows(*array, depth + 1);
        for (const Value& item : *array) {
          WriteValue(item, depth + 1);
          MaybeFlush();
        }
        return;
      }
      case kDictionaryEntryType: {
        const Dictionary* dictionary = value.AsDictionary();
        if (!dictionary) return Byte(static_cast<uint8_t>(PackedValue::nullDictionary));
        Byte(static_cast<uint8_t>(PackedValue::dictionary));
        return WriteDictionary(*dictionary, depth);
      }
      default:
        return Byte(static_cast<uint8_t>(PackedValue::null));
    }
  }

  // The rows of a compact array written as the arrays they stand for.
  void WriteRows(const Array& array, size_t depth) {
    if (depth + 1 > kMaxDocumentDepth) TooDeep();
    for (size_t i = 0; i < array.size(); ++i) {
      const RowEntries row = *array.Entries(i);
      Byte(static_cast<uint8_t>(PackedValue::array));
      Varint(row.size());
      for (size_t j = 0; j < row.size(); ++j) WriteValue(row[j], depth + 1);
      MaybeFlush();
    }
  }

  void WriteDictionary(const Dictionary& dictionary, size_t depth) {
    if (depth > kMaxDocumentDepth) TooDeep();
    Varint(dictionary.size());
    for (const auto& [key, value] : dictionary) {
      Bytes(key.View());
      WriteValue(value, depth + 1);
      MaybeFlush();
    }
  }

  uint32_t CommonFlags(const Art& art) const {
    uint32_t flags = 0;
    if (art.userAttributes & kArtSelected) flags |= kPackedSelected;
    if (art.userAttributes & kArtLocked) flags |= kPackedLocked;
    if (art.userAttributes & kArtHidden) flags |= kPackedHidden;
    if (art.userAttributes & ~(kArtSelected | kArtLocked | kArtHidden)) flags |= kPackedOtherAttributes;
    if (art.skipped) flags |= kPackedSkipped;
    if (art.guide) flags |= kPackedGuide;
    if (art.clip) flags |= kPackedClip;
    if (art.opacity != 1) flags |= kPackedOpacity;
    if (art.Dict()) flags |= kPackedDictionary;
    if (!art.Extras().tags.empty()) flags |= kPackedTags;
    return flags;
  }

  void WriteCommon(const Art& art, uint32_t flags) {
    Varint(flags);
    if (flags & kPackedOtherAttributes) Signed(art.userAttributes & ~(kArtSelected | kArtLocked | kArtHidden));
    if (flags & kPackedOpacity) Float(art.opacity);
    if (flags & kPackedDictionary) WriteDictionary(*art.Dict(), 1);
    if (flags & kPackedTags) {
      Varint(art.Extras().tags.size());
      for (const Tag& tag : art.Extras().tags) {
        Bytes(tag.name);
        Bytes(tag.type);
        Bytes(tag.text);
        Double(tag.real);
        Byte(tag.boolean ? 1 : 0);
      }
    }
  }

  void WriteChildren(const Art& art, size_t depth) {
    uint64_t live = 0;
    for (const Art* child : art.children) live += child->disposed ? 0 : 1;
    Varint(live);
    for (const Art* child : art.children) {
      document->Trim();
      if (!child->disposed) WriteArt(*child, depth + 1);
    }
  }

  void WriteLayer(const Layer& layer, size_t depth) {
    if (depth > kMaxDocumentDepth) TooDeep();
    Text(layer.title);
    Byte(static_cast<uint8_t>((layer.visible ? kLayerVisible : 0) | (layer.editable ? 0 : kLayerLocked)));
    for (AIReal value : {layer.color.red, layer.color.green, layer.color.blue}) Float(value);
    WriteCommon(*layer.group, CommonFlags(*layer.group));
    WriteLayerArt(*layer.group, depth);
  }

  // A layer group's children, without reading what it left in the old file.
  static std::span<Art* const> Children(const Art& group) {
    if (group.children.Pending()) return group.children.Present();
    return {group.children.begin(), group.children.size()};
  }

  // The layer's art in runs, its sublayers between them; runs it left in
  // the old file are copied from there as they are.
  void WriteLayerArt(const Art& group, size_t depth) {
    const std::span<Art* const> children = Children(group);
    const PendingArt* pending = group.children.Pending();
    const std::span<const PendingArt::Run> left =
        pending ? std::span<const PendingArt::Run>(pending->runs) : std::span<const PendingArt::Run>();
    uint64_t live = 0;
    for (const Art* child : children) live += child->disposed ? 0 : 1;
    for (const PendingArt::Run& copied : left) live += copied.objects;
    Varint(live);
    size_t next = 0;
    for (const PendingArt::Run& copied : left) {
      for (; next < copied.before && next < children.size(); ++next) WriteLayerChild(*children[next], depth);
      CopyRun(copied);
    }
    for (; next < children.size(); ++next) WriteLayerChild(*children[next], depth);
    CloseRun();
  }

  void WriteLayerChild(const Art& child, size_t depth) {
    document->Trim();
    if (child.disposed) return;
    if (child.ownerLayer) {
      CloseRun();
      return WriteArt(child, depth + 1);
    }
    if (!inRun) OpenRun();
    WriteArt(child, depth + 1);
    Tally(child, run, false, depth + 1);
    ++runObjects;
    if (Offset() - artAt >= runBytes) CloseRun();
    // Done with this object: its bytes are out of the document.
  }

  void CopyRun(const PendingArt::Run& copied) {
    CloseRun();
    Byte(static_cast<uint8_t>(PackedArt::run));
    Flush();
    document->lazy.Copy(copied, [this](const char* bytes, size_t count) {
      sink.Write(bytes, count);
      handed += count;
    });
  }

  // A run starts a piece, its tag followed by room for its head.
  void OpenRun() {
    Flush();
    Byte(static_cast<uint8_t>(PackedArt::run));
    headAt = Offset();
    buffer.append(kRunHeadBytes, '\0');
    artAt = Offset();
    inRun = true;
    headHanded = false;
    run = {};
    runObjects = 0;
    // The run starts with empty tables of its own.
    outerTexts = std::move(texts);
    outerByteStrings = std::move(byteStrings);
    outerStyles = std::move(styles);
    texts.clear();
    byteStrings.clear();
    styles.clear();
  }

  // The run's length and summary: padded to kRunHeadBytes when they fill a
  // hole already handed on, else as short as they go.
  std::string RunHead(uint64_t artBytes, bool padded) const {
    const auto put = padded ? PutPaddedVarint : PutVarint;
    std::string summary;
    for (uint64_t count : run.kinds) put(summary, count);
    for (uint64_t count : {run.members, run.segments, run.values, run.textUnits}) put(summary, count);
    summary.append(reinterpret_cast<const char*>(&run.extent), sizeof run.extent);
    put(summary, runObjects);
    put(summary, run.selected);
    std::string head;
    put(head, summary.size() + artBytes);
    return head + summary;
  }

  // Puts the run's length and summary before its art, and forgets what it
  // remembered.
  void CloseRun() {
    if (!inRun) return;
    const uint64_t artBytes = Offset() - artAt;
    if (headHanded) {
      const std::string head = RunHead(artBytes, true);
      sink.Fill(headAt, head.data(), head.size());
    } else {
      buffer.replace(static_cast<size_t>(headAt - handed), kRunHeadBytes, RunHead(artBytes, false));
    }
    inRun = false;
    texts = std::move(outerTexts);
    byteStrings = std::move(outerByteStrings);
    styles = std::move(outerStyles);
  }

  static void Widen(float value, float& extent) { extent = std::max(extent, std::fabs(value)); }

  // What a run's summary says of art: members are the paths of compound paths.
  void Tally(const Art& art, UnreadArt& summary, bool member, size_t depth) const {
    if (depth > kMaxDocumentDepth) TooDeep();
    if (member) {
      ++summary.members;
    } else {
      ++summary.kinds[static_cast<size_t>(PackedKindOf(art.type))];
    }
    if (art.userAttributes & kArtSelected) ++summary.selected;
    summary.segments += art.Segments().size();
    for (size_t i = 0; i < art.Segments().size(); ++i) {
      Widen(art.Segments().Anchor(i).h, summary.extent);
      Widen(art.Segments().Anchor(i).v, summary.extent);
    }
    if (art.type == kTextFrameArt) {
      Widen(art.Extras().text.anchor.h, summary.extent);
      Widen(art.Extras().text.anchor.v, summary.extent);
    }
    PackedCounts counts;
    CountArtText(art, counts);
    if (art.Dict()) CountDictionary(*art.Dict(), counts, 1);
    summary.values += counts.values;
    summary.textUnits += counts.textUnits;
    for (const Art* child : art.children) {
      document->Trim();
      if (!child->disposed) Tally(*child, summary, art.type == kCompoundPathArt, depth + 1);
    }
  }


  static void CountArtText(const Art& art, PackedCounts& counts) {
    counts.textUnits += art.Extras().text.contents.size() + art.Extras().symbolName.size();
    for (const Tag& tag : art.Extras().tags) counts.textUnits += tag.name.size() + tag.type.size() + tag.text.size();
  }

  // Bit for bit: -0 and NaN handles stay what they are.
  static bool SameBits(AIRealPoint a, AIRealPoint b) { return std::memcmp(&a, &b, sizeof a) == 0; }

  void WriteSegments(const PathSegments& segments) {
    Varint(segments.size());
    if (segments.Straight()) {
      for (size_t i = 0; i < segments.size(); ++i) {
        Point(segments.Anchor(i));
        MaybeFlush();
      }
      return;
    }
    for (const AIPathSegment s : segments) {
      const bool line = SameBits(s.in, s.p) && SameBits(s.out, s.p);
      Byte(static_cast<uint8_t>(line ? (s.corner ? PackedSegment::straightCorner : PackedSegment::straightSmooth)
                                      : (s.corner ? PackedSegment::curveCorner : PackedSegment::curveSmooth)));
      Point(s.p);
      if (!line) {
        Point(s.in);
        Point(s.out);
      }
      MaybeFlush();
    }
  }

  void WriteArt(const Art& art, size_t depth) {
    if (depth > kMaxDocumentDepth) TooDeep();
    MaybeFlush();
    if (art.ownerLayer) {
      Byte(static_cast<uint8_t>(PackedArt::layer));
      return WriteLayer(*art.ownerLayer, depth);
    }
    uint32_t flags = CommonFlags(art);
    switch (art.type) {
      case kGroupArt: Byte(static_cast<uint8_t>(PackedArt::group)); break;
      case kPathArt: {
        Byte(static_cast<uint8_t>(PackedArt::path));
        if (art.closed) flags |= kPackedClosed;
        // Anchors alone when every segment is a straight corner.
        if (art.Segments().Straight()) flags |= kPackedStraightCorners;
        WriteCommon(art, flags);
        Style(art.Style());
        return WriteSegments(art.Segments());
      }
      case kCompoundPathArt:
        Byte(static_cast<uint8_t>(PackedArt::compound));
        WriteCommon(art, flags);
        Style(art.Style());
        return WriteChildren(art, depth);
      case kTextFrameArt:
        Byte(static_cast<uint8_t>(PackedArt::text));
        if (art.Extras().text.fillAssigned) flags |= kPackedTextFill;
        if (art.Extras().text.justificationAssigned) flags |= kPackedJustification;
        WriteCommon(art, flags);
        return WriteTextFrame(art.Extras().text);
      case kSymbolArt:
        Byte(static_cast<uint8_t>(PackedArt::symbol));
        WriteCommon(art, flags);
        Bytes(art.Extras().symbolName);
        return Rect(art.Extras().symbolBounds);
      default:
        Byte(static_cast<uint8_t>(PackedArt::other));
        Signed(art.type);
        break;
    }
    WriteCommon(art, flags);
    WriteChildren(art, depth);
  }

  void WriteTextFrame(const TextData& text) {
    Point(text.anchor);
    Signed(text.orientation);
    Signed(text.frameType);
    Text(text.contents);
    Float(text.fontSize);
    if (text.fillAssigned) {
      std::string color;
      Color(color, text.fill);
      buffer.append(color);
    }
    if (text.justificationAssigned) Signed(text.justification);
  }

  // A run's length and summary at their widest: the length, the counts
  // by kind, members, segments, values and text, the extent, the objects
  // and those selected.
  static constexpr size_t kRunHeadBytes =
      (1 + std::tuple_size_v<decltype(UnreadArt::kinds)> + 4 + 2) * kPaddedVarintBytes + sizeof(float);

  const Document* document = nullptr;
  PackSink& sink;
  const std::string& file;
  const size_t runBytes, pieceBytes;
  std::string buffer;
  uint64_t handed = 0;  // bytes given to the sink
  std::string scratch;
  RememberedStrings texts, byteStrings;
  std::unordered_map<StyleKey, uint64_t, StyleKeyHash> styles;
  // The open run: where its head and art start, whether the sink has its
  // head's hole, its summary, its objects and the tables it set aside.
  bool inRun = false;
  uint64_t headAt = 0, artAt = 0;
  bool headHanded = false;
  UnreadArt run;
  uint64_t runObjects = 0;
  RememberedStrings outerTexts, outerByteStrings;
  std::unordered_map<StyleKey, uint64_t, StyleKeyHash> outerStyles;
};

}  // namespace

void WriteDocumentPack(const Document& document, PackSink& sink, const std::string& file, size_t runBytes,
                       size_t pieceBytes) {
  PackWriter(sink, file, runBytes, pieceBytes).WriteDocument(document);
}

}  // namespace sim
