// Ordered sets of art objects: the selection and the art of a layer.
#pragma once

#include "host/HostTypes.h"

#define kAIArtSetSuite "AI Art Set Suite"
#define kAIArtSetSuiteVersion 7

struct AIArtSetSuite {
  AIErr (*NewArtSet)(AIArtSet* artSet);
  // Frees the set (never the art in it) and clears the handle.
  AIErr (*DisposeArtSet)(AIArtSet* artSet);
  AIErr (*CountArtSet)(AIArtSet artSet, size_t* count);
  AIErr (*IndexArtSet)(AIArtSet artSet, size_t index, AIArtHandle* art);
  AIErr (*AddArtToArtSet)(AIArtSet artSet, AIArtHandle art);
  // Replaces the contents by every selected art object of the current
  // document, in document order (layers top to bottom, each art before its
  // contents); containers and their contents are both listed.
  AIErr (*SelectedArtSet)(AIArtSet artSet);
  // Replaces the contents by every art object of the layer's tree in
  // document order, sublayer contents included, layer groups excluded.
  AIErr (*LayerArtSet)(AILayerHandle layer, AIArtSet artSet);
};
