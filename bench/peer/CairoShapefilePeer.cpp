// The render benchmark's peer: the least a program must do to draw the
// polygons of a Shapefile as kzmap draws an imported map — shapelib reads
// the records, cairo fills them 10 % grey and strokes them 0.5 pt light
// green on a page, the data's centre at the page's centre at 1:SCALE.
// Usage: kz_cairo_shapefile_peer FILE.shp OUT.png|OUT.svg|OUT.pdf WIDTH_PT HEIGHT_PT SCALE
#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>
#include <shapefil.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: %s FILE.shp OUT WIDTH_PT HEIGHT_PT SCALE\n", argv[0]);
    return 2;
  }
  const std::string out = argv[2];
  const double width = std::atof(argv[3]), height = std::atof(argv[4]), scale = std::atof(argv[5]);
  SHPHandle shp = SHPOpen(argv[1], "rb");
  if (!shp) return 1;
  int count = 0, type = 0;
  double low[4], high[4];
  SHPGetInfo(shp, &count, &type, low, high);
  const double cx = (low[0] + high[0]) / 2, cy = (low[1] + high[1]) / 2;
  const double perMetre = 72 / 0.0254 / scale;
  const std::string extension = out.substr(out.size() - 3);
  cairo_surface_t* surface =
      extension == "png"   ? cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(width + 0.999),
                                                        static_cast<int>(height + 0.999))
      : extension == "svg" ? cairo_svg_surface_create(out.c_str(), width, height)
                           : cairo_pdf_surface_create(out.c_str(), width, height);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_set_line_width(cr, 0.5);
  for (int i = 0; i < count; ++i) {
    SHPObject* shape = SHPReadObject(shp, i);
    if (!shape) continue;
    for (int part = 0; part < shape->nParts; ++part) {
      const int first = shape->panPartStart[part];
      const int end = part + 1 < shape->nParts ? shape->panPartStart[part + 1] : shape->nVertices;
      for (int v = first; v < end; ++v) {
        const double x = width / 2 + (shape->padfX[v] - cx) * perMetre;
        const double y = height / 2 - (shape->padfY[v] - cy) * perMetre;
        if (v == first) cairo_move_to(cr, x, y);
        else cairo_line_to(cr, x, y);
      }
      cairo_close_path(cr);
    }
    SHPDestroyObject(shape);
    cairo_set_source_rgb(cr, 0.9, 0.9, 0.9);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0.2, 1, 0.5);
    cairo_stroke(cr);
  }
  SHPClose(shp);
  cairo_destroy(cr);
  if (extension == "png") cairo_surface_write_to_png(surface, out.c_str());
  cairo_surface_finish(surface);
  const bool ok = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  return ok ? 0 : 1;
}
