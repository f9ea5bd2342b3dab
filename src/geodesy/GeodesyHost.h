// The two things the coordinate code asks of the host: where the plug-in file
// lies (the datum grids are kept beside it) and an alert about a grid.
#pragma once

#include "host/FilePath.h"
#include "host/HostTypes.h"

// The file `name` in the folder of the plug-in file; empty when the host
// cannot tell where the plug-in is.
ai::FilePath FileBesidePlugin(SPPluginRef owner, const char* name);

// Shows an error alert with a UTF-8 text; nothing without a host.
void ShowGeodesyAlert(const char* text);
// Shows a message alert (a warning, not an error); nothing without a host.
void ShowGeodesyNote(const char* text);
