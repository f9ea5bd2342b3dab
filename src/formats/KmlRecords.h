// What the KML reader hands out: styles, placemarks with their geometry and
// data, in the file's own coordinates (x longitude, y latitude, degrees).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "formats/ShapePolyRecord.h"

// A KML colour, aabbggrr, each component 0.0-1.0.
struct KmlColor {
  double alpha = 1.0;
  double blue = 0.0;
  double green = 0.0;
  double red = 0.0;
  bool operator==(const KmlColor&) const = default;
};

// One Style element; each part is there only when the file gave it.
struct KmlStyle {
  std::optional<KmlColor> lineColor;
  std::optional<double> lineWidth;
  std::optional<KmlColor> polyColor;
  std::optional<bool> fill;
  std::optional<bool> outline;
  std::optional<KmlColor> labelColor;
  std::optional<double> labelScale;
  bool operator==(const KmlStyle&) const = default;
};

// An outer boundary and its holes.
struct KmlPolygon {
  ShapePart outer;
  std::vector<ShapePart> inners;
};

struct KmlPlacemark {
  std::string name;         // UTF-8, entities decoded
  std::string description;  // UTF-8, entities decoded, CDATA as written
  std::string styleUrl;     // as written
  std::optional<KmlStyle> inlineStyle;
  std::vector<ShapePoint> points;
  std::vector<ShapePart> lines;
  std::vector<KmlPolygon> polygons;
  // ExtendedData values by name, in the order given.
  std::vector<std::pair<std::string, std::string>> data;
  // Coordinate tuples that were not two numbers, left out.
  int64_t badTuples = 0;

  bool HasGeometry() const { return !points.empty() || !lines.empty() || !polygons.empty(); }
};

enum class KmlContainerKind : int32_t { Document, Folder };
