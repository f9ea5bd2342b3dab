// Layers of the current document: walk, find, insert, title, state.
#pragma once

#include "host/HostTypes.h"

#define kAILayerSuite "AI Layer Suite"
#define kAILayerSuiteVersion 12

struct AILayerSuite {
  // Top-level layers only, counted and walked from the top.
  AIErr (*CountLayers)(int32_t* count);
  AIErr (*GetNthLayer)(int32_t index, AILayerHandle* layer);
  AIErr (*GetFirstLayer)(AILayerHandle* first);
  // Null at the end of the list, with kNoErr.
  AIErr (*GetNextLayer)(AILayerHandle layer, AILayerHandle* next);
  AIErr (*GetPrevLayer)(AILayerHandle layer, AILayerHandle* previous);
  // Sublayers: the first sublayer of a layer, and a sublayer's parent
  // (null for top-level layers).
  AIErr (*GetLayerFirstChild)(AILayerHandle layer, AILayerHandle* child);
  AIErr (*GetLayerParent)(AILayerHandle layer, AILayerHandle* parent);

  // Null (with kNoErr) when the document has no layer.
  AIErr (*GetCurrentLayer)(AILayerHandle* layer);
  AIErr (*SetCurrentLayer)(AILayerHandle layer);

  // The first layer, sublayers included, whose title equals the text; null
  // with kNoErr when there is none.
  AIErr (*GetLayerByTitle)(AILayerHandle* layer, AIUnicodeStringRef title);

  // A new layer placed by the paint order relative to the reference layer:
  // kPlaceAbove/kPlaceBelow beside it, kPlaceInsideOnTop/kPlaceInsideOnBottom
  // as its first or last sublayer, kPlaceAboveAll/kPlaceBelowAll at the top
  // or bottom of the document (reference may be null).
  AIErr (*InsertLayer)(AILayerHandle reference, AIPaintOrder paintOrder, AILayerHandle* newLayer);
  AIErr (*DeleteLayer)(AILayerHandle layer);

  // The title as a new string that the caller disposes.
  AIErr (*GetLayerTitle)(AILayerHandle layer, AIUnicodeStringRef* title);
  AIErr (*SetLayerTitle)(AILayerHandle layer, AIUnicodeStringRef title);

  AIErr (*GetLayerVisible)(AILayerHandle layer, AIBoolean* visible);
  AIErr (*SetLayerVisible)(AILayerHandle layer, AIBoolean visible);
  AIErr (*GetLayerEditable)(AILayerHandle layer, AIBoolean* editable);
  AIErr (*SetLayerEditable)(AILayerHandle layer, AIBoolean editable);

  // Whether any art of the layer (sublayers included) is selected.
  AIErr (*LayerHasSelectedArt)(AILayerHandle layer, AIBoolean* hasSelected);
  AIErr (*DeselectArtOnLayer)(AILayerHandle layer);
};
