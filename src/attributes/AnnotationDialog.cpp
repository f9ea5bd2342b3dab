#include "attributes/AnnotationDialog.h"

#include <algorithm>
#include <set>

#include "attributes/AttrTable.h"
#include "attributes/CKzShapeAttr.h"
#include "attributes/LayerWalk.h"
#include "attributes/PointMark.h"
#include "formats/PathPieces.h"
#include "host/AIArtSuite.h"
#include "host/AIDocumentSuite.h"
#include "host/AIPathSuite.h"
#include "host/AITagSuite.h"
#include "host/AITextFrameSuite.h"
#include "host/ATEParaFeaturesSuite.h"
#include "host/ATETextRangeSuite.h"
#include "host/AIUserSuite.h"
#include "host/HostRef.h"
#include "host/SuitePointers.h"
#include "resources/DialogIds.h"
#include "resources/DialogResources.h"

namespace {

namespace ids = dialog_ids::annotation;
using namespace attribute_texts;

// Closes the document's text-creation bracket that it opened.
class TextCreationBracket {
 public:
  TextCreationBracket() : result(sAIDocument->BeginTextCreation()) {}
  ~TextCreationBracket() {
    if (result == kNoErr) sAIDocument->EndTextCreation();
  }
  TextCreationBracket(const TextCreationBracket&) = delete;
  TextCreationBracket& operator=(const TextCreationBracket&) = delete;

  AIErr Result() const { return result; }

 private:
  AIErr result;
};

// A group or compound path that is only partly selected is not itself
// chosen: its selected contents are.
AIErr IsChosen(AIArtHandle art, bool* chosen) {
  *chosen = true;
  AIArtType type = kUnknownArt;
  if (AIErr error = sAIArt->GetArtType(art, &type)) return error;
  if (type != kGroupArt && type != kCompoundPathArt) return kNoErr;
  int32_t attributes = 0;
  if (AIErr error = sAIArt->GetArtUserAttr(art, kArtFullySelected, &attributes)) return error;
  *chosen = attributes != 0;
  return kNoErr;
}

// Whether a group or compound path holding the art already got a label: a
// container and its contents are labelled once.
AIErr InsideLabelled(AIArtHandle art, const std::set<AIArtHandle>& labelled, bool* inside) {
  *inside = false;
  for (AIArtHandle at = art; at; ) {
    AIArtHandle parent = nullptr;
    if (AIErr error = sAIArt->GetArtParent(at, &parent)) return error;
    if (parent && labelled.count(parent)) {
      *inside = true;
      return kNoErr;
    }
    at = parent;
  }
  return kNoErr;
}

// Where a label stands and which end of it, or its middle, sits there.
struct LabelPlace {
  AIRealPoint anchor;
  ATEParagraphJustification justification = kLeftJustify;
};

// A point's label starts beside it, its middle level with the point;
// `reach` is how far the mark around the point extends.
LabelPlace Beside(AIRealPoint point, AIReal reach) {
  return {AIRealPoint{point.h + reach + kLabelGap, point.v - kLabelMiddleAboveBaseline}, kLeftJustify};
}

// The marks of one record of several points stand for one point feature:
// their label goes beside the easternmost, level with the middle of them
// all, never over a mark.
AIErr MultiPointPlacement(AIArtHandle art, bool* placed, LabelPlace* place) {
  *placed = false;
  AIBoolean multiPoint = false;
  if (sAITag->GetTagBoolean(art, kMultiPointGroupTag, &multiPoint) != kNoErr || !multiPoint) return kNoErr;
  AIRealRect bounds;
  if (AIErr error = sAIArt->GetArtBounds(art, &bounds)) return error;
  const AIRealPoint east{bounds.right - kPointMarkSize / 2, (bounds.top + bounds.bottom) / 2};
  *place = Beside(east, kPointMarkSize / 2 + kPointMarkStroke / 2);
  *placed = true;
  return kNoErr;
}

// A path of one point is labelled beside the point, a point mark or the
// marks of a record of several points beside the mark; anything else is
// labelled centred on the centre of its bounds.
AIErr LabelPlacement(AIArtHandle art, LabelPlace* place) {
  AIArtType type = kUnknownArt;
  if (AIErr error = sAIArt->GetArtType(art, &type)) return error;
  if (type == kGroupArt) {
    bool placed = false;
    if (AIErr error = MultiPointPlacement(art, &placed, place)) return error;
    if (placed) return kNoErr;
  }
  AIRealRect bounds;
  if (type == kPathArt) {
    int16_t count = 0;
    if (AIErr error = sAIPath->GetPathSegmentCount(art, &count)) return error;
    if (count == 1) {
      AIPathSegment segment;
      if (AIErr error = sAIPath->GetPathSegments(art, 0, 1, &segment)) return error;
      *place = Beside(segment.p, 0);
      return kNoErr;
    }
    if (count == 4) {
      AIPathSegment segments[4];
      AIBoolean closed = false;
      if (AIErr error = sAIPath->GetPathSegments(art, 0, 4, segments)) return error;
      if (AIErr error = sAIPath->GetPathClosed(art, &closed)) return error;
      if (IsPointMarkOutline(segments, 4, closed)) {
        if (AIErr error = sAIArt->GetArtBounds(art, &bounds)) return error;
        const AIRealPoint centre{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
        *place = Beside(centre, kPointMarkSize / 2 + kPointMarkStroke / 2);
        return kNoErr;
      }
    }
  }
  if (AIErr error = sAIArt->GetArtBounds(art, &bounds)) return error;
  const AIRealPoint centre{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
  *place = {AIRealPoint{centre.h, centre.v - kLabelMiddleAboveBaseline}, kCenterJustify};
  return kNoErr;
}

AIErr SetJustification(ATETextRangeRef range, ATEParagraphJustification justification) {
  ai::ParaFeaturesRef features;
  if (AIErr error = sATETextRange->GetUniqueParaFeatures(range, features.put())) return error;
  if (AIErr error = sATEParaFeatures->SetJustification(features.get(), justification)) return error;
  return sATETextRange->SetLocalParaFeatures(range, features.get());
}

// The group that holds the art; a label never goes inside a compound path.
AIErr LabelContainer(AIArtHandle art, AIArtHandle* container) {
  AIArtHandle parent = nullptr;
  if (AIErr error = sAIArt->GetArtParent(art, &parent)) return error;
  for (;;) {
    AIArtType type = kUnknownArt;
    if (AIErr error = sAIArt->GetArtType(parent, &type)) return error;
    if (type != kCompoundPathArt) break;
    if (AIErr error = sAIArt->GetArtParent(parent, &parent)) return error;
  }
  *container = parent;
  return kNoErr;
}

AIErr PlaceLabel(AIArtHandle art, const ai::UnicodeString& value, AIArtHandle* label) {
  LabelPlace place;
  if (AIErr error = LabelPlacement(art, &place)) return error;
  AIArtHandle container = nullptr;
  if (AIErr error = LabelContainer(art, &container)) return error;
  if (AIErr error = sAITextFrame->NewPointText(kPlaceInsideOnTop, container, kHorizontalTextOrientation, place.anchor,
                                               label))
    return error;
  ai::TextRangeRef range;
  if (AIErr error = sAITextFrame->GetATETextRange(*label, range.put())) return error;
  const std::u16string units = value.as_UTF16();
  if (AIErr error = sATETextRange->SetContentsAsUnicode(range.get(), reinterpret_cast<const uint16_t*>(units.data()),
                                                        static_cast<int32_t>(units.size())))
    return error;
  if (place.justification != kLeftJustify) {
    if (AIErr error = SetJustification(range.get(), place.justification)) return error;
  }
  return sAIArt->SetArtUserAttr(*label, kArtSelected, kArtSelected);
}

// One object: false when it got no label.
bool Annotate(AIArtHandle art, const ShapeField& definition, bool copyValues) {
  CKzShapeAttr record;
  record.Load(art);
  int32_t position = 0;
  if (!record.IsLoaded() || !record.Find(definition, &position)) return false;
  ai::UnicodeString value;
  if (!record.GetValue(position, value) || value.empty()) return false;
  AIArtHandle label = nullptr;
  if (PlaceLabel(art, value, &label) != kNoErr) return false;
  if (copyValues) record.CopyTo(label);
  return true;
}

}  // namespace

void AnnotationDialog::OnInit() {
  ListReset(ids::kField);
  for (const ai::UnicodeString& name : fieldNames) ListAdd(ids::kField, name);
  ListSelect(ids::kField, record.field);
  SetChecked(ids::kCopyValues, record.copyValues);
}

bool AnnotationDialog::OnOK() {
  record.field = ListSelection(ids::kField);
  record.copyValues = IsChecked(ids::kCopyValues);
  return true;
}

AIErr AnnotateFromAttribute(SPPluginRef plugin, const AttrTable& table, int32_t row, AnnotationRecord& record) {
  if (!AnyLayerHasSelection()) {
    sAIUser->MessageAlert(ai::UnicodeString(kNothingSelected).Ref());
    return kNoErr;
  }
  std::vector<ai::UnicodeString> names;
  for (int32_t i = 0; i < table.RowCount(); ++i) names.push_back(table.Row(i).field.name);
  record.field = row >= 0 && row < table.RowCount() ? row : 0;
  AnnotationDialog dialog(names, record);
  int32_t result = kCanceledErr;
  if (AIErr error = RunPluginDialog(plugin, dialog_ids::kAnnotation, dialog, &result)) return error;
  if (result != kNoErr) return result;
  if (record.field < 0 || record.field >= table.RowCount()) return kNoErr;

  const ShapeField& field = table.Row(record.field).field;
  const ShapeField definition{field.name, field.type, field.totalDigits, field.decimals, {}};
  std::vector<AIArtHandle> selection;
  if (AIErr error = SelectedArt(selection)) return error;
  // Whether a container is wholly selected is known only until the
  // selection is cleared.
  std::erase_if(selection, [](AIArtHandle art) {
    bool chosen = false;
    return IsChosen(art, &chosen) != kNoErr || !chosen;
  });
  if (AIErr error = DeselectAll()) return error;
  TextCreationBracket bracket;
  if (bracket.Result() != kNoErr) return bracket.Result();
  std::set<AIArtHandle> labelled;
  for (AIArtHandle art : selection) {
    // A host error for one object skips that object.
    bool inside = false;
    if (InsideLabelled(art, labelled, &inside) != kNoErr || inside) continue;
    if (Annotate(art, definition, record.copyValues)) labelled.insert(art);
  }
  return kNoErr;
}
