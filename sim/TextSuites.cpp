// The stand-in Text Frame suite and the text-engine suites for point texts:
// text range, character features (fill), paragraph features
// (justification) and paints.
#include <algorithm>

#include "sim/HostSuites.h"
#include "sim/Notifications.h"
#include "sim/SuiteSupport.h"
#include "sim/TextCodec.h"

namespace sim {

namespace {

using namespace support;

// --- Text frame --------------------------------------------------------------

AIErr NewPointText(AIPaintOrder paintOrder, AIArtHandle prep, AITextOrientation orientation, AIRealPoint anchor,
                   AIArtHandle* newText) {
  SIM_REQUIRE(newText, kBadParameterErr);
  *newText = nullptr;
  SIM_DOC(doc);
  doc->Trim();
  SIM_REQUIRE(orientation == kHorizontalTextOrientation || orientation == kVerticalTextOrientation,
              kBadParameterErr);
  Art* reference = prep ? ArtOf(prep) : nullptr;
  SIM_REQUIRE(!prep || reference, kBadArtErr);
  Art* art = doc->MakeArt(kTextFrameArt);
  art->EditExtras().text.anchor = anchor;
  art->EditExtras().text.orientation = orientation;
  if (const AIErr error = doc->Place(art, paintOrder, reference)) {
    art->disposed = true;
    return error;
  }
  *newText = HandleOf(art);
  PostDocumentChanged();
  return kNoErr;
}

#define SIM_TEXT(var, handle) \
  SIM_ART(var, handle);       \
  SIM_REQUIRE(var->type == kTextFrameArt, kBadParameterErr)

AIErr GetType(AIArtHandle handle, AITextFrameType* type) {
  SIM_REQUIRE(type, kBadParameterErr);
  SIM_TEXT(art, handle);
  *type = art->Extras().text.frameType;
  return kNoErr;
}

AIErr GetPointTextAnchor(AIArtHandle handle, AIRealPoint* anchor) {
  SIM_REQUIRE(anchor, kBadParameterErr);
  SIM_TEXT(art, handle);
  SIM_REQUIRE(art->Extras().text.frameType == kPointTextType, kBadParameterErr);
  *anchor = art->Extras().text.anchor;
  return kNoErr;
}

AIErr GetATETextRange(AIArtHandle handle, ATETextRangeRef* range) {
  SIM_REQUIRE(range, kBadParameterErr);
  *range = nullptr;
  SIM_TEXT(art, handle);
  *range = HandleTo<ATETextRangeRef>(H()->Refs().textRanges.Add(std::make_shared<TextRangeData>(TextRangeData{art})));
  return kNoErr;
}

const AITextFrameSuite textFrameSuite = {NewPointText, GetType, GetPointTextAnchor, GetATETextRange};

// --- Text range --------------------------------------------------------------

// The live text frame behind a range handle.
Art* FrameOf(ATETextRangeRef range) {
  auto data = H() ? H()->Refs().textRanges.Find(range) : nullptr;
  if (!data || !Doc() || !Doc()->Owns(data->frame)) return nullptr;
  return data->frame;
}

#define SIM_RANGE(var, range)        \
  ::sim::Art* var = FrameOf(range); \
  if (!var) return kBadParameterErr

AIErr RangeAddRef(ATETextRangeRef range) {
  return H() && H()->Refs().textRanges.AddRef(range) ? kNoErr : kBadParameterErr;
}
AIErr RangeRelease(ATETextRangeRef range) {
  return H() && H()->Refs().textRanges.Release(range) ? kNoErr : kBadParameterErr;
}

AIErr GetSize(ATETextRangeRef range, int32_t* size) {
  SIM_REQUIRE(size, kBadParameterErr);
  SIM_RANGE(art, range);
  *size = static_cast<int32_t>(art->Extras().text.contents.size());
  return kNoErr;
}

AIErr GetContentsAsUnicode(ATETextRangeRef range, uint16_t* text, int32_t maxLength, int32_t* length) {
  SIM_REQUIRE(length && maxLength >= 0 && (text || maxLength == 0), kBadParameterErr);
  SIM_RANGE(art, range);
  const auto& contents = art->Extras().text.contents;
  const size_t n = std::min(contents.size(), static_cast<size_t>(maxLength));
  std::copy_n(contents.begin(), n, text);
  *length = static_cast<int32_t>(n);
  return kNoErr;
}

AIErr GetContentsAsChar(ATETextRangeRef range, char* text, int32_t maxLength, int32_t* length) {
  SIM_REQUIRE(length && maxLength >= 0 && (text || maxLength == 0), kBadParameterErr);
  SIM_RANGE(art, range);
  // Whole characters only: encode the longest prefix that fits.
  const auto& contents = art->Extras().text.contents;
  std::string bytes;
  for (size_t i = 0; i < contents.size();) {
    const size_t units = (contents[i] >= 0xD800 && contents[i] < 0xDC00 && i + 1 < contents.size()) ? 2 : 1;
    const std::string next = EncodeText(contents.substr(i, units), kAIPlatformCharacterEncoding);
    if (bytes.size() + next.size() > static_cast<size_t>(maxLength)) break;
    bytes += next;
    i += units;
  }
  std::copy(bytes.begin(), bytes.end(), text);
  *length = static_cast<int32_t>(bytes.size());
  return kNoErr;
}

AIErr SetContentsAsUnicode(ATETextRangeRef range, const uint16_t* text, int32_t length) {
  SIM_REQUIRE(length >= 0 && (text || length == 0), kBadParameterErr);
  SIM_RANGE(art, range);
  art->EditExtras().text.contents.assign(reinterpret_cast<const char16_t*>(text), static_cast<size_t>(length));
  PostDocumentChanged();
  return kNoErr;
}

AIErr GetUniqueCharFeatures(ATETextRangeRef range, ATECharFeaturesRef* features) {
  SIM_REQUIRE(features, kBadParameterErr);
  SIM_RANGE(art, range);
  auto data = std::make_shared<CharFeaturesData>(CharFeaturesData{art->Extras().text.fillAssigned, art->Extras().text.fill});
  *features = HandleTo<ATECharFeaturesRef>(H()->Refs().charFeatures.Add(data));
  return kNoErr;
}

AIErr SetLocalCharFeatures(ATETextRangeRef range, ATECharFeaturesRef features) {
  SIM_RANGE(art, range);
  auto data = H()->Refs().charFeatures.Find(features);
  SIM_REQUIRE(data, kBadParameterErr);
  if (data->fillAssigned) {
    art->EditExtras().text.fillAssigned = true;
    art->EditExtras().text.fill = data->fill;
  }
  PostArtPropertiesChanged();
  return kNoErr;
}

AIErr GetUniqueParaFeatures(ATETextRangeRef range, ATEParaFeaturesRef* features) {
  SIM_REQUIRE(features, kBadParameterErr);
  SIM_RANGE(art, range);
  auto data =
      std::make_shared<ParaFeaturesData>(ParaFeaturesData{art->Extras().text.justificationAssigned, art->Extras().text.justification});
  *features = HandleTo<ATEParaFeaturesRef>(H()->Refs().paraFeatures.Add(data));
  return kNoErr;
}

AIErr SetLocalParaFeatures(ATETextRangeRef range, ATEParaFeaturesRef features) {
  SIM_RANGE(art, range);
  auto data = H()->Refs().paraFeatures.Find(features);
  SIM_REQUIRE(data, kBadParameterErr);
  if (data->justificationAssigned) {
    art->EditExtras().text.justificationAssigned = true;
    art->EditExtras().text.justification = data->justification;
  }
  PostArtPropertiesChanged();
  return kNoErr;
}

const ATETextRangeSuite textRangeSuite = {
    RangeAddRef,          RangeRelease,          GetSize,               GetContentsAsUnicode,
    GetContentsAsChar,    SetContentsAsUnicode,  GetUniqueCharFeatures, SetLocalCharFeatures,
    GetUniqueParaFeatures, SetLocalParaFeatures,
};

// --- Character features ---------------------------------------------------------

AIErr CharInitialize(ATECharFeaturesRef* features) {
  SIM_REQUIRE(features, kBadParameterErr);
  SIM_REQUIRE(H(), kCantHappenErr);
  *features = HandleTo<ATECharFeaturesRef>(H()->Refs().charFeatures.Add(std::make_shared<CharFeaturesData>()));
  return kNoErr;
}
AIErr CharAddRef(ATECharFeaturesRef f) { return H() && H()->Refs().charFeatures.AddRef(f) ? kNoErr : kBadParameterErr; }
AIErr CharRelease(ATECharFeaturesRef f) {
  return H() && H()->Refs().charFeatures.Release(f) ? kNoErr : kBadParameterErr;
}

AIErr GetFillColor(ATECharFeaturesRef features, AIBoolean* isAssigned, ATEApplicationPaintRef* paint) {
  SIM_REQUIRE(isAssigned && paint, kBadParameterErr);
  auto data = H() ? H()->Refs().charFeatures.Find(features) : nullptr;
  SIM_REQUIRE(data, kBadParameterErr);
  *isAssigned = data->fillAssigned;
  *paint = nullptr;
  if (data->fillAssigned) {
    *paint = HandleTo<ATEApplicationPaintRef>(H()->Refs().paints.Add(std::make_shared<PaintData>(PaintData{data->fill})));
  }
  return kNoErr;
}

AIErr SetFillColor(ATECharFeaturesRef features, ATEApplicationPaintRef paint) {
  auto data = H() ? H()->Refs().charFeatures.Find(features) : nullptr;
  auto color = H() ? H()->Refs().paints.Find(paint) : nullptr;
  SIM_REQUIRE(data && color, kBadParameterErr);
  data->fillAssigned = true;
  data->fill = color->color;
  return kNoErr;
}

const ATECharFeaturesSuite charFeaturesSuite = {CharInitialize, CharAddRef, CharRelease, GetFillColor, SetFillColor};

// --- Paragraph features ---------------------------------------------------------

AIErr ParaInitialize(ATEParaFeaturesRef* features) {
  SIM_REQUIRE(features, kBadParameterErr);
  SIM_REQUIRE(H(), kCantHappenErr);
  *features = HandleTo<ATEParaFeaturesRef>(H()->Refs().paraFeatures.Add(std::make_shared<ParaFeaturesData>()));
  return kNoErr;
}
AIErr ParaAddRef(ATEParaFeaturesRef f) { return H() && H()->Refs().paraFeatures.AddRef(f) ? kNoErr : kBadParameterErr; }
AIErr ParaRelease(ATEParaFeaturesRef f) {
  return H() && H()->Refs().paraFeatures.Release(f) ? kNoErr : kBadParameterErr;
}

AIErr GetJustification(ATEParaFeaturesRef features, AIBoolean* isAssigned, ATEParagraphJustification* justification) {
  SIM_REQUIRE(isAssigned && justification, kBadParameterErr);
  auto data = H() ? H()->Refs().paraFeatures.Find(features) : nullptr;
  SIM_REQUIRE(data, kBadParameterErr);
  *isAssigned = data->justificationAssigned;
  *justification = data->justification;
  return kNoErr;
}

AIErr SetJustification(ATEParaFeaturesRef features, ATEParagraphJustification justification) {
  auto data = H() ? H()->Refs().paraFeatures.Find(features) : nullptr;
  SIM_REQUIRE(data, kBadParameterErr);
  data->justificationAssigned = true;
  data->justification = justification;
  return kNoErr;
}

const ATEParaFeaturesSuite paraFeaturesSuite = {ParaInitialize, ParaAddRef, ParaRelease, GetJustification,
                                                SetJustification};

// --- Paints -----------------------------------------------------------------------

AIErr CreateATEApplicationPaint(const AIColor* color, ATEApplicationPaintRef* paint) {
  SIM_REQUIRE(color && paint, kBadParameterErr);
  SIM_REQUIRE(H(), kCantHappenErr);
  *paint = HandleTo<ATEApplicationPaintRef>(H()->Refs().paints.Add(std::make_shared<PaintData>(PaintData{*color})));
  return kNoErr;
}

AIErr GetAIColor(ATEApplicationPaintRef paint, AIColor* color) {
  SIM_REQUIRE(color, kBadParameterErr);
  auto data = H() ? H()->Refs().paints.Find(paint) : nullptr;
  SIM_REQUIRE(data, kBadParameterErr);
  *color = data->color;
  return kNoErr;
}

const AIATEPaintSuite ateePaintSuite = {CreateATEApplicationPaint, GetAIColor};

AIErr PaintAddRef(ATEApplicationPaintRef p) { return H() && H()->Refs().paints.AddRef(p) ? kNoErr : kBadParameterErr; }
AIErr PaintRelease(ATEApplicationPaintRef p) { return H() && H()->Refs().paints.Release(p) ? kNoErr : kBadParameterErr; }

const ATEApplicationPaintSuite applicationPaintSuite = {PaintAddRef, PaintRelease};

}  // namespace

const AITextFrameSuite* TextFrameSuite() { return &textFrameSuite; }
const ATETextRangeSuite* TextRangeSuite() { return &textRangeSuite; }
const ATECharFeaturesSuite* CharFeaturesSuite() { return &charFeaturesSuite; }
const ATEParaFeaturesSuite* ParaFeaturesSuite() { return &paraFeaturesSuite; }
const AIATEPaintSuite* ATEPaintSuite() { return &ateePaintSuite; }
const ATEApplicationPaintSuite* ApplicationPaintSuite() { return &applicationPaintSuite; }

}  // namespace sim
