// The stand-in Art and Art Set suites.
#include <algorithm>

#include "sim/HostSuites.h"
#include "sim/Notifications.h"
#include "sim/PathGeometry.h"
#include "sim/SuiteSupport.h"

namespace sim {

namespace {

using namespace support;

// Point texts are measured roughly: half an em wide per character, from
// three quarters of an em above the baseline to a quarter below.
AIRealRect TextBounds(const TextData& text) {
  const AIReal em = text.fontSize;
  const AIReal width = em / 2 * static_cast<AIReal>(text.contents.size());
  AIReal left = text.anchor.h;
  if (text.justificationAssigned && text.justification == 1) left -= width;
  if (text.justificationAssigned && text.justification == 2) left -= width / 2;
  return {left, text.anchor.v + em * 0.75f, left + width, text.anchor.v - em * 0.25f};
}

void Bounds(const Art* art, AIRealRect& bounds, bool& valid) {
  switch (art->type) {
    case kPathArt: {
      AIRealRect outline;
      if (OutlineBounds(art->Segments(), art->closed, &outline)) UniteBounds(bounds, valid, outline);
      return;
    }
    case kTextFrameArt:
      UniteBounds(bounds, valid, TextBounds(art->Extras().text));
      return;
    case kSymbolArt:
      UniteBounds(bounds, valid, art->Extras().symbolBounds);
      return;
    default:
      // Bounds of a layer of a million objects leave them where they were.
      for (const Art* child : art->children) {
        if (const Document* document = Doc()) document->Trim();
        Bounds(child, bounds, valid);
      }
  }
}

AIErr NewArt(AIArtType type, AIPaintOrder paintOrder, AIArtHandle prep, AIArtHandle* newArt) {
  SIM_REQUIRE(newArt, kBadParameterErr);
  *newArt = nullptr;
  SIM_DOC(doc);
  doc->Trim();
  SIM_REQUIRE(type == kGroupArt || type == kPathArt || type == kCompoundPathArt, kBadParameterErr);
  Art* reference = prep ? ArtOf(prep) : nullptr;
  SIM_REQUIRE(!prep || reference, kBadArtErr);
  Art* art = doc->MakeArt(type);
  if (const AIErr error = doc->Place(art, paintOrder, reference)) {
    art->disposed = true;
    return error;
  }
  *newArt = HandleOf(art);
  PostDocumentChanged();
  return kNoErr;
}

AIErr DisposeArt(AIArtHandle handle) {
  SIM_ART(art, handle);
  SIM_REQUIRE(!art->IsLayerGroup(), kBadParameterErr);
  if (SelectionWouldChange(*Doc(), art, false)) PostSelectionChanged();
  Doc()->Dispose(art);
  PostDocumentChanged();
  return kNoErr;
}

AIErr ReorderArt(AIArtHandle handle, AIPaintOrder paintOrder, AIArtHandle prep) {
  SIM_ART(art, handle);
  SIM_REQUIRE(!art->IsLayerGroup(), kBadParameterErr);
  Art* reference = prep ? ArtOf(prep) : nullptr;
  SIM_REQUIRE(!prep || reference, kBadArtErr);
  const AIErr error = Doc()->Place(art, paintOrder, reference);
  if (!error) PostDocumentChanged();
  return error;
}

AIErr GetArtType(AIArtHandle handle, AIArtType* type) {
  SIM_REQUIRE(type, kBadParameterErr);
  SIM_ART(art, handle);
  *type = art->type;
  return kNoErr;
}

// Walks of the art tree are safe points: a plug-in walking a big map
// leaves behind the art it has done with.
AIErr Step(AIArtHandle handle, AIArtHandle* out, Art* (*step)(Art*)) {
  SIM_REQUIRE(out, kBadParameterErr);
  *out = nullptr;
  if (Document* doc = Doc()) doc->Trim();
  SIM_ART(art, handle);
  *out = HandleOf(step(art));
  return kNoErr;
}

Art* Neighbour(Art* art, int offset) {
  if (!art->parent) return nullptr;
  auto& siblings = art->parent->children;
  const auto at = static_cast<std::ptrdiff_t>(art->IndexInParent()) + offset;
  if (at < 0 || at >= static_cast<std::ptrdiff_t>(siblings.size())) return nullptr;
  Art* neighbour = siblings[static_cast<size_t>(at)];
  neighbour->siblingHint = static_cast<size_t>(at);
  return neighbour;
}

AIErr GetArtParent(AIArtHandle art, AIArtHandle* parent) {
  return Step(art, parent, [](Art* a) { return a->parent; });
}
AIErr GetArtFirstChild(AIArtHandle art, AIArtHandle* child) {
  return Step(art, child, [](Art* a) { return a->children.empty() ? nullptr : a->children.front(); });
}
AIErr GetArtLastChild(AIArtHandle art, AIArtHandle* child) {
  return Step(art, child, [](Art* a) { return a->children.empty() ? nullptr : a->children.back(); });
}
AIErr GetArtSibling(AIArtHandle art, AIArtHandle* sibling) {
  return Step(art, sibling, [](Art* a) { return Neighbour(a, 1); });
}
AIErr GetArtPriorSibling(AIArtHandle art, AIArtHandle* sibling) {
  return Step(art, sibling, [](Art* a) { return Neighbour(a, -1); });
}

AIErr GetFirstArtOfLayer(AILayerHandle handle, AIArtHandle* art) {
  SIM_REQUIRE(art, kBadParameterErr);
  *art = nullptr;
  SIM_LAYER(layer, handle);
  *art = HandleOf(layer->group);
  return kNoErr;
}

AIErr GetLayerOfArt(AIArtHandle handle, AILayerHandle* layer) {
  SIM_REQUIRE(layer, kBadParameterErr);
  *layer = nullptr;
  SIM_ART(art, handle);
  *layer = HandleOf(Doc()->LayerOfArt(art));
  return kNoErr;
}

AIErr IsArtLayerGroup(AIArtHandle handle, AIBoolean* isLayerGroup) {
  SIM_REQUIRE(isLayerGroup, kBadParameterErr);
  SIM_ART(art, handle);
  *isLayerGroup = art->IsLayerGroup();
  return kNoErr;
}

AIErr GetArtBounds(AIArtHandle handle, AIRealRect* bounds) {
  SIM_REQUIRE(bounds, kBadParameterErr);
  SIM_ART(art, handle);
  AIRealRect result;
  bool valid = false;
  Bounds(art, result, valid);
  *bounds = valid ? result : AIRealRect{};
  return kNoErr;
}

AIErr GetArtUserAttr(AIArtHandle handle, int32_t whichAttr, int32_t* attr) {
  SIM_REQUIRE(attr, kBadParameterErr);
  SIM_ART(art, handle);
  int32_t value = art->userAttributes;
  if (Doc()->FullySelected(art)) value |= kArtFullySelected;
  *attr = value & whichAttr;
  return kNoErr;
}

AIErr SetArtUserAttr(AIArtHandle handle, int32_t whichAttr, int32_t attr) {
  SIM_ART(art, handle);
  if (whichAttr & kArtSelected) {
    const bool selected = (attr & kArtSelected) != 0;
    if (SelectionWouldChange(*Doc(), art, selected)) PostSelectionChanged();
    Doc()->SetSelected(art, selected);
  }
  const int32_t kept = whichAttr & (kArtLocked | kArtHidden);
  const int32_t before = art->userAttributes;
  art->userAttributes = (art->userAttributes & ~kept) | (attr & kept);
  if ((before ^ art->userAttributes) & kept) PostArtPropertiesChanged();
  return kNoErr;
}

AIErr GetDictionary(AIArtHandle handle, AIDictionaryRef* dictionary) {
  SIM_REQUIRE(dictionary, kBadParameterErr);
  *dictionary = nullptr;
  SIM_ART(art, handle);
  if (!art->Dict()) art->Dict() = NewDictionary();
  *dictionary = HandleTo<AIDictionaryRef>(H()->Refs().dictionaries.Add(art->Dict()));
  return kNoErr;
}

AIErr HasDictionary(AIArtHandle handle, AIBoolean* hasDictionary) {
  SIM_REQUIRE(hasDictionary, kBadParameterErr);
  SIM_ART(art, handle);
  *hasDictionary = art->Dict() != nullptr;
  return kNoErr;
}

bool HasFill(const Art* art) {
  if (art->type == kPathArt) return art->Style().fillPaint;
  if (art->type == kCompoundPathArt) {
    return art->Style().fillPaint || std::any_of(art->children.begin(), art->children.end(), HasFill);
  }
  if (art->type == kTextFrameArt) return art->Extras().text.fillAssigned;
  return false;
}

AIErr ArtHasFill(AIArtHandle handle, AIBoolean* hasFill) {
  SIM_REQUIRE(hasFill, kBadParameterErr);
  SIM_ART(art, handle);
  *hasFill = HasFill(art);
  return kNoErr;
}

AIErr IsArtSkipped(AIArtHandle handle, AIBoolean* skip) {
  SIM_REQUIRE(skip, kBadParameterErr);
  SIM_ART(art, handle);
  *skip = art->skipped;
  return kNoErr;
}

const AIArtSuite artSuite = {
    NewArt,           DisposeArt,         ReorderArt,      GetArtType,      GetArtParent,
    GetArtFirstChild, GetArtLastChild,    GetArtSibling,   GetArtPriorSibling, GetFirstArtOfLayer,
    GetLayerOfArt,    IsArtLayerGroup,    GetArtBounds,    GetArtUserAttr,  SetArtUserAttr,
    GetDictionary,    HasDictionary,      ArtHasFill,      IsArtSkipped,
};

// --- Art sets --------------------------------------------------------------

ArtSetData* SetOf(AIArtSet set) {
  return H() && H()->Refs().artSets.Find(set) ? Raw<ArtSetData>(set) : nullptr;
}

AIErr NewArtSet(AIArtSet* set) {
  SIM_REQUIRE(set, kBadParameterErr);
  SIM_REQUIRE(H(), kCantHappenErr);
  *set = HandleTo<AIArtSet>(H()->Refs().artSets.Add(std::make_shared<ArtSetData>()));
  return kNoErr;
}

AIErr DisposeArtSet(AIArtSet* set) {
  SIM_REQUIRE(set && SetOf(*set), kBadParameterErr);
  H()->Refs().artSets.Release(*set);
  *set = nullptr;
  return kNoErr;
}

AIErr CountArtSet(AIArtSet set, size_t* count) {
  SIM_REQUIRE(count, kBadParameterErr);
  ArtSetData* data = SetOf(set);
  SIM_REQUIRE(data, kBadParameterErr);
  *count = data->arts.size();
  return kNoErr;
}

AIErr IndexArtSet(AIArtSet set, size_t index, AIArtHandle* art) {
  SIM_REQUIRE(art, kBadParameterErr);
  *art = nullptr;
  ArtSetData* data = SetOf(set);
  SIM_REQUIRE(data, kBadParameterErr);
  SIM_REQUIRE(index < data->arts.size(), kIndexOutOfRangeErr);
  *art = HandleOf(data->arts[index]);
  return kNoErr;
}

AIErr AddArtToArtSet(AIArtSet set, AIArtHandle handle) {
  ArtSetData* data = SetOf(set);
  SIM_REQUIRE(data, kBadParameterErr);
  SIM_ART(art, handle);
  if (std::find(data->arts.begin(), data->arts.end(), art) == data->arts.end()) data->arts.push_back(art);
  return kNoErr;
}

AIErr SelectedArtSet(AIArtSet set) {
  ArtSetData* data = SetOf(set);
  SIM_REQUIRE(data, kBadParameterErr);
  SIM_DOC(doc);
  data->arts = H()->SelectedArt();
  return kNoErr;
}

AIErr LayerArtSet(AILayerHandle handle, AIArtSet set) {
  ArtSetData* data = SetOf(set);
  SIM_REQUIRE(data, kBadParameterErr);
  SIM_LAYER(layer, handle);
  data->arts = H()->ArtOfLayer(*layer);
  return kNoErr;
}

const AIArtSetSuite artSetSuite = {NewArtSet,      DisposeArtSet,  CountArtSet, IndexArtSet,
                                   AddArtToArtSet, SelectedArtSet, LayerArtSet};

}  // namespace

const AIArtSuite* ArtSuite() { return &artSuite; }
const AIArtSetSuite* ArtSetSuite() { return &artSetSuite; }

}  // namespace sim
