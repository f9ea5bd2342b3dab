// Artboard sizes a new map may have: the ISO A sizes by name, or width and
// height in points ("800x600") or millimetres ("420x297mm").
#pragma once

#include <optional>
#include <string>

namespace kzmap {

struct ArtboardSize {
  double width = 0;   // points
  double height = 0;  // points
};

// Nothing when the text names no size; A sizes are portrait.
std::optional<ArtboardSize> ParseArtboardSize(const std::string& text);

}  // namespace kzmap
