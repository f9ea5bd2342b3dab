// A style file is the user's own JSON: any bytes must either read or be
// refused with a StyleError, and whatever reads gives paints in range.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/RendererStyle.h"

namespace {

bool InRange(const std::optional<double>& value, double low, double high) {
  return !value || (std::isfinite(*value) && *value >= low && *value <= high);
}

bool Colour(const std::optional<std::optional<kzmap::Rgb>>& paint) {
  if (!paint || !paint->has_value()) return true;
  const kzmap::Rgb& rgb = **paint;
  for (double channel : {rgb.red, rgb.green, rgb.blue})
    if (!(channel >= 0 && channel <= 1)) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const kzmap::RendererStyle style = kzmap::RendererStyle::Parse(text, "style.json");
    std::vector<std::string> titles = style.Titles();
    titles.push_back("*none of these*");
    for (const std::string& title : titles) {
      const kzmap::LayerPaint* paint = style.ForLayer(title, nullptr);
      if (!paint) continue;
      if (!InRange(paint->strokeWidth, 0, 1000) || !InRange(paint->opacity, 0, 1) ||
          !InRange(paint->fillOpacity, 0, 1) || !InRange(paint->strokeOpacity, 0, 1) || !Colour(paint->fill) ||
          !Colour(paint->stroke) || !Colour(paint->text))
        std::abort();
    }
  } catch (const kzmap::StyleError&) {
  }
  return 0;
}
