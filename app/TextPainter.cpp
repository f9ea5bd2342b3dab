#include "app/TextPainter.h"

#include <pango/pangocairo.h>

#include <cmath>

#include "sim/TextCodec.h"

namespace kzmap {

struct TextPainter::Font {
  PangoFontDescription* description = pango_font_description_from_string(kTextFontFamily);
  ~Font() { pango_font_description_free(description); }
};

TextPainter::TextPainter() : font(std::make_unique<Font>()) {}

TextPainter::~TextPainter() = default;

TextPainter::Placement TextPainter::Layout(PangoLayout* layout, const sim::TextData& text, const std::string& utf8) {
  // One text point is one unit of the artboard, whatever the output's resolution.
  pango_cairo_context_set_resolution(pango_layout_get_context(layout), 72);
  pango_font_description_set_absolute_size(font->description, text.fontSize * PANGO_SCALE);
  pango_layout_set_font_description(layout, font->description);
  Placement placement;
  placement.vertical = text.orientation == kVerticalTextOrientation;
  if (placement.vertical) {
    pango_context_set_base_gravity(pango_layout_get_context(layout), PANGO_GRAVITY_EAST);
    pango_context_set_gravity_hint(pango_layout_get_context(layout), PANGO_GRAVITY_HINT_STRONG);
    pango_layout_context_changed(layout);
  }
  const int justification = text.justificationAssigned ? text.justification : 0;
  pango_layout_set_alignment(layout, justification == 1   ? PANGO_ALIGN_RIGHT
                                     : justification == 2 ? PANGO_ALIGN_CENTER
                                                          : PANGO_ALIGN_LEFT);
  pango_layout_set_text(layout, utf8.c_str(), static_cast<int>(utf8.size()));

  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  placement.width = static_cast<double>(logical.width) / PANGO_SCALE;
  placement.height = static_cast<double>(logical.height) / PANGO_SCALE;
  placement.baseline = static_cast<double>(pango_layout_get_baseline(layout)) / PANGO_SCALE;
  placement.shift = justification == 1 ? placement.width : justification == 2 ? placement.width / 2 : 0;
  return placement;
}

void TextPainter::Draw(cairo_t* cr, const sim::TextData& text, double x, double y) {
  if (text.contents.empty() || !(text.fontSize > 0) || !std::isfinite(text.fontSize)) return;
  const std::string utf8 = sim::Utf16ToUtf8(text.contents);
  PangoLayout* layout = pango_cairo_create_layout(cr);
  const Placement placement = Layout(layout, text, utf8);
  cairo_save(cr);
  cairo_translate(cr, x, y);
  // Vertical text runs down the page from the anchor, its lines centred on it.
  if (placement.vertical) {
    cairo_rotate(cr, M_PI / 2);
    cairo_move_to(cr, -placement.shift, -placement.height / 2);
  } else {
    cairo_move_to(cr, -placement.shift, -placement.baseline);
  }
  pango_cairo_update_layout(cr, layout);
  pango_cairo_show_layout(cr, layout);
  cairo_restore(cr);
  g_object_unref(layout);
}

bool TextPainter::Extent(const sim::TextData& text, double& left, double& top, double& right, double& bottom) {
  if (text.contents.empty() || !(text.fontSize > 0) || !std::isfinite(text.fontSize)) return false;
  const std::string utf8 = sim::Utf16ToUtf8(text.contents);
  PangoContext* context = pango_font_map_create_context(pango_cairo_font_map_get_default());
  PangoLayout* layout = pango_layout_new(context);
  const Placement placement = Layout(layout, text, utf8);
  g_object_unref(layout);
  g_object_unref(context);
  if (placement.vertical) {
    // Turned a quarter: the line's length runs down, its height across.
    left = -placement.height / 2;
    right = placement.height / 2;
    top = -placement.shift;
    bottom = placement.width - placement.shift;
  } else {
    left = -placement.shift;
    right = placement.width - placement.shift;
    top = -placement.baseline;
    bottom = placement.height - placement.baseline;
  }
  return true;
}

}  // namespace kzmap
