#include "attributes/LayerWalk.h"

#include "host/AIArtSetSuite.h"
#include "host/AIArtSuite.h"
#include "host/AILayerSuite.h"
#include "host/HostRef.h"

namespace {

AIErr Collect(AIArtSet set, std::vector<AIArtHandle>& art) {
  size_t count = 0;
  if (AIErr error = sAIArtSet->CountArtSet(set, &count)) return error;
  art.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    AIArtHandle handle = nullptr;
    if (AIErr error = sAIArtSet->IndexArtSet(set, i, &handle)) return error;
    art.push_back(handle);
  }
  return kNoErr;
}

AIErr IsLayerHiddenOrLocked(AILayerHandle layer, bool* masked) {
  for (; layer; ) {
    AIBoolean visible = true, editable = true;
    if (AIErr error = sAILayer->GetLayerVisible(layer, &visible)) return error;
    if (AIErr error = sAILayer->GetLayerEditable(layer, &editable)) return error;
    if (!visible || !editable) {
      *masked = true;
      return kNoErr;
    }
    AILayerHandle parent = nullptr;
    if (AIErr error = sAILayer->GetLayerParent(layer, &parent)) return error;
    layer = parent;
  }
  return kNoErr;
}

}  // namespace

AIErr TopLevelLayers(std::vector<AILayerHandle>& layers) {
  layers.clear();
  int32_t count = 0;
  if (AIErr error = sAILayer->CountLayers(&count)) return error;
  for (int32_t i = 0; i < count; ++i) {
    AILayerHandle layer = nullptr;
    if (AIErr error = sAILayer->GetNthLayer(i, &layer)) return error;
    layers.push_back(layer);
  }
  return kNoErr;
}

AIErr ArtOfLayer(AILayerHandle layer, std::vector<AIArtHandle>& art) {
  art.clear();
  ai::ArtSetRef set;
  if (AIErr error = sAIArtSet->NewArtSet(set.put())) return error;
  if (AIErr error = sAIArtSet->LayerArtSet(layer, set.get())) return error;
  return Collect(set.get(), art);
}

AIErr SelectedArt(std::vector<AIArtHandle>& art) {
  art.clear();
  ai::ArtSetRef set;
  if (AIErr error = sAIArtSet->NewArtSet(set.put())) return error;
  if (AIErr error = sAIArtSet->SelectedArtSet(set.get())) return error;
  return Collect(set.get(), art);
}

bool AnyLayerHasSelection() {
  std::vector<AILayerHandle> layers;
  if (TopLevelLayers(layers) != kNoErr) return false;
  for (AILayerHandle layer : layers) {
    AIBoolean selected = false;
    if (sAILayer->LayerHasSelectedArt(layer, &selected) == kNoErr && selected) return true;
  }
  return false;
}

AIErr DeselectAll() {
  std::vector<AILayerHandle> layers;
  if (AIErr error = TopLevelLayers(layers)) return error;
  for (AILayerHandle layer : layers) {
    AIBoolean selected = false;
    if (AIErr error = sAILayer->LayerHasSelectedArt(layer, &selected)) return error;
    if (!selected) continue;
    if (AIErr error = sAILayer->DeselectArtOnLayer(layer)) return error;
  }
  return kNoErr;
}

AIErr IsHiddenOrLocked(AIArtHandle art, bool* masked) {
  *masked = false;
  AILayerHandle layer = nullptr;
  if (AIErr error = sAIArt->GetLayerOfArt(art, &layer)) return error;
  for (AIArtHandle at = art; at; ) {
    int32_t attributes = 0;
    if (AIErr error = sAIArt->GetArtUserAttr(at, kArtLocked | kArtHidden, &attributes)) return error;
    if (attributes != 0) {
      *masked = true;
      return kNoErr;
    }
    AIArtHandle parent = nullptr;
    if (AIErr error = sAIArt->GetArtParent(at, &parent)) return error;
    at = parent;
  }
  return IsLayerHiddenOrLocked(layer, masked);
}
