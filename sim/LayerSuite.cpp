// The stand-in Layer suite.
#include <algorithm>

#include "sim/HostSuites.h"
#include "sim/Notifications.h"
#include "sim/SuiteSupport.h"

namespace sim {

namespace {

using namespace support;

AIErr CountLayers(int32_t* count) {
  SIM_REQUIRE(count, kBadParameterErr);
  *count = 0;
  SIM_DOC(doc);
  *count = static_cast<int32_t>(doc->layers.size());
  return kNoErr;
}

AIErr GetNthLayer(int32_t index, AILayerHandle* layer) {
  SIM_REQUIRE(layer, kBadParameterErr);
  *layer = nullptr;
  SIM_DOC(doc);
  SIM_REQUIRE(index >= 0 && static_cast<size_t>(index) < doc->layers.size(), kIndexOutOfRangeErr);
  *layer = HandleOf(doc->layers[static_cast<size_t>(index)]);
  return kNoErr;
}

AIErr GetFirstLayer(AILayerHandle* first) {
  SIM_REQUIRE(first, kBadParameterErr);
  *first = nullptr;
  SIM_DOC(doc);
  if (!doc->layers.empty()) *first = HandleOf(doc->layers.front());
  return kNoErr;
}

AIErr Beside(AILayerHandle handle, AILayerHandle* out, int offset) {
  SIM_REQUIRE(out, kBadParameterErr);
  *out = nullptr;
  SIM_LAYER(layer, handle);
  const std::vector<Layer*>& siblings = Doc()->SiblingLayers(layer);
  const auto at = std::find(siblings.begin(), siblings.end(), layer) - siblings.begin() + offset;
  if (at >= 0 && at < static_cast<std::ptrdiff_t>(siblings.size())) *out = HandleOf(siblings[static_cast<size_t>(at)]);
  return kNoErr;
}

AIErr GetNextLayer(AILayerHandle layer, AILayerHandle* next) { return Beside(layer, next, 1); }
AIErr GetPrevLayer(AILayerHandle layer, AILayerHandle* previous) { return Beside(layer, previous, -1); }

AIErr GetLayerFirstChild(AILayerHandle handle, AILayerHandle* child) {
  SIM_REQUIRE(child, kBadParameterErr);
  *child = nullptr;
  SIM_LAYER(layer, handle);
  const std::vector<Layer*>& sublayers = Doc()->Sublayers(layer);
  if (!sublayers.empty()) *child = HandleOf(sublayers.front());
  return kNoErr;
}

AIErr GetLayerParent(AILayerHandle handle, AILayerHandle* parent) {
  SIM_REQUIRE(parent, kBadParameterErr);
  *parent = nullptr;
  SIM_LAYER(layer, handle);
  *parent = HandleOf(layer->parent);
  return kNoErr;
}

AIErr GetCurrentLayer(AILayerHandle* layer) {
  SIM_REQUIRE(layer, kBadParameterErr);
  *layer = nullptr;
  SIM_DOC(doc);
  *layer = HandleOf(doc->currentLayer);
  return kNoErr;
}

AIErr SetCurrentLayer(AILayerHandle handle) {
  SIM_LAYER(layer, handle);
  Doc()->currentLayer = layer;
  return kNoErr;
}

AIErr GetLayerByTitle(AILayerHandle* layer, AIUnicodeStringRef title) {
  SIM_REQUIRE(layer && title, kBadParameterErr);
  *layer = nullptr;
  SIM_DOC(doc);
  const std::u16string units = UnitsOf(title);
  for (Layer* candidate : doc->AllLayers()) {
    if (candidate->title == units) {
      *layer = HandleOf(candidate);
      break;
    }
  }
  return kNoErr;
}

AIErr InsertLayer(AILayerHandle reference, AIPaintOrder paintOrder, AILayerHandle* newLayer) {
  SIM_REQUIRE(newLayer, kBadParameterErr);
  *newLayer = nullptr;
  SIM_DOC(doc);
  Layer* layer = reference ? LayerOf(reference) : nullptr;
  SIM_REQUIRE(!reference || layer, kBadArtErr);
  Layer* made = nullptr;
  const AIErr error = doc->InsertLayer(layer, paintOrder, &made);
  *newLayer = HandleOf(made);
  if (!error) PostDocumentChanged();
  return error;
}

AIErr DeleteLayer(AILayerHandle handle) {
  SIM_LAYER(layer, handle);
  if (Doc()->LayerHasSelection(layer)) PostSelectionChanged();
  Doc()->DeleteLayer(layer);
  PostDocumentChanged();
  return kNoErr;
}

AIErr GetLayerTitle(AILayerHandle handle, AIUnicodeStringRef* title) {
  SIM_REQUIRE(title, kBadParameterErr);
  *title = nullptr;
  SIM_LAYER(layer, handle);
  *title = NewString(layer->title);
  return kNoErr;
}

AIErr SetLayerTitle(AILayerHandle handle, AIUnicodeStringRef title) {
  SIM_REQUIRE(title, kBadParameterErr);
  SIM_LAYER(layer, handle);
  layer->title = UnitsOf(title);
  PostDocumentChanged();
  return kNoErr;
}

AIErr GetFlag(AILayerHandle handle, AIBoolean* out, bool Layer::*flag) {
  SIM_REQUIRE(out, kBadParameterErr);
  SIM_LAYER(layer, handle);
  *out = layer->*flag;
  return kNoErr;
}

AIErr SetFlag(AILayerHandle handle, AIBoolean value, bool Layer::*flag) {
  SIM_LAYER(layer, handle);
  if (layer->*flag != (value != 0)) PostDocumentChanged();
  layer->*flag = value != 0;
  return kNoErr;
}

AIErr GetLayerVisible(AILayerHandle layer, AIBoolean* visible) { return GetFlag(layer, visible, &Layer::visible); }
AIErr SetLayerVisible(AILayerHandle layer, AIBoolean visible) { return SetFlag(layer, visible, &Layer::visible); }
AIErr GetLayerEditable(AILayerHandle layer, AIBoolean* editable) { return GetFlag(layer, editable, &Layer::editable); }
AIErr SetLayerEditable(AILayerHandle layer, AIBoolean editable) { return SetFlag(layer, editable, &Layer::editable); }

AIErr LayerHasSelectedArt(AILayerHandle handle, AIBoolean* hasSelected) {
  SIM_REQUIRE(hasSelected, kBadParameterErr);
  SIM_LAYER(layer, handle);
  *hasSelected = Doc()->LayerHasSelection(layer);
  return kNoErr;
}

AIErr DeselectArtOnLayer(AILayerHandle handle) {
  SIM_LAYER(layer, handle);
  if (Doc()->LayerHasSelection(layer)) PostSelectionChanged();
  // Art the layer left in its file holds nothing selected.
  Doc()->WalkMaybeSelected(layer->group, [](Art* art) {
    if (!art->ownerLayer) art->userAttributes &= ~kArtSelected;
  });
  return kNoErr;
}

const AILayerSuite layerSuite = {
    CountLayers,     GetNthLayer,     GetFirstLayer,      GetNextLayer,     GetPrevLayer,
    GetLayerFirstChild, GetLayerParent, GetCurrentLayer,  SetCurrentLayer,  GetLayerByTitle,
    InsertLayer,     DeleteLayer,     GetLayerTitle,      SetLayerTitle,    GetLayerVisible,
    SetLayerVisible, GetLayerEditable, SetLayerEditable,  LayerHasSelectedArt, DeselectArtOnLayer,
};

}  // namespace

const AILayerSuite* LayerSuite() { return &layerSuite; }

}  // namespace sim
