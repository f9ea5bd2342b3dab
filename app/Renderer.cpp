#include "app/Renderer.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cctype>
#include <cmath>
#include <memory>

#include "app/PaintColor.h"
#include "formats/PartFile.h"
#include "georef/GeorefLayers.h"
#include "sim/TextCodec.h"

namespace kzmap {

namespace {

// Pixels on either side of a PNG; cairo draws no larger images.
constexpr double kMaxPixels = 32767;

struct SurfaceDeleter {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextDeleter {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using ContextPtr = std::unique_ptr<cairo_t, ContextDeleter>;

bool Hidden(const sim::Art& art) { return art.disposed || (art.userAttributes & kArtHidden) || art.guide; }

bool IsPainted(const sim::Art& art) { return art.type == kPathArt || art.type == kCompoundPathArt; }

// The style the host reports: a compound path reads as its topmost path.
const AIPathStyle& StyleOf(const sim::Art& art) {
  if (art.type == kCompoundPathArt && !art.children.empty()) return art.children.front()->Style();
  return art.Style();
}

void SetSource(cairo_t* cr, const Rgb& rgb, double alpha = 1) {
  if (alpha < 1) return cairo_set_source_rgba(cr, rgb.red, rgb.green, rgb.blue, alpha);
  cairo_set_source_rgb(cr, rgb.red, rgb.green, rgb.blue);
}

cairo_line_cap_t Cap(AILineCap cap) {
  return cap == 1 ? CAIRO_LINE_CAP_ROUND : cap == 2 ? CAIRO_LINE_CAP_SQUARE : CAIRO_LINE_CAP_BUTT;
}

cairo_line_join_t Join(AILineJoin join) {
  return join == 1 ? CAIRO_LINE_JOIN_ROUND : join == 2 ? CAIRO_LINE_JOIN_BEVEL : CAIRO_LINE_JOIN_MITER;
}

// A dash pattern cairo accepts: lengths finite and not negative, not all zero.
void SetDash(cairo_t* cr, const AIDashStyle& dash) {
  const int count = std::clamp<int>(dash.length, 0, kMaxDashComponents);
  double lengths[kMaxDashComponents];
  double sum = 0;
  for (int i = 0; i < count; ++i) {
    lengths[i] = dash.array[i];
    if (!std::isfinite(lengths[i]) || lengths[i] < 0) return cairo_set_dash(cr, nullptr, 0, 0);
    sum += lengths[i];
  }
  if (count == 0 || !(sum > 0)) return cairo_set_dash(cr, nullptr, 0, 0);
  cairo_set_dash(cr, lengths, count, std::isfinite(dash.offset) ? dash.offset : 0);
}

bool IsGeorefTitle(const std::string& title) {
  if (title == kDataFrameLayerTitle) return true;
  for (const char* marker : kFourPointMarkerTitles)
    if (title == marker) return true;
  for (const char* marker : kThreePointMarkerTitles)
    if (title == marker) return true;
  return false;
}

bool HasContent(const sim::Art& group) {
  return std::any_of(group.children.begin(), group.children.end(), [](const sim::Art* child) { return !child->disposed; });
}

// Walks of the art are safe points: a big map's bodies come and go.
size_t Work(const sim::Document& document, const sim::Art& art) {
  size_t work = art.type == kPathArt ? art.Segments().size() : art.type == kTextFrameArt ? 1 : 0;
  for (const sim::Art* child : art.children) {
    document.Trim();
    work += Work(document, *child);
  }
  return work;
}

// Where cairo's output goes: the temporary file, its first failure kept.
struct StreamSink {
  PartFile* file;
  static cairo_status_t Write(void* closure, const unsigned char* data, unsigned int length) {
    PartFile& file = *static_cast<StreamSink*>(closure)->file;
    if (!file.Problem().empty()) return CAIRO_STATUS_WRITE_ERROR;
    if (std::fwrite(data, 1, length, file.Stream()) == length) return CAIRO_STATUS_SUCCESS;
    file.Fail(errno);
    return CAIRO_STATUS_WRITE_ERROR;
  }
};

void Check(cairo_status_t status, const std::string& path, const StreamSink& sink) {
  if (status == CAIRO_STATUS_SUCCESS) return;
  // A write error says more with the system's reason.
  if (!sink.file->Problem().empty()) throw RenderError(sink.file->Problem());
  throw RenderError(path + ": " + cairo_status_to_string(status));
}

}  // namespace

// fontconfig keeps its configuration for the life of the process; it may
// only be freed (FcFini, cairo's debug reset) once pango let go of every
// font, which it never says. Leak checkers are told so instead.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_options() {
  return "print_suppressions=0";
}

void ReleaseRenderCaches() {
  // Only the font map: cairo's and fontconfig's debug resets may run only
  // once every font is gone, and pango keeps scaled fonts past this point.
  pango_cairo_font_map_set_default(nullptr);
}

bool ImageFormatOfPath(const std::string& path, ImageFormat& format) {
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return false;
  std::string extension = path.substr(dot + 1);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (extension == "svg") format = ImageFormat::Svg;
  else if (extension == "png") format = ImageFormat::Png;
  else if (extension == "pdf") format = ImageFormat::Pdf;
  else return false;
  return true;
}

void Renderer::Box::Add(double x, double y) {
  if (!std::isfinite(x) || !std::isfinite(y)) return;
  if (empty) {
    left = right = x;
    top = bottom = y;
    empty = false;
    return;
  }
  left = std::min(left, x);
  right = std::max(right, x);
  bottom = std::min(bottom, y);
  top = std::max(top, y);
}

void Renderer::Box::Add(const Box& other) {
  if (other.empty) return;
  Add(other.left, other.bottom);
  Add(other.right, other.top);
}

Renderer::Renderer(const sim::Document& document, RenderOptions options)
    : document(document), options(std::move(options)) {
  artboardBox.Add(document.bounds.left, document.bounds.bottom);
  artboardBox.Add(document.bounds.right, document.bounds.top);
  left = document.bounds.left;
  top = document.bounds.top;
  right = document.bounds.right;
  bottom = document.bounds.bottom;
  for (const sim::Layer* layer : document.layers) SurveyLayer(*layer);
  if (this->options.extent == RenderExtent::Art && !artBox.empty && !artboardBox.empty) {
    Box picture = artboardBox;
    picture.Add(artBox);
    left = picture.left;
    top = picture.top;
    right = picture.right;
    bottom = picture.bottom;
  }
  if (this->options.style) {
    for (const std::string& title : this->options.style->Titles()) {
      const std::u16string units = sim::Utf8ToUtf16(title);
      const std::vector<sim::Layer*> all = document.AllLayers();
      if (std::none_of(all.begin(), all.end(), [&](const sim::Layer* layer) { return layer->title == units; }))
        unusedStyleTitles.push_back(title);
    }
  }
}

bool Renderer::Shown(const sim::Layer& layer) const {
  if (!layer.visible || layer.deleted) return false;
  return options.georef || !IsGeorefTitle(sim::Utf16ToUtf8(layer.title));
}

void Renderer::SurveyLayer(const sim::Layer& layer) {
  if (layer.deleted || !layer.visible) return;
  if (!Shown(layer)) {
    georefLeftOut += HasContent(*layer.group);
    return;
  }
  Survey(*layer.group);
}

void Renderer::Survey(const sim::Art& art) {
  if (Hidden(art)) return;
  if (art.type == kGroupArt) {
    for (const sim::Art* child : art.children) {
      document.Trim();
      if (child->ownerLayer) SurveyLayer(*child->ownerLayer);
      else if (!(child->clip && IsPainted(*child))) Survey(*child);
    }
    return;
  }
  const Box box = BoundsOf(art);
  if (box.empty) return;
  artBox.Add(box);
  const bool off = box.right < artboardBox.left || box.left > artboardBox.right || box.top < artboardBox.bottom ||
                   box.bottom > artboardBox.top;
  const bool within = box.left >= artboardBox.left && box.right <= artboardBox.right &&
                      box.bottom >= artboardBox.bottom && box.top <= artboardBox.top;
  if (off) ++outside;
  else if (!within) ++partlyOutside;
}

Renderer::Box Renderer::BoundsOf(const sim::Art& art) {
  Box box;
  switch (art.type) {
    case kPathArt: {
      if (art.Segments().size() < 2) break;
      for (const AIPathSegment& s : art.Segments())
        for (const AIRealPoint& p : {s.p, s.in, s.out}) box.Add(p.h, p.v);
      const AIPathStyle& style = art.Style();
      const double half = style.strokePaint && std::isfinite(style.stroke.width) && style.stroke.width > 0
                              ? static_cast<double>(style.stroke.width) / 2
                              : 0;
      if (!box.empty && half > 0) {
        box.Add(box.left - half, box.bottom - half);
        box.Add(box.right + half, box.top + half);
      }
      break;
    }
    case kCompoundPathArt:
      for (const sim::Art* member : art.children)
        if (member->type == kPathArt && !member->disposed) box.Add(BoundsOf(*member));
      break;
    case kTextFrameArt: {
      double l = 0, t = 0, r = 0, b = 0;
      if (!texts.Extent(art.Extras().text, l, t, r, b)) break;
      // The extent is y down; the artboard is y up.
      box.Add(art.Extras().text.anchor.h + l, art.Extras().text.anchor.v - t);
      box.Add(art.Extras().text.anchor.h + r, art.Extras().text.anchor.v - b);
      break;
    }
    case kSymbolArt:
      box.Add(art.Extras().symbolBounds.left, art.Extras().symbolBounds.bottom);
      box.Add(art.Extras().symbolBounds.right, art.Extras().symbolBounds.top);
      break;
    default:
      break;
  }
  return box;
}

void Renderer::RenderToFile(const std::string& path, ImageFormat format) {
  const double width = Width(), height = Height();
  if (!(width > 0 && height > 0 && std::isfinite(width) && std::isfinite(height)))
    throw RenderError(path + ": the artboard has no area");
  // The picture goes to a temporary file that takes the name only when
  // whole: a failed render leaves an earlier picture as it was.
  PartFile file;
  if (!file.Create(path)) throw RenderError(file.Problem());
  StreamSink sink{&file};
  SurfacePtr surface;
  double scale = 1;
  switch (format) {
    case ImageFormat::Svg:
      surface.reset(cairo_svg_surface_create_for_stream(&StreamSink::Write, &sink, width, height));
      break;
    case ImageFormat::Pdf:
      surface.reset(cairo_pdf_surface_create_for_stream(&StreamSink::Write, &sink, width, height));
      break;
    case ImageFormat::Png: {
      if (!(options.dpi > 0 && std::isfinite(options.dpi))) throw RenderError(path + ": the resolution must be positive");
      scale = options.dpi / 72;
      const double pixelsWide = std::ceil(width * scale), pixelsHigh = std::ceil(height * scale);
      if (pixelsWide > kMaxPixels || pixelsHigh > kMaxPixels)
        throw RenderError(path + ": " + std::to_string(static_cast<long long>(pixelsWide)) + " × " +
                          std::to_string(static_cast<long long>(pixelsHigh)) +
                          " pixels is larger than a PNG can be drawn (32767 on a side); lower --dpi" +
                          (options.extent == RenderExtent::Art ? " or leave out --extent art" : ""));
      surface.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(pixelsWide),
                                               static_cast<int>(pixelsHigh)));
      break;
    }
  }
  Check(cairo_surface_status(surface.get()), path, sink);
  {
    ContextPtr cr(cairo_create(surface.get()));
    // The last row and column of pixels reach past the picture's edge: white
    // as the paper, so that the PNG is opaque (RGB, a quarter smaller and
    // quicker to compress than RGBA with a half-transparent edge).
    if (format == ImageFormat::Png) {
      cairo_set_source_rgb(cr.get(), 1, 1, 1);
      cairo_paint(cr.get());
    }
    cairo_scale(cr.get(), scale, scale);
    Draw(cr.get());
    Check(cairo_status(cr.get()), path, sink);
  }
  if (format == ImageFormat::Png)
    Check(cairo_surface_write_to_png_stream(surface.get(), &StreamSink::Write, &sink), path, sink);
  // SVG and PDF write most of the file as the surface finishes.
  cairo_surface_finish(surface.get());
  Check(cairo_surface_status(surface.get()), path, sink);
  surface.reset();
  if (!file.Close() || !file.PutInPlace()) throw RenderError(file.Problem());
}

void Renderer::Draw(cairo_t* cr) {
  total = 0;
  done = reported = 0;
  paint = nullptr;
  for (const sim::Layer* layer : document.layers) total += Work(document, *layer->group);

  // The paper; around the artboard, the pasteboard with the artboard's edge.
  cairo_save(cr);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_rectangle(cr, 0, 0, Width(), Height());
  cairo_fill(cr);
  const double artboardWidth = artboardBox.right - artboardBox.left, artboardHeight = artboardBox.top - artboardBox.bottom;
  if (artboardWidth < Width() || artboardHeight < Height()) {
    cairo_rectangle(cr, X(artboardBox.left), Y(artboardBox.top), artboardWidth, artboardHeight);
    cairo_set_source_rgb(cr, 0.6, 0.6, 0.6);
    cairo_set_line_width(cr, 0.5);
    cairo_stroke(cr);
  }
  cairo_restore(cr);
  // No clip to the picture: the surface ends there, and a clip whose edge
  // falls inside a pixel would make cairo mask every fill.

  for (auto layer = document.layers.rbegin(); layer != document.layers.rend(); ++layer) DrawLayer(cr, **layer);
  if (options.progress) options.progress(total, total);
}

void Renderer::Advance(size_t work) {
  done += work;
  if (!options.progress || total == 0) return;
  // About a hundred reports for the whole document.
  if ((done - reported) * 100 >= total) {
    reported = done;
    options.progress(done, total);
  }
}

void Renderer::DrawLayer(cairo_t* cr, const sim::Layer& layer) {
  if (!Shown(layer)) return Advance(layer.deleted ? 0 : Work(document, *layer.group));
  const LayerPaint* outer = paint;
  if (options.style) paint = options.style->ForLayer(sim::Utf16ToUtf8(layer.title), outer);
  DrawArt(cr, *layer.group);
  paint = outer;
}

// Contents from the bottom up; a clipping path among them clips the rest.
void Renderer::DrawContents(cairo_t* cr, const sim::Art& container) {
  const auto clip = std::find_if(container.children.begin(), container.children.end(),
                                 [](const sim::Art* child) { return child->clip && IsPainted(*child) && !child->disposed; });
  cairo_save(cr);
  if (clip != container.children.end()) {
    cairo_new_path(cr);
    if (AddOutline(cr, **clip)) {
      cairo_set_fill_rule(cr, StyleOf(**clip).evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
      cairo_clip(cr);
    }
    cairo_new_path(cr);
  }
  for (auto child = container.children.rbegin(); child != container.children.rend(); ++child) {
    document.Trim();
    if (clip != container.children.end() && *child == *clip) continue;
    if ((*child)->ownerLayer) {
      DrawLayer(cr, *(*child)->ownerLayer);
    } else {
      DrawArt(cr, **child);
    }
  }
  cairo_restore(cr);
}

void Renderer::DrawArt(cairo_t* cr, const sim::Art& art) {
  double opacity = std::min<double>(art.opacity, 1);
  // A layer's opacity in the style applies to each of its objects.
  if (paint && paint->opacity && (IsPainted(art) || art.type == kTextFrameArt)) opacity *= *paint->opacity;
  if (Hidden(art) || !(opacity > 0)) return Advance(Work(document, art));
  // A translucent path with only a fill or only a stroke is painted with the
  // opacity itself; anything else is drawn whole and then blended.
  if (IsPainted(art) && !(StyleOf(art).fillPaint && StyleOf(art).strokePaint)) {
    DrawPath(cr, art, StyleOf(art), opacity);
    return Advance(Work(document, art));
  }
  const bool translucent = opacity < 1;
  if (translucent) cairo_push_group(cr);
  switch (art.type) {
    case kPathArt:
    case kCompoundPathArt:
      DrawPath(cr, art, StyleOf(art), 1);
      Advance(Work(document, art));
      break;
    case kTextFrameArt:
      DrawText(cr, art);
      Advance(1);
      break;
    case kSymbolArt:
      DrawSymbol(cr, art);
      break;
    default:
      DrawContents(cr, art);
  }
  if (translucent) {
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, opacity);
  }
}

bool Renderer::AddSegments(cairo_t* cr, const sim::Art& path) {
  const sim::PathSegments& segments = path.Segments();
  if (segments.size() < 2) return true;
  if (segments.Straight()) {
    // Anchors alone: every piece is a line.
    for (size_t i = 0; i < segments.size(); ++i) {
      const AIRealPoint p = segments.Anchor(i);
      if (!std::isfinite(p.h) || !std::isfinite(p.v)) return false;
    }
    cairo_move_to(cr, X(segments.Anchor(0).h), Y(segments.Anchor(0).v));
    for (size_t i = 1; i < segments.size(); ++i) cairo_line_to(cr, X(segments.Anchor(i).h), Y(segments.Anchor(i).v));
    if (path.closed) cairo_close_path(cr);
    return true;
  }
  for (const AIPathSegment s : segments) {
    for (AIReal value : {s.p.h, s.p.v, s.in.h, s.in.v, s.out.h, s.out.v})
      if (!std::isfinite(value)) return false;
  }
  cairo_move_to(cr, X(segments[0].p.h), Y(segments[0].p.v));
  const size_t curves = path.closed ? segments.size() : segments.size() - 1;
  for (size_t i = 0; i < curves; ++i) {
    const AIPathSegment from = segments[i];
    const AIPathSegment to = segments[(i + 1) % segments.size()];
    // A segment without handles is a straight line: drawn as one, it is
    // smaller in SVG and PDF and quicker to fill and stroke.
    if (from.out.h == from.p.h && from.out.v == from.p.v && to.in.h == to.p.h && to.in.v == to.p.v) {
      cairo_line_to(cr, X(to.p.h), Y(to.p.v));
    } else {
      cairo_curve_to(cr, X(from.out.h), Y(from.out.v), X(to.in.h), Y(to.in.v), X(to.p.h), Y(to.p.v));
    }
  }
  if (path.closed) cairo_close_path(cr);
  return true;
}

bool Renderer::AddOutline(cairo_t* cr, const sim::Art& art) {
  if (art.type == kPathArt) return AddSegments(cr, art);
  for (const sim::Art* member : art.children)
    if (member->type == kPathArt && !member->disposed && !AddSegments(cr, *member)) return false;
  return true;
}

void Renderer::DrawPath(cairo_t* cr, const sim::Art& art, const AIPathStyle& style, double alpha) {
  Rgb fillColor, strokeColor;
  bool fill = style.fillPaint && ToRgb(style.fill.color, fillColor);
  double width = style.stroke.width;
  bool stroke = style.strokePaint && width > 0 && std::isfinite(width) && ToRgb(style.stroke.color, strokeColor);
  double fillAlpha = alpha, strokeAlpha = alpha;
  // The style repaints what the object paints; it adds no paint of its own.
  if (paint) {
    if (fill && paint->fill) {
      fill = paint->fill->has_value();
      if (fill) fillColor = **paint->fill;
    }
    if (stroke && paint->stroke) {
      stroke = paint->stroke->has_value();
      if (stroke) strokeColor = **paint->stroke;
    }
    if (stroke && paint->strokeWidth) {
      width = *paint->strokeWidth;
      stroke = width > 0;
    }
    if (paint->fillOpacity) fillAlpha *= *paint->fillOpacity;
    if (paint->strokeOpacity) strokeAlpha *= *paint->strokeOpacity;
  }
  if (!fill && !stroke) return;
  cairo_new_path(cr);
  if (!AddOutline(cr, art)) return cairo_new_path(cr);
  if (fill) {
    SetSource(cr, fillColor, fillAlpha);
    // Holes of compound paths: even-odd when the style asks for it, else by winding.
    cairo_set_fill_rule(cr, style.evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    cairo_fill_preserve(cr);
  }
  if (stroke) {
    SetSource(cr, strokeColor, strokeAlpha);
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, Cap(style.stroke.cap));
    cairo_set_line_join(cr, Join(style.stroke.join));
    const double miter = style.stroke.miterLimit;
    cairo_set_miter_limit(cr, std::isfinite(miter) && miter >= 1 ? miter : 1);
    SetDash(cr, style.stroke.dash);
    cairo_stroke_preserve(cr);
  }
  cairo_new_path(cr);
}

void Renderer::DrawText(cairo_t* cr, const sim::Art& art) {
  const sim::TextData& text = art.Extras().text;
  if (!std::isfinite(text.anchor.h) || !std::isfinite(text.anchor.v)) return;
  // Text without a fill of its own is black, as new text is.
  Rgb color;
  if (text.fillAssigned && !ToRgb(text.fill, color)) return;
  if (paint && paint->text) {
    if (!paint->text->has_value()) return;
    color = **paint->text;
  }
  SetSource(cr, color);
  texts.Draw(cr, text, X(text.anchor.h), Y(text.anchor.v));
}

// Without the symbol's definition the instance shows as the dashed outline
// of its bounds.
void Renderer::DrawSymbol(cairo_t* cr, const sim::Art& art) {
  const AIRealRect& r = art.Extras().symbolBounds;
  for (AIReal value : {r.left, r.top, r.right, r.bottom})
    if (!std::isfinite(value)) return;
  cairo_save(cr);
  cairo_rectangle(cr, X(r.left), Y(r.top), static_cast<double>(r.right) - r.left, static_cast<double>(r.top) - r.bottom);
  cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
  cairo_set_line_width(cr, 0.5);
  const double dash[] = {2, 2};
  cairo_set_dash(cr, dash, 2, 0);
  cairo_stroke(cr);
  cairo_restore(cr);
}

}  // namespace kzmap
