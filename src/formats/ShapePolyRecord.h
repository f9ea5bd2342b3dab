// Records of a Shapefile's main file, as the reader hands them out and the
// writer takes them.
#pragma once

#include <cstdint>
#include <vector>

struct ShapePoint {
  double x = 0;
  double y = 0;
  bool operator==(const ShapePoint&) const = default;
};

using ShapePart = std::vector<ShapePoint>;

enum ShapeType : int32_t {
  kShapeNull = 0,
  kShapePoint = 1,
  kShapePolyLine = 3,
  kShapePolygon = 5,
  kShapeMultiPoint = 8,
  kShapePointZ = 11,
  kShapePolyLineZ = 13,
  kShapePolygonZ = 15,
  kShapeMultiPointZ = 18,
  kShapePointM = 21,
  kShapePolyLineM = 23,
  kShapePolygonM = 25,
  kShapeMultiPointM = 28,
  kShapeMultiPatch = 31,
};

struct ShapeRecordHeader {
  int32_t recordNumber = 0;
  int32_t contentLength = 0;  // in 16-bit words, the shape type included
  int32_t shapeType = 0;
};

struct ShapePolyRecord {
  double xmin = 0;
  double ymin = 0;
  double xmax = 0;
  double ymax = 0;
  int32_t partCount = 0;
  int32_t pointCount = 0;
  std::vector<int32_t> partStarts;
  std::vector<ShapePart> parts;
};
