// The one point text that a georeference layer holds: the first child of
// the layer's group, whose anchor is the marked artboard point and whose
// text carries the map coordinates.
#pragma once

#include <string>

#include "georef/Point2D.h"
#include "host/ATEParaFeaturesSuite.h"
#include "host/HostTypes.h"

// The text of the layer titled `utf8Title`: false when the layer, its group
// or the group's first child is missing or the child is not a text frame.
bool FindLayerPointText(const char* utf8Title, AIArtHandle& text);

// At most the first 255 characters as 8-bit text.
AIErr ReadPointTextContents(AIArtHandle text, std::string& contents);
AIErr ReadPointTextAnchor(AIArtHandle text, ArtboardPoint& anchor);

struct PointTextStyle {
  AIColor fill;
  bool setJustification = false;
  ATEParagraphJustification justification = kLeftJustify;
};

// A horizontal point text on top of the layer's group, anchored at `anchor`,
// holding the 8-bit `contents`, painted as `style` says.
AIErr NewLayerPointText(AILayerHandle layer, ArtboardPoint anchor, const std::string& contents,
                        const PointTextStyle& style);
