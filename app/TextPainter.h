// Point texts drawn with pango in a Japanese font: the anchor is the
// baseline of the first line, the justification decides which end (or the
// middle) of the line sits on it, and the size is the text's font size.
#pragma once

#include <cairo.h>

#include <memory>
#include <string>

#include "sim/Document.h"

typedef struct _PangoLayout PangoLayout;

namespace kzmap {

// The font every text is set in; fontconfig substitutes another Japanese
// font when it is missing.
inline constexpr const char* kTextFontFamily = "IPAGothic";

class TextPainter {
 public:
  TextPainter();
  ~TextPainter();
  TextPainter(const TextPainter&) = delete;
  TextPainter& operator=(const TextPainter&) = delete;

  // Draws the text with the current source at (x, y), the anchor in cairo's
  // user space (y down).
  void Draw(cairo_t* cr, const sim::TextData& text, double x, double y);

  // The box the text covers around its anchor, y down: false for text that
  // draws nothing.
  bool Extent(const sim::TextData& text, double& left, double& top, double& right, double& bottom);

 private:
  struct Placement {
    double width = 0, height = 0, baseline = 0, shift = 0;
    bool vertical = false;
  };
  // Lays the text out in the layout (made for the output or for measuring).
  Placement Layout(PangoLayout* layout, const sim::TextData& text, const std::string& utf8);
  struct Font;
  std::unique_ptr<Font> font;
};

}  // namespace kzmap
