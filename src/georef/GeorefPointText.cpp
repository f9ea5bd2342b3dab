#include "georef/GeorefPointText.h"

#include "georef/DataFrameText.h"
#include "georef/GeorefLayers.h"
#include "host/AIATEPaintSuite.h"
#include "host/AIArtSuite.h"
#include "host/AITextFrameSuite.h"
#include "host/HostRef.h"
#include "host/SuitePointers.h"
#include "host/UnicodeString.h"

namespace {

AIErr SetFill(ATETextRangeRef range, const AIColor& color) {
  ai::CharFeaturesRef features;
  if (AIErr err = sATETextRange->GetUniqueCharFeatures(range, features.put())) return err;
  ai::PaintRef paint;
  if (AIErr err = sAIATEPaint->CreateATEApplicationPaint(&color, paint.put())) return err;
  if (AIErr err = sATECharFeatures->SetFillColor(features.get(), paint.get())) return err;
  return sATETextRange->SetLocalCharFeatures(range, features.get());
}

AIErr SetJustification(ATETextRangeRef range, ATEParagraphJustification justification) {
  ai::ParaFeaturesRef features;
  if (AIErr err = sATETextRange->GetUniqueParaFeatures(range, features.put())) return err;
  if (AIErr err = sATEParaFeatures->SetJustification(features.get(), justification)) return err;
  return sATETextRange->SetLocalParaFeatures(range, features.get());
}

}  // namespace

bool FindLayerPointText(const char* utf8Title, AIArtHandle& text) {
  AILayerHandle layer = nullptr;
  if (FindLayerByTitle(utf8Title, layer) != kNoErr || !layer) return false;
  AIArtHandle group = nullptr;
  if (sAIArt->GetFirstArtOfLayer(layer, &group) != kNoErr || !group) return false;
  AIArtHandle child = nullptr;
  if (sAIArt->GetArtFirstChild(group, &child) != kNoErr || !child) return false;
  AIArtType type = kUnknownArt;
  if (sAIArt->GetArtType(child, &type) != kNoErr || type != kTextFrameArt) return false;
  text = child;
  return true;
}

AIErr ReadPointTextContents(AIArtHandle text, std::string& contents) {
  ai::TextRangeRef range;
  if (AIErr err = sAITextFrame->GetATETextRange(text, range.put())) return err;
  char buffer[kMaxGeorefTextLength];
  int32_t length = 0;
  if (AIErr err = sATETextRange->GetContentsAsChar(range.get(), buffer, sizeof buffer, &length)) return err;
  if (length < 0 || length > static_cast<int32_t>(sizeof buffer)) return kBadParameterErr;
  contents.assign(buffer, static_cast<size_t>(length));
  return kNoErr;
}

AIErr ReadPointTextAnchor(AIArtHandle text, ArtboardPoint& anchor) {
  AIRealPoint point;
  if (AIErr err = sAITextFrame->GetPointTextAnchor(text, &point)) return err;
  anchor = {point.h, point.v};
  return kNoErr;
}

AIErr NewLayerPointText(AILayerHandle layer, ArtboardPoint anchor, const std::string& contents,
                        const PointTextStyle& style) {
  AIArtHandle group = nullptr;
  if (AIErr err = sAIArt->GetFirstArtOfLayer(layer, &group)) return err;
  AIArtHandle text = nullptr;
  const AIRealPoint at{anchor.x, anchor.y};
  if (AIErr err = sAITextFrame->NewPointText(kPlaceInsideOnTop, group, kHorizontalTextOrientation, at, &text))
    return err;
  ai::TextRangeRef range;
  if (AIErr err = sAITextFrame->GetATETextRange(text, range.put())) return err;
  const std::u16string units = ai::UnicodeString::FromPlatform(contents).as_UTF16();
  if (AIErr err = sATETextRange->SetContentsAsUnicode(range.get(), reinterpret_cast<const uint16_t*>(units.data()),
                                                      static_cast<int32_t>(units.size())))
    return err;
  if (AIErr err = SetFill(range.get(), style.fill)) return err;
  if (style.setJustification) return SetJustification(range.get(), style.justification);
  return kNoErr;
}
