#include "app/PaintColor.h"

#include <algorithm>
#include <cmath>

namespace kzmap {

namespace {

double Unit(AIReal value) { return std::isfinite(value) ? std::clamp(static_cast<double>(value), 0.0, 1.0) : 0.0; }

}  // namespace

std::optional<Rgb> ToRgb(const AIColor& color) {
  switch (color.kind) {
    case kGrayColor: {
      const double level = 1 - Unit(color.c.g.gray);
      return Rgb{level, level, level};
    }
    case kFourColor: {
      const double white = 1 - Unit(color.c.f.black);
      return Rgb{(1 - Unit(color.c.f.cyan)) * white, (1 - Unit(color.c.f.magenta)) * white,
                 (1 - Unit(color.c.f.yellow)) * white};
    }
    case kThreeColor:
      return Rgb{Unit(color.c.rgb.red), Unit(color.c.rgb.green), Unit(color.c.rgb.blue)};
    default:
      return std::nullopt;
  }
}

}  // namespace kzmap
