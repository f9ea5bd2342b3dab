// Path data, transform lists, points lists and style texts come from files
// that any program or person may have written: any bytes must read cleanly,
// and whatever reads must hold only finite numbers.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/SvgGeometry.h"
#include "sim/SvgStyle.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool Unit(double v) { return v >= 0 && v <= 1; }

void CheckPaint(const std::optional<sim::svg::Paint>& paint) {
  if (paint && paint->kind == sim::svg::Paint::Kind::Color) Check(Unit(paint->red) && Unit(paint->green) && Unit(paint->blue));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string problem;

  std::vector<sim::svg::Subpath> subpaths;
  const bool pathOk = sim::svg::ParsePathData(text, subpaths, problem);
  Check(pathOk == problem.empty());
  Check(sim::svg::AllFinite(subpaths));
  size_t pieces = 0;
  for (const auto& sub : subpaths) pieces += sub.pieces.size();
  // An arc, the most a command gives, is at most four pieces.
  Check(pieces <= 4 * size);

  sim::svg::Matrix matrix;
  if (sim::svg::ParseTransform(text, matrix, problem)) {
    for (double v : {matrix.a, matrix.b, matrix.c, matrix.d, matrix.e, matrix.f}) Check(std::isfinite(v));
    sim::svg::Transform(subpaths, matrix);
  } else {
    Check(matrix.IsIdentity() && !problem.empty());
  }

  std::vector<sim::svg::Point> points;
  sim::svg::ParsePoints(text, points, problem);
  for (const auto& p : points) Check(std::isfinite(p.x) && std::isfinite(p.y));
  Check(sim::svg::AllFinite(sim::svg::PolylinePath(points, true)));
  if (points.size() >= 3) {
    Check(sim::svg::AllFinite(
        sim::svg::RectPath(points[0].x, points[0].y, points[1].x, points[1].y, points[2].x, points[2].y)));
    Check(sim::svg::AllFinite(sim::svg::EllipsePath(points[0].x, points[0].y, points[1].x, points[1].y)));
  }

  const std::string value(text);
  const sim::svg::Style own = sim::svg::ElementStyle({{"fill", value}, {"stroke-width", value}, {"style", value}});
  const sim::svg::Style computed = sim::svg::Inherit(own, own);
  for (const auto& style : {own, computed}) {
    CheckPaint(style.fill);
    CheckPaint(style.stroke);
    CheckPaint(style.color);
    for (const auto& opacity : {style.opacity, style.fillOpacity, style.strokeOpacity}) Check(!opacity || Unit(*opacity));
    for (const auto& length : {style.strokeWidth, style.miterLimit, style.dashOffset, style.fontSize})
      Check(!length || std::isfinite(*length));
    if (style.dashArray) {
      for (double dash : *style.dashArray) Check(std::isfinite(dash) && dash >= 0);
    }
  }
  double red = -1, green = -1, blue = -1;
  if (sim::svg::ParseColor(text, red, green, blue)) Check(Unit(red) && Unit(green) && Unit(blue));
  double length = 0;
  if (sim::svg::ParseLength(text, length, 16)) Check(std::isfinite(length));
  if (sim::svg::ParseLengthOrPercent(text, length, 1e300)) Check(std::isfinite(length));
  return 0;
}
