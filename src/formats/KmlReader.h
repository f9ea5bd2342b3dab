// KmlReader: turns the bytes of a KML file into documents and folders,
// placemarks with their geometry, names, descriptions and extended data, and
// the file's shared styles. It reads the elements, not the line layout, so a
// file written on one line, in GDAL's layout or in Google Earth's reads the
// same; it takes the file in pieces, keeps one placemark at a time, and ends
// at the end of the input whatever is left open.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/KmlRecords.h"
#include "formats/KmlScanner.h"
#include "formats/KmlStyleTable.h"

// Receives what the reader finds, in file order. A false answer stops the
// reading (a cancel or a failure of the receiver).
class KmlSink {
 public:
  virtual ~KmlSink() = default;
  // A Document or Folder, with its name when the name comes before its
  // other contents (as writers put it), else empty.
  virtual bool BeginContainer(KmlContainerKind kind, const std::string& name) { return true; }
  virtual bool EndContainer() { return true; }
  virtual bool Placemark(const KmlPlacemark& placemark) { return true; }
  // A field declared by a Schema element, with its type as written.
  virtual void SchemaField(const std::string& name, const std::string& type) {}
};

class KmlReader : private KmlScanner::Handler {
 public:
  // Elements nested deeper than this are read over and count for nothing.
  static constexpr size_t kMaxDepth = 256;

  explicit KmlReader(KmlSink& sink) : sink(sink), scanner(*this) {}

  // False once the sink has stopped the reading.
  bool Feed(std::string_view bytes);
  // The end of the input: every element still open is closed. A placemark
  // cut off by the end of the file is not handed out (its geometry may be
  // short of points): it is counted in CutPlacemarks.
  bool Finish();

  bool Stopped() const { return stopped; }
  // After Finish: whether the input ended with elements still open (a file
  // cut short), the line it ended on, and the placemarks left out for it.
  bool Truncated() const { return truncated; }
  int64_t EndLine() const { return lines; }
  int64_t CutPlacemarks() const { return cutPlacemarks; }
  // Elements read over because they lie deeper than kMaxDepth.
  int64_t DeepElements() const { return deepElements; }
  // Styles and style maps met so far.
  const KmlStyleTable& Styles() const { return styles; }

 private:
  enum class Kind : uint8_t {
    Other,
    Document,
    Folder,
    Placemark,
    Style,
    StyleMap,
    Pair,
    LineStyle,
    PolyStyle,
    LabelStyle,
    Point,
    LineString,
    LinearRing,
    Polygon,
    OuterBoundary,
    InnerBoundary,
    ExtendedData,
    SchemaData,
    SimpleData,
    Data,
    Value,
    Schema,
    SimpleField,
    Name,
    Description,
    StyleUrl,
    Coordinates,
    Color,
    Width,
    Fill,
    Outline,
    Key,
    Scale,
    Track,
    TrackCoord,
  };

  struct Frame {
    std::string name;
    Kind kind = Kind::Other;
    int32_t polygon = -1;  // for a Polygon: its index in the placemark
  };

  struct Container {
    size_t frame = 0;
    KmlContainerKind kind = KmlContainerKind::Folder;
    bool announced = false;
  };

  enum class StyleTarget : uint8_t { None, Shared, Inline, Pair };

  void StartTag(std::string_view name, const std::vector<KmlScanner::Attribute>& attributes, bool empty) override;
  void EndTag(std::string_view name) override;
  void Text(std::string_view text) override;

  static Kind KindOf(std::string_view name);
  Kind ParentKind(size_t frame) const;
  bool InPlacemark() const { return placemarkFrame >= 0; }
  bool Wanted(Kind kind, Kind parent) const;
  void Open(Kind kind, const std::vector<KmlScanner::Attribute>& attributes);
  void Close(size_t frame);
  void CloseValue(Kind kind, Kind parent, std::string& value);
  void CloseCoordinates(size_t frame, std::string& value);
  void CloseStyleValue(Kind kind, Kind parent, std::string_view value);
  void ClosePair();
  void Announce(const std::string& name);
  void EmitPlacemark();
  void Stop() { stopped = true; }

  KmlSink& sink;
  KmlScanner scanner;
  KmlStyleTable styles;
  bool stopped = false;
  bool truncated = false;
  int64_t lines = 1;
  int64_t cutPlacemarks = 0;
  int64_t deepElements = 0;

  std::vector<Frame> frames;
  size_t overflow = 0;  // elements open beyond kMaxDepth
  std::vector<Container> containers;

  // The text of the element being read, when it is one that matters.
  bool capturing = false;
  size_t captureFrame = 0;
  std::string captured;

  int64_t placemarkFrame = -1;
  KmlPlacemark placemark;
  std::string dataName;
  // A gx:Track being read: its gx:coord points, drawn as one line.
  int64_t trackFrame = -1;
  ShapePart track;

  StyleTarget styleTarget = StyleTarget::None;
  size_t styleFrame = 0;
  std::string styleId;
  KmlStyle style;

  int64_t mapFrame = -1;
  bool mapInline = false;  // a style map written inside a placemark
  std::string mapId;
  std::string mapNormal;
  std::string pairKey;
  std::string pairUrl;
  bool pairHasStyle = false;
  KmlStyle pairStyle;
};
