#include "formats/KmlReader.h"

#include <algorithm>
#include <array>
#include <utility>

#include "formats/KmlCoordinates.h"

namespace {

std::string_view LocalName(std::string_view name) {
  if (name.starts_with("kml:")) name.remove_prefix(4);
  return name;
}

std::string AttributeValue(const std::vector<KmlScanner::Attribute>& attributes, std::string_view name) {
  for (const KmlScanner::Attribute& attribute : attributes) {
    if (attribute.name == name) return attribute.value;
  }
  return {};
}

}  // namespace

KmlReader::Kind KmlReader::KindOf(std::string_view name) {
  static constexpr std::array<std::pair<std::string_view, Kind>, 36> kKinds{{
      {"Document", Kind::Document},
      {"Folder", Kind::Folder},
      {"Placemark", Kind::Placemark},
      {"Style", Kind::Style},
      {"StyleMap", Kind::StyleMap},
      {"Pair", Kind::Pair},
      {"LineStyle", Kind::LineStyle},
      {"PolyStyle", Kind::PolyStyle},
      {"LabelStyle", Kind::LabelStyle},
      {"Point", Kind::Point},
      {"LineString", Kind::LineString},
      {"LinearRing", Kind::LinearRing},
      {"Polygon", Kind::Polygon},
      {"outerBoundaryIs", Kind::OuterBoundary},
      {"innerBoundaryIs", Kind::InnerBoundary},
      {"ExtendedData", Kind::ExtendedData},
      {"SchemaData", Kind::SchemaData},
      {"SimpleData", Kind::SimpleData},
      {"Data", Kind::Data},
      {"value", Kind::Value},
      {"Schema", Kind::Schema},
      {"SimpleField", Kind::SimpleField},
      {"name", Kind::Name},
      {"description", Kind::Description},
      {"styleUrl", Kind::StyleUrl},
      {"coordinates", Kind::Coordinates},
      {"color", Kind::Color},
      {"width", Kind::Width},
      {"fill", Kind::Fill},
      {"outline", Kind::Outline},
      {"key", Kind::Key},
      {"scale", Kind::Scale},
      // Tracks are Google's extension (and plain KML from 2.3 on).
      {"gx:Track", Kind::Track},
      {"Track", Kind::Track},
      {"gx:coord", Kind::TrackCoord},
      {"coord", Kind::TrackCoord},
  }};
  for (const auto& [text, kind] : kKinds) {
    if (text == name) return kind;
  }
  return Kind::Other;
}

bool KmlReader::Feed(std::string_view bytes) {
  if (stopped) return false;
  lines += std::count(bytes.begin(), bytes.end(), '\n');
  scanner.Feed(bytes);
  return !stopped;
}

bool KmlReader::Finish() {
  scanner.Finish();
  truncated = !frames.empty() || overflow > 0;
  overflow = 0;
  if (InPlacemark()) {
    // Cut off: what it holds may be short of points, so it is not drawn.
    ++cutPlacemarks;
    placemark = KmlPlacemark{};
    placemarkFrame = -1;
  }
  while (!frames.empty()) {
    Close(frames.size() - 1);
    frames.pop_back();
  }
  return !stopped;
}

KmlReader::Kind KmlReader::ParentKind(size_t frame) const { return frame == 0 ? Kind::Other : frames[frame - 1].kind; }

bool KmlReader::Wanted(Kind kind, Kind parent) const {
  const bool styling = styleTarget != StyleTarget::None;
  switch (kind) {
    case Kind::Name:
      return parent == Kind::Document || parent == Kind::Folder || parent == Kind::Placemark;
    case Kind::Description:
      return parent == Kind::Placemark;
    case Kind::StyleUrl:
      return parent == Kind::Placemark || parent == Kind::Pair;
    case Kind::Coordinates:
      return InPlacemark() && (parent == Kind::Point || parent == Kind::LineString || parent == Kind::LinearRing);
    case Kind::Color:
      return styling && (parent == Kind::LineStyle || parent == Kind::PolyStyle || parent == Kind::LabelStyle);
    case Kind::Width:
      return styling && parent == Kind::LineStyle;
    case Kind::Fill:
    case Kind::Outline:
      return styling && parent == Kind::PolyStyle;
    case Kind::Scale:
      return styling && parent == Kind::LabelStyle;
    case Kind::Key:
      return parent == Kind::Pair;
    case Kind::SimpleData:
      return InPlacemark() && parent == Kind::SchemaData;
    case Kind::Value:
      return InPlacemark() && parent == Kind::Data;
    case Kind::TrackCoord:
      return InPlacemark() && parent == Kind::Track;
    default:
      return false;
  }
}

void KmlReader::StartTag(std::string_view name, const std::vector<KmlScanner::Attribute>& attributes, bool empty) {
  if (stopped) return;
  if (overflow > 0 || frames.size() >= kMaxDepth) {
    ++deepElements;
    if (!empty) ++overflow;
    return;
  }
  // A plain value cannot hold elements: one that does was left open, and
  // ends here. Only a description may hold markup, read as part of its text.
  if (capturing && frames[captureFrame].kind != Kind::Description) {
    while (frames.size() > captureFrame) {
      Close(frames.size() - 1);
      frames.pop_back();
    }
  }
  const Kind kind = capturing ? Kind::Other : KindOf(LocalName(name));
  // A container's name comes before its contents; anything else first
  // announces the container without one.
  if (!containers.empty() && !containers.back().announced && containers.back().frame + 1 == frames.size() &&
      kind != Kind::Name) {
    Announce({});
  }
  frames.push_back(Frame{std::string(LocalName(name)), kind});
  const size_t frame = frames.size() - 1;
  Open(kind, attributes);
  if (!capturing && Wanted(kind, ParentKind(frame))) {
    capturing = true;
    captureFrame = frame;
    captured.clear();
  }
  if (empty) {
    Close(frame);
    frames.pop_back();
  }
}

void KmlReader::Open(Kind kind, const std::vector<KmlScanner::Attribute>& attributes) {
  const size_t frame = frames.size() - 1;
  const Kind parent = ParentKind(frame);
  switch (kind) {
    case Kind::Document:
    case Kind::Folder:
      if (InPlacemark()) {
        frames.back().kind = Kind::Other;  // not a container inside a placemark
        return;
      }
      containers.push_back(
          Container{frame, kind == Kind::Document ? KmlContainerKind::Document : KmlContainerKind::Folder, false});
      return;
    case Kind::Placemark:
      if (InPlacemark()) EmitPlacemark();  // one left open: it ends where the next begins
      placemark = KmlPlacemark{};
      placemarkFrame = static_cast<int64_t>(frame);
      return;
    case Kind::Style:
      if (styleTarget != StyleTarget::None) return;
      styleId.clear();
      if (parent == Kind::Pair) {
        styleTarget = StyleTarget::Pair;
      } else if (InPlacemark()) {
        styleTarget = StyleTarget::Inline;
      } else {
        styleId = AttributeValue(attributes, "id");
        if (styleId.empty()) return;  // a shared style nobody can name
        styleTarget = StyleTarget::Shared;
      }
      style = KmlStyle{};
      styleFrame = frame;
      return;
    case Kind::StyleMap:
      mapFrame = static_cast<int64_t>(frame);
      mapInline = InPlacemark();
      mapId = AttributeValue(attributes, "id");
      mapNormal.clear();
      if (!mapInline && mapId.empty()) mapFrame = -1;
      return;
    case Kind::Pair:
      pairKey.clear();
      pairUrl.clear();
      pairHasStyle = false;
      return;
    case Kind::Polygon:
      if (!InPlacemark()) return;
      frames.back().polygon = static_cast<int32_t>(placemark.polygons.size());
      placemark.polygons.emplace_back();
      return;
    case Kind::SimpleData:
    case Kind::Data:
      dataName = AttributeValue(attributes, "name");
      return;
    case Kind::Track:
      if (!InPlacemark()) return;
      trackFrame = static_cast<int64_t>(frame);
      track.clear();
      return;
    case Kind::SimpleField:
      if (parent == Kind::Schema) sink.SchemaField(AttributeValue(attributes, "name"), AttributeValue(attributes, "type"));
      return;
    default:
      return;
  }
}

void KmlReader::EndTag(std::string_view name) {
  if (stopped) return;
  if (overflow > 0) {
    --overflow;
    return;
  }
  // The end tag closes the nearest open element of its name and everything
  // left open inside it; an end tag that matches nothing is dropped.
  const std::string_view local = LocalName(name);
  size_t match = frames.size();
  while (match > 0 && frames[match - 1].name != local) --match;
  if (match == 0) return;
  while (frames.size() >= match) {
    Close(frames.size() - 1);
    frames.pop_back();
  }
}

void KmlReader::Text(std::string_view text) {
  if (capturing && !stopped) captured.append(text);
}

void KmlReader::Close(size_t frame) {
  const Kind kind = frames[frame].kind;
  const Kind parent = ParentKind(frame);
  if (capturing && captureFrame == frame) {
    capturing = false;
    if (kind == Kind::Coordinates) {
      CloseCoordinates(frame, captured);
    } else {
      CloseValue(kind, parent, captured);
    }
    captured.clear();
    captured.shrink_to_fit();
  }
  switch (kind) {
    case Kind::Document:
    case Kind::Folder:
      if (containers.empty() || containers.back().frame != frame) return;
      if (!containers.back().announced) Announce({});
      if (!stopped && !sink.EndContainer()) Stop();
      containers.pop_back();
      return;
    case Kind::Placemark:
      if (placemarkFrame == static_cast<int64_t>(frame)) EmitPlacemark();
      return;
    case Kind::Style:
      if (styleTarget == StyleTarget::None || styleFrame != frame) return;
      if (styleTarget == StyleTarget::Shared) styles.AddStyle(styleId, style);
      if (styleTarget == StyleTarget::Inline && InPlacemark()) placemark.inlineStyle = style;
      if (styleTarget == StyleTarget::Pair) {
        pairHasStyle = true;
        pairStyle = style;
      }
      styleTarget = StyleTarget::None;
      return;
    case Kind::Pair:
      ClosePair();
      return;
    case Kind::Track:
      if (trackFrame != static_cast<int64_t>(frame)) return;
      trackFrame = -1;
      if (InPlacemark() && !track.empty()) placemark.lines.push_back(std::move(track));
      track.clear();
      return;
    case Kind::StyleMap:
      if (mapFrame != static_cast<int64_t>(frame)) return;
      mapFrame = -1;
      if (!mapInline) {
        styles.AddMap(mapId, mapNormal);
      } else if (InPlacemark() && placemark.styleUrl.empty() && !mapNormal.empty()) {
        placemark.styleUrl = "#" + mapNormal;
      }
      return;
    default:
      return;
  }
}

void KmlReader::ClosePair() {
  if (mapFrame < 0 || TrimKmlSpace(pairKey) != "normal") return;
  if (!pairUrl.empty()) {
    mapNormal = KmlStyleId(pairUrl);
    return;
  }
  if (!pairHasStyle) return;
  if (mapInline) {
    if (InPlacemark()) placemark.inlineStyle = pairStyle;
    return;
  }
  // A style written inside the pair; no style URL can name this id.
  mapNormal = mapId + "#normal";
  styles.AddStyle(mapNormal, pairStyle);
}

void KmlReader::CloseValue(Kind kind, Kind parent, std::string& value) {
  switch (kind) {
    case Kind::Name:
      if (parent == Kind::Placemark) {
        placemark.name = TrimKmlSpace(value);
      } else if (!containers.empty() && !containers.back().announced &&
                 containers.back().frame + 2 == frames.size()) {
        Announce(std::string(TrimKmlSpace(value)));
      }
      return;
    case Kind::Description:
      placemark.description = std::move(value);
      return;
    case Kind::StyleUrl:
      if (parent == Kind::Placemark) placemark.styleUrl = TrimKmlSpace(value);
      else pairUrl = TrimKmlSpace(value);
      return;
    case Kind::Key:
      pairKey = value;
      return;
    case Kind::SimpleData:
    case Kind::Value:
      placemark.data.emplace_back(dataName, std::move(value));
      return;
    case Kind::TrackCoord: {
      // "lon lat alt" with spaces between: one tuple once the spaces are commas.
      std::string tuple;
      bool gap = false;
      for (const char c : TrimKmlSpace(value)) {
        const bool space = c == ' ' || c == '\t' || c == '\r' || c == '\n';
        if (!space && gap) tuple += ',';
        if (!space) tuple += c;
        gap = space;
      }
      if (trackFrame >= 0) placemark.badTuples += ParseKmlCoordinates(tuple, track);
      return;
    }
    default:
      CloseStyleValue(kind, parent, value);
      return;
  }
}

void KmlReader::CloseStyleValue(Kind kind, Kind parent, std::string_view value) {
  switch (kind) {
    case Kind::Color: {
      const std::optional<KmlColor> color = ParseKmlColor(value);
      if (!color) return;
      if (parent == Kind::LineStyle) style.lineColor = color;
      if (parent == Kind::PolyStyle) style.polyColor = color;
      if (parent == Kind::LabelStyle) style.labelColor = color;
      return;
    }
    case Kind::Width: {
      const std::optional<double> width = ParseKmlNumber(value);
      if (width && *width >= 0) style.lineWidth = width;
      return;
    }
    case Kind::Fill:
      if (const std::optional<bool> on = ParseKmlBoolean(value)) style.fill = on;
      return;
    case Kind::Outline:
      if (const std::optional<bool> on = ParseKmlBoolean(value)) style.outline = on;
      return;
    case Kind::Scale:
      if (const std::optional<double> scale = ParseKmlNumber(value)) style.labelScale = scale;
      return;
    default:
      return;
  }
}

void KmlReader::CloseCoordinates(size_t frame, std::string& value) {
  const Kind parent = ParentKind(frame);
  ShapePart part;
  placemark.badTuples += ParseKmlCoordinates(value, part);
  if (part.empty()) return;
  if (parent == Kind::Point) {
    placemark.points.push_back(part.front());
    return;
  }
  if (parent == Kind::LineString) {
    placemark.lines.push_back(std::move(part));
    return;
  }
  // A ring: the outer or an inner boundary of the nearest polygon, or a
  // closed shape of its own.
  const Kind boundary = frame >= 2 ? frames[frame - 2].kind : Kind::Other;
  int32_t polygon = -1;
  if (boundary == Kind::OuterBoundary || boundary == Kind::InnerBoundary) {
    // Only a polygon of this placemark: one left open from a broken placemark does not count.
    for (size_t i = frame - 2; i-- > static_cast<size_t>(placemarkFrame + 1) && polygon < 0;) {
      polygon = frames[i].polygon;
    }
  }
  if (polygon >= static_cast<int32_t>(placemark.polygons.size())) polygon = -1;
  if (polygon < 0) {
    placemark.polygons.push_back(KmlPolygon{std::move(part), {}});
    return;
  }
  KmlPolygon& target = placemark.polygons[static_cast<size_t>(polygon)];
  if (boundary == Kind::InnerBoundary) {
    target.inners.push_back(std::move(part));
  } else if (target.outer.empty()) {
    target.outer = std::move(part);
  } else {
    target.inners.push_back(std::move(part));  // a second outer boundary: kept, not dropped
  }
}

void KmlReader::Announce(const std::string& name) {
  containers.back().announced = true;
  if (!stopped && !sink.BeginContainer(containers.back().kind, name)) Stop();
}

void KmlReader::EmitPlacemark() {
  trackFrame = -1;
  track.clear();
  if (!stopped && !sink.Placemark(placemark)) Stop();
  placemark = KmlPlacemark{};
  placemarkFrame = -1;
}
