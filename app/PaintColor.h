// The colours of the document as the screen shows them: every colour model
// turned into RGB.
#pragma once

#include "host/HostTypes.h"

namespace kzmap {

struct Rgb {
  double red = 0, green = 0, blue = 0;
};

// False for "none" and for kinds the renderer does not know. Gray is an
// amount of ink as in the grayscale panel (0 white, 1 black); process colours
// are separated naively (red = (1 − cyan)(1 − black), ...). Components are
// clamped to 0..1.
bool ToRgb(const AIColor& color, Rgb& rgb);

}  // namespace kzmap
