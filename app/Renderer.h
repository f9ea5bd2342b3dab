// The document as the host would show it: the artboard as white paper, the
// layers from the bottom up (hidden layers and hidden art left out, guides
// not drawn), paths and compound paths with their fills and strokes, art
// opacity, clipping paths, point texts in a Japanese font and symbol
// instances as the outline of their bounds. Drawn with cairo into SVG, PNG
// or PDF; time grows linearly with the document's segments.
#pragma once

#include <cairo.h>

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>

#include "sim/Document.h"

namespace kzmap {

enum class ImageFormat { Svg, Png, Pdf };

class RenderError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct RenderOptions {
  double dpi = 72;  // PNG only: pixels per inch (72 gives one pixel per point)
  // Called now and then with the work done and the whole work (segments and texts).
  std::function<void(size_t done, size_t total)> progress;
};

// Gives back what pango, cairo and fontconfig keep for the life of the
// process (fonts, patterns), so that a program can end with nothing held.
void ReleaseRenderCaches();

// The format named by the file's extension (.svg, .png, .pdf, any case).
bool ImageFormatOfPath(const std::string& path, ImageFormat& format);

class Renderer {
 public:
  Renderer(const sim::Document& document, RenderOptions options = {});

  // Writes the picture; RenderError names the file and the problem.
  void RenderToFile(const std::string& path, ImageFormat format);

  // Draws onto cr, whose user space is the artboard in points with y down
  // and (0, 0) at its top left.
  void Draw(cairo_t* cr);

  // Width and height of the artboard in points.
  double Width() const;
  double Height() const;

 private:
  void DrawLayer(cairo_t* cr, const sim::Layer& layer);
  void DrawContents(cairo_t* cr, const sim::Art& container);
  void DrawArt(cairo_t* cr, const sim::Art& art);
  void DrawPainted(cairo_t* cr, const sim::Art& art);
  void DrawPath(cairo_t* cr, const sim::Art& art, const AIPathStyle& style, double alpha);
  void DrawText(cairo_t* cr, const sim::Art& art);
  void DrawSymbol(cairo_t* cr, const sim::Art& art);
  // Adds the outline of a path, or of every member of a compound path;
  // false when a coordinate is not a finite number.
  bool AddOutline(cairo_t* cr, const sim::Art& art);
  bool AddSegments(cairo_t* cr, const sim::Art& path);
  void Advance(size_t work);

  double X(AIReal x) const { return static_cast<double>(x) - left; }
  double Y(AIReal y) const { return top - static_cast<double>(y); }

  const sim::Document& document;
  RenderOptions options;
  double left = 0, top = 0;
  size_t total = 0, done = 0, reported = 0;
  class TextPainter* texts = nullptr;
};

}  // namespace kzmap
