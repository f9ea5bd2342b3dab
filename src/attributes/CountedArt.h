// Which art objects carry attributes when the system walks a layer or the
// selection: groups other than layer groups, paths, compound paths, text
// frames and symbol instances. Over the selection, containers count only
// when fully selected, and guides and clipping paths never count.
#pragma once

#include "host/HostTypes.h"

// The type rule alone. A failed type query is returned.
AIErr CountsByType(AIArtHandle art, bool* counts);

// The type rule and the selection conditions.
AIErr CountsInSelection(AIArtHandle art, bool* counts);
