// Walks over the current document that the attribute commands share: the
// top-level layers, the art of a layer, the selection, and whether art is
// hidden or locked by itself or by a group or layer it lies in.
#pragma once

#include <vector>

#include "host/HostTypes.h"

// The top-level layers from the first to the last.
AIErr TopLevelLayers(std::vector<AILayerHandle>& layers);

// Every art object of the layer's tree in document order, sublayers included.
AIErr ArtOfLayer(AILayerHandle layer, std::vector<AIArtHandle>& art);

// Every selected art object in document order.
AIErr SelectedArt(std::vector<AIArtHandle>& art);

// Whether any layer holds selected art; false when the host cannot say.
bool AnyLayerHasSelection();

// Clears the selection on every layer that has one.
AIErr DeselectAll();

// Whether the art, one of its groups, or its layer or a layer above that is
// hidden or locked; the user cannot see or change such art.
AIErr IsHiddenOrLocked(AIArtHandle art, bool* masked);
