#include "geodesy/GeodesyHost.h"

// The plug-ins and user suites are not declared yet: until they are, the grid
// file must be named through CoordConverter::SetGridFile and no alert is shown.
ai::FilePath FileBesidePlugin(SPPluginRef, const char*) { return {}; }

void ShowGeodesyAlert(const char*) {}
