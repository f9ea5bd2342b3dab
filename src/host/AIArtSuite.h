// Art objects: type, creation, the art tree, bounds, user attributes and the
// art's own dictionary.
#pragma once

#include "host/HostTypes.h"

#define kAIArtSuite "AI Art Suite"
#define kAIArtSuiteVersion 16

struct AIArtSuite {
  // New art of the type (group, path, compound path) placed by the paint
  // order relative to prep (ignored by kPlaceAboveAll/kPlaceBelowAll, which
  // use the current layer's group).
  AIErr (*NewArt)(AIArtType type, AIPaintOrder paintOrder, AIArtHandle prep, AIArtHandle* newArt);
  // Removes the art and everything inside it; layer groups cannot be disposed.
  AIErr (*DisposeArt)(AIArtHandle art);
  // Moves the art (with its contents) to the place the paint order names.
  AIErr (*ReorderArt)(AIArtHandle art, AIPaintOrder paintOrder, AIArtHandle prep);

  AIErr (*GetArtType)(AIArtHandle art, AIArtType* type);

  // Tree steps. A missing neighbour is reported as null with kNoErr. The
  // first child is the topmost one; siblings run from top to bottom.
  AIErr (*GetArtParent)(AIArtHandle art, AIArtHandle* parent);
  AIErr (*GetArtFirstChild)(AIArtHandle art, AIArtHandle* child);
  AIErr (*GetArtLastChild)(AIArtHandle art, AIArtHandle* child);
  AIErr (*GetArtSibling)(AIArtHandle art, AIArtHandle* sibling);
  AIErr (*GetArtPriorSibling)(AIArtHandle art, AIArtHandle* sibling);

  // The layer's group: the root of the layer's art tree.
  AIErr (*GetFirstArtOfLayer)(AILayerHandle layer, AIArtHandle* art);
  // The layer the art lies on (for a sublayer's group, that sublayer).
  AIErr (*GetLayerOfArt)(AIArtHandle art, AILayerHandle* layer);
  // True for the group that is a layer's (or sublayer's) root.
  AIErr (*IsArtLayerGroup)(AIArtHandle art, AIBoolean* isLayerGroup);

  // Geometric bounds in page coordinates (y up: top >= bottom).
  AIErr (*GetArtBounds)(AIArtHandle art, AIRealRect* bounds);

  // User attributes (kArtSelected, kArtLocked, kArtHidden, kArtFullySelected):
  // attr receives (attributes & whichAttr). Selecting a container selects all
  // its contents; the fully-selected bit is the host's own and read only.
  AIErr (*GetArtUserAttr)(AIArtHandle art, int32_t whichAttr, int32_t* attr);
  AIErr (*SetArtUserAttr)(AIArtHandle art, int32_t whichAttr, int32_t attr);

  // The art's dictionary, made on first use. The reference is counted: the
  // caller releases it through the Dictionary suite.
  AIErr (*GetDictionary)(AIArtHandle art, AIDictionaryRef* dictionary);
  AIErr (*HasDictionary)(AIArtHandle art, AIBoolean* hasDictionary);

  // True when the art is painted with a fill (a path or compound path whose
  // style has fill on).
  AIErr (*ArtHasFill)(AIArtHandle art, AIBoolean* hasFill);
  // True for art that plug-ins walking the document leave alone (art the
  // host keeps for its own purposes, such as art inside a symbol definition
  // being edited or in a live result). Such art is never exported or changed.
  AIErr (*IsArtSkipped)(AIArtHandle art, AIBoolean* skip);
};
