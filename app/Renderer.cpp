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
#include "app/TextPainter.h"
#include "formats/PartFile.h"

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
  if (art.type == kCompoundPathArt && !art.children.empty()) return art.children.front()->style;
  return art.style;
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

size_t Work(const sim::Art& art) {
  size_t work = art.type == kPathArt ? art.segments.size() : art.type == kTextFrameArt ? 1 : 0;
  for (const sim::Art* child : art.children) work += Work(*child);
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

Renderer::Renderer(const sim::Document& document, RenderOptions options)
    : document(document), options(std::move(options)), left(document.bounds.left), top(document.bounds.top) {}

double Renderer::Width() const { return static_cast<double>(document.bounds.right) - document.bounds.left; }

double Renderer::Height() const { return static_cast<double>(document.bounds.top) - document.bounds.bottom; }

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
                          " pixels is larger than a PNG can be drawn (32767 on a side); lower --dpi");
      surface.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(pixelsWide),
                                               static_cast<int>(pixelsHigh)));
      break;
    }
  }
  Check(cairo_surface_status(surface.get()), path, sink);
  {
    ContextPtr cr(cairo_create(surface.get()));
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
  TextPainter painter;
  texts = &painter;
  total = 0;
  done = reported = 0;
  for (const sim::Layer* layer : document.layers) total += Work(*layer->group);

  // The paper.
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_rectangle(cr, 0, 0, Width(), Height());
  cairo_fill(cr);
  cairo_rectangle(cr, 0, 0, Width(), Height());
  cairo_clip(cr);

  for (auto layer = document.layers.rbegin(); layer != document.layers.rend(); ++layer) DrawLayer(cr, **layer);
  if (options.progress) options.progress(total, total);
  texts = nullptr;
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
  if (!layer.visible || layer.deleted) return;
  DrawArt(cr, *layer.group);
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
  if (Hidden(art) || !(art.opacity > 0)) return Advance(Work(art));
  // A translucent path with only a fill or only a stroke is painted with the
  // opacity itself; anything else is drawn whole and then blended.
  if (IsPainted(art) && !(StyleOf(art).fillPaint && StyleOf(art).strokePaint)) {
    DrawPath(cr, art, StyleOf(art), std::min<double>(art.opacity, 1));
    return Advance(Work(art));
  }
  const bool translucent = art.opacity < 1;
  if (translucent) cairo_push_group(cr);
  switch (art.type) {
    case kPathArt:
    case kCompoundPathArt:
      DrawPath(cr, art, StyleOf(art), 1);
      Advance(Work(art));
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
    cairo_paint_with_alpha(cr, art.opacity);
  }
}

bool Renderer::AddSegments(cairo_t* cr, const sim::Art& path) {
  const std::vector<AIPathSegment>& segments = path.segments;
  if (segments.size() < 2) return true;
  for (const AIPathSegment& s : segments) {
    for (AIReal value : {s.p.h, s.p.v, s.in.h, s.in.v, s.out.h, s.out.v})
      if (!std::isfinite(value)) return false;
  }
  cairo_move_to(cr, X(segments[0].p.h), Y(segments[0].p.v));
  const size_t curves = path.closed ? segments.size() : segments.size() - 1;
  for (size_t i = 0; i < curves; ++i) {
    const AIPathSegment& from = segments[i];
    const AIPathSegment& to = segments[(i + 1) % segments.size()];
    cairo_curve_to(cr, X(from.out.h), Y(from.out.v), X(to.in.h), Y(to.in.v), X(to.p.h), Y(to.p.v));
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
  const bool fill = style.fillPaint && ToRgb(style.fill.color, fillColor);
  const double width = style.stroke.width;
  const bool stroke = style.strokePaint && width > 0 && std::isfinite(width) && ToRgb(style.stroke.color, strokeColor);
  if (!fill && !stroke) return;
  cairo_new_path(cr);
  if (!AddOutline(cr, art)) return cairo_new_path(cr);
  if (fill) {
    SetSource(cr, fillColor, alpha);
    // Holes of compound paths: even-odd when the style asks for it, else by winding.
    cairo_set_fill_rule(cr, style.evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    cairo_fill_preserve(cr);
  }
  if (stroke) {
    SetSource(cr, strokeColor, alpha);
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
  const sim::TextData& text = art.text;
  if (!std::isfinite(text.anchor.h) || !std::isfinite(text.anchor.v)) return;
  // Text without a fill of its own is black, as new text is.
  Rgb color;
  if (text.fillAssigned && !ToRgb(text.fill, color)) return;
  SetSource(cr, color);
  texts->Draw(cr, text, X(text.anchor.h), Y(text.anchor.v));
}

// Without the symbol's definition the instance shows as the dashed outline
// of its bounds.
void Renderer::DrawSymbol(cairo_t* cr, const sim::Art& art) {
  const AIRealRect& r = art.symbolBounds;
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
