// The import commands of the panel's flyout menu, each run to its end by the
// menu's command handler: 0 when done, STOP when the user cancelled, else the
// failure (which the handler reports).
#pragma once

#include "host/HostTypes.h"

AIErr RunShapeFileImport(SPPluginRef plugin);
AIErr RunGeoTextFileImport(SPPluginRef plugin);
AIErr RunKMLFileImport(SPPluginRef plugin);
