// A small style file that repaints the preview per layer, so that a first
// picture is legible without touching the map: colours and widths as a QGIS
// user sets them, in JSON.
//
//   { "layers": { "区域": { "fill": "#d8ecc8", "stroke": "#3c8c3c", "stroke-width": 0.8 },
//                 "道路": { "stroke": "#c04000", "stroke-width": 1.5, "opacity": 0.8 },
//                 "*":    { "stroke-width": 0.75 } } }
//
// "*" applies to every layer not named. A paint replaces the colour of the
// objects that already have that paint ("none" takes it away); it never
// fills a line.
#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/PaintColor.h"

namespace kzmap {

class StyleError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct LayerPaint {
  // An empty optional leaves the map's own paint; a paint of std::nullopt
  // inside (none) removes it.
  std::optional<std::optional<Rgb>> fill, stroke, text;
  std::optional<double> strokeWidth, fillOpacity, strokeOpacity, opacity;
};

class RendererStyle {
 public:
  // Reads the file; StyleError names the file and what is wrong.
  static RendererStyle Load(const std::string& path);
  static RendererStyle Parse(const std::string& json, const std::string& name);

  // The paint of the layer titled so; else what its parent layer had
  // (inherited), else that of "*"; null when none applies.
  const LayerPaint* ForLayer(const std::string& utf8Title, const LayerPaint* inherited) const;
  // The layer titles the style names ("*" left out).
  std::vector<std::string> Titles() const;

 private:
  std::map<std::string, LayerPaint> layers;
  std::optional<LayerPaint> others;
};

}  // namespace kzmap
