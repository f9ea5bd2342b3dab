// The coordinate settings of one import: which reference the files'
// coordinates are in, whether only an area of them is drawn, and, for a new
// map, its reference, scale and orientation. The import coordinate dialog
// fills the record; the import framework turns it into a converter, a map
// transform and, for a new map, a data frame.
#pragma once

#include <cstdint>

#include "geodesy/CoordRef.h"
#include "host/HostTypes.h"

enum ImportGeorefMode : int32_t {
  kImportUseDataFrame = 0,
  kImportFitToMarkers = 1,
  kImportNewDataFrame = 2,
};

struct ImportCoordSettings {
  int32_t mode = kImportNewDataFrame;
  int32_t sourceDatum = kDatumJgd2000;
  int32_t sourceKind = kKindLatLong;  // 1 latitude/longitude, 2 UTM, 3 plane rectangular
  int32_t sourceSystem = 0;
  int32_t sourceZone = 0;
  int32_t targetDatum = kDatumJgd2000;
  int32_t targetKind = kKindLatLong;  // 1 latitude/longitude plane, 2 UTM, 3 plane rectangular
  double scale = 25000.0;
  int32_t targetSystem = 0;
  int32_t targetZone = 0;
  int32_t northUp = 1;
  int32_t limitArea = 0;
  // Extent of the chosen files and the import area, in the files' own
  // coordinates (x easting or longitude, y northing or latitude).
  double extentXmin = 0, extentXmax = 0, extentYmin = 0, extentYmax = 0;
  double areaXmin = 0, areaXmax = 0, areaYmin = 0, areaYmax = 0;
  // Set when the files themselves name their reference (a .prj beside
  // them): the dialog then opens with that reference chosen instead of the
  // fixed first choices.
  bool sourceFromFiles = false;
  // Set by the dialog when the user chose the source reference: it then
  // applies to every file, whatever their .prj say.
  bool sourceChosen = false;

  CoordRef Source() const { return {sourceDatum, sourceKind, sourceSystem, sourceZone}; }
  CoordRef Target() const { return {targetDatum, targetKind, targetSystem, targetZone}; }
  void SetExtent(double xmin, double xmax, double ymin, double ymax);
};

// Preference prefix and keys of the remembered settings.
inline constexpr const char* kPreferencePrefix = "Kartzmap4.5";
namespace import_preferences {
inline constexpr const char* kLimitArea = "importLimitArea";
inline constexpr const char* kSourceDatum = "importInGeoSysType";
inline constexpr const char* kSourceKind = "importInProjection";
inline constexpr const char* kSourceSystem = "importInXYKei";
inline constexpr const char* kSourceZone = "importInUTMZone";
}  // namespace import_preferences

// Each remembered field is read with its current value as the default.
void LoadImportPreferences(ImportCoordSettings& settings);
void SaveImportPreferences(const ImportCoordSettings& settings);

// Runs dialog 108 of the plug-in over the host's main window: 0 when the user
// pressed OK and the record is filled, STOP when cancelled, else the failure
// to open the dialog.
AIErr RunImportCoordDialog(SPPluginRef plugin, ImportCoordSettings& settings);
