// The two drop-down lists through which users pick a plane rectangular system
// or a UTM zone. The item index is the system or zone number; item 0 is the
// prompt, so index 0 means that nothing was chosen.
#pragma once

#include <cstdint>

class DialogControls;

void FillUtmZoneList(const DialogControls& controls, int32_t listId);
void FillPlaneSystemList(const DialogControls& controls, int32_t listId);
