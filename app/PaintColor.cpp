#include "app/PaintColor.h"

#include <algorithm>
#include <cmath>

namespace kzmap {

namespace {

double Unit(AIReal value) { return std::isfinite(value) ? std::clamp(static_cast<double>(value), 0.0, 1.0) : 0.0; }

}  // namespace

bool ToRgb(const AIColor& color, Rgb& rgb) {
  switch (color.kind) {
    case kGrayColor: {
      const double level = 1 - Unit(color.c.g.gray);
      rgb = Rgb{level, level, level};
      return true;
    }
    case kFourColor: {
      const double white = 1 - Unit(color.c.f.black);
      rgb = Rgb{(1 - Unit(color.c.f.cyan)) * white, (1 - Unit(color.c.f.magenta)) * white,
                (1 - Unit(color.c.f.yellow)) * white};
      return true;
    }
    case kThreeColor:
      rgb = Rgb{Unit(color.c.rgb.red), Unit(color.c.rgb.green), Unit(color.c.rgb.blue)};
      return true;
    default:
      return false;
  }
}

}  // namespace kzmap
