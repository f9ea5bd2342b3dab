// The document as the host would show it: the artboard as white paper, the
// layers from the bottom up (hidden layers and hidden art left out, guides
// not drawn), paths and compound paths with their fills and strokes, art
// opacity, clipping paths, point texts in a Japanese font and symbol
// instances as the outline of their bounds. The data frame and the
// coordinate markers are the system's bookkeeping and are drawn only when
// asked for. Drawn with cairo into SVG, PNG or PDF; time grows linearly with
// the document's segments.
#pragma once

#include <cairo.h>

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/RendererStyle.h"
#include "app/TextPainter.h"
#include "sim/Document.h"

namespace kzmap {

enum class ImageFormat { Svg, Png, Pdf };

class RenderError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What the picture covers: the artboard, or the artboard and all the art
// drawn, wherever it lies.
enum class RenderExtent { Artboard, Art };

struct RenderOptions {
  double dpi = 72;  // PNG only: pixels per inch (72 gives one pixel per point)
  bool georef = false;  // draw the data frame and coordinate marker layers
  RenderExtent extent = RenderExtent::Artboard;
  const RendererStyle* style = nullptr;  // repaints layers; null keeps the map's own paint
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

  // Width and height of the picture in points.
  double Width() const { return right - left; }
  double Height() const { return top - bottom; }

  // Drawn objects that lie wholly off the artboard, and those that lie
  // partly off it.
  size_t OutsideArtboard() const { return outside; }
  size_t PartlyOutsideArtboard() const { return partlyOutside; }
  // Georeference layers with content that were left out.
  size_t GeorefLayersLeftOut() const { return georefLeftOut; }
  // Style layer titles that name no layer of the map.
  const std::vector<std::string>& UnusedStyleTitles() const { return unusedStyleTitles; }

 private:
  // A box on the artboard, y up.
  struct Box {
    double left = 0, bottom = 0, right = 0, top = 0;
    bool empty = true;
    void Add(double x, double y);
    void Add(const Box& other);
  };
  bool Shown(const sim::Layer& layer) const;
  // Counts what lies off the artboard and widens the art's box.
  void Survey(const sim::Art& art);
  void SurveyLayer(const sim::Layer& layer);
  Box BoundsOf(const sim::Art& art);
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

  double X(double x) const { return x - left; }
  double Y(double y) const { return top - y; }

  const sim::Document& document;
  RenderOptions options;
  // The picture, in artboard coordinates.
  double left = 0, top = 0, right = 0, bottom = 0;
  size_t total = 0, done = 0, reported = 0;
  size_t outside = 0, partlyOutside = 0, georefLeftOut = 0;
  std::vector<std::string> unusedStyleTitles;
  Box artboardBox, artBox;
  const LayerPaint* paint = nullptr;  // the style of the layer being drawn
  TextPainter texts;
};

}  // namespace kzmap
