#include "geodesy/CoordLists.h"

#include "geodesy/CoordRef.h"
#include "geodesy/CoordTexts.h"
#include "host/DialogControls.h"

void FillUtmZoneList(const DialogControls& controls, int32_t listId) {
  controls.ListReset(listId);
  for (int32_t zone = 0; zone <= kUtmZoneCount; ++zone)
    controls.ListAdd(listId, ai::UnicodeString(UtmZoneLabel(zone).c_str()));
  controls.ListSetDroppedWidth(listId, kUtmZoneListWidth);
}

void FillPlaneSystemList(const DialogControls& controls, int32_t listId) {
  controls.ListReset(listId);
  for (int32_t system = 0; system <= kPlaneSystemCount; ++system)
    controls.ListAdd(listId, ai::UnicodeString(PlaneSystemLabel(system).c_str()));
  controls.ListSetDroppedWidth(listId, kPlaneSystemListWidth);
}
