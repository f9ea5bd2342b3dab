// Style of SVG elements: what an element says through its style attribute
// and presentation attributes, and what it inherits from enclosing groups.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sim::svg {

struct Paint {
  enum class Kind { None, Color, Reference, CurrentColor };
  Kind kind = Kind::None;
  double red = 0, green = 0, blue = 0;  // 0..1, for Color
  std::string reference;                // the id of url(#id), for Reference
};

// What one element says of its style; unset members are inherited or default.
struct Style {
  std::optional<Paint> fill, stroke;
  std::optional<double> strokeWidth, opacity, fillOpacity, strokeOpacity, miterLimit, dashOffset, fontSize;
  std::optional<std::vector<double>> dashArray;  // empty: none
  std::optional<std::string> fillRule, lineCap, lineJoin, display, visibility, textAnchor, fontFamily;
  // The colour that currentColor paints take (the `color` property).
  std::optional<Paint> color;
  // A font size relative to the parent's (em, %), resolved by Inherit.
  std::optional<double> fontSizeScale;
  // Declarations of the properties above whose values could not be read
  // ("name: value"), so that the caller can tell the user what was left out.
  std::vector<std::string> unread;
};

// An element's own style: presentation attributes first, then the style
// attribute's declarations over them. attributes: (name, value) pairs.
Style ElementStyle(const std::vector<std::pair<std::string, std::string>>& attributes);

// The element's style with what it does not say taken from its parent's
// computed style (inherited properties only; opacity and display are not
// inherited but returned as the element's own).
Style Inherit(const Style& parent, const Style& own);

// The paint to draw with: currentColor taken from the computed style's colour
// (black when none is set); other paints as they are.
Paint UsedPaint(const Paint& paint, const Style& computed);

// A colour ("#abc", "#aabbcc", "rgb(1,2,3)", "rgb(10%,...)", named); false if unknown.
bool ParseColor(std::string_view text, double& red, double& green, double& blue);

// A length with its unit (px, pt, mm, cm, in, pc, em with fontSize; % not
// resolved: false) in user units (px); false on bad text.
bool ParseLength(std::string_view text, double& userUnits, double fontSize = 16);

// The same, with a percentage taken of percentBase (the viewport's width,
// height or normalised diagonal, as the attribute wants).
bool ParseLengthOrPercent(std::string_view text, double& userUnits, double percentBase, double fontSize = 16);

}  // namespace sim::svg
