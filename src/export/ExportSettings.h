// ExportSettings: everything one export is asked to do — what to export, as
// which geometry, in which encoding, which kinds of objects, which extra
// columns, how curves are flattened, how the document is georeferenced and
// into which system the file's coordinates go. Kept between exports in the
// host's preferences.
#pragma once

#include <cstdint>

#include "geodesy/CoordRef.h"
#include "host/FilePath.h"

enum ExportFormat : int32_t {
  kExportShapefile = 0,
  kExportTextFile = 1,
};

enum ExportTarget : int32_t {
  kExportCurrentLayer = 0,
  kExportVisibleLayers = 1,
  kExportAllLayers = 2,
  kExportSelection = 3,
};

enum ExportDataType : int32_t {
  kExportPoint = 0,
  kExportPolyline = 1,
  kExportPolygon = 2,
  // Points, a group of marks making one record of several points.
  kExportMultiPoint = 3,
};

// Bits of the object kinds.
enum ExportObjectSpec : int32_t {
  kExportUnfilledPaths = 1,
  kExportFilledPaths = 2,
  kExportGroups = 4,
  kExportTexts = 8,
  kExportSymbols = 16,
  kExportElements = 2048,  // groups and compound paths element by element
};

inline constexpr int32_t kEncodingShiftJis = 17;
inline constexpr int32_t kEncodingUtf8 = 1;
inline constexpr int32_t kEncodingUtf16 = 2;

inline constexpr int32_t kMinBezierAccuracy = 1;
inline constexpr int32_t kMaxBezierAccuracy = 9;

struct ExportSettings {
  int32_t format = kExportShapefile;
  int32_t target = kExportCurrentLayer;
  bool selectionExists = false;
  bool oneFilePerLayer = false;
  int32_t dataType = kExportPoint;
  int32_t encoding = kEncodingShiftJis;
  char delimiter = '\t';  // '\t' or ','
  int32_t objectKinds = 31;
  bool addTextField = true;
  bool addLayerField = false;
  bool expandBezier = true;
  int32_t bezierAccuracy = 5;
  bool useDataFrame = false;
  bool dataFramePresent = false;
  bool markersPresent = false;
  CoordRef marker{kDatumJgd2000, kKindLatLong, 0, 0};
  bool convertCoords = false;
  CoordRef output{kDatumJgd2000, kKindLatLong, 0, 0};
  // The reference of the document's data frame, when it has one; the dialog
  // describes it and takes it as the output when not converting.
  CoordRef dataFrame;

  bool Has(int32_t kinds) const { return (objectKinds & kinds) != 0; }
  bool PointsOnly() const { return dataType == kExportPoint || dataType == kExportMultiPoint; }
  bool PerLayerFiles() const {
    return oneFilePerLayer && (target == kExportVisibleLayers || target == kExportAllLayers);
  }
};

inline constexpr const char* kPreferencePrefix = "Kartzmap4.5";
inline constexpr const char* kExportPathKey = "exportPath";

// Every key present leaves its value in the member; missing keys leave the
// member as it is.
void LoadPreferences(ExportSettings& settings);
void SavePreferences(const ExportSettings& settings);

// The remembered output location; empty when none.
ai::FilePath LoadExportPath();
void SaveExportPath(const ai::FilePath& location);
