// CGeoTextFileImporter: draws a delimited text file of point coordinates,
// one point per line, as point art in a layer of its own, every other column
// kept as the point's attributes. The user confirms the columns in the field
// settings dialog before the coordinate settings.
#pragma once

#include <cstdint>

#include "import/CImporterBase.h"
#include "import/GeoTextFieldSettings.h"

inline constexpr const char* kImportGeoTextFolderKey = "importGeoTextDir";

class CGeoTextFileImporter : public CImporterBase {
 public:
  explicit CGeoTextFileImporter(SPPluginRef plugin);
  ~CGeoTextFileImporter() override;

  AIErr ChooseFiles() override;
  AIErr ImportFile(const ai::FilePath& file, AILayerHandle& layer) override;
  bool GetDataExtent(double& xmin, double& xmax, double& ymin, double& ymax) override;
  // The field settings, then a first pass over the file for its extent.
  bool Prepare() override;

  const GeoTextFieldSettings& Settings() const { return settings; }

 private:
  enum class Scan { Done, Unreadable, Cancelled };
  bool ReadFirstLines(const ai::FilePath& file);
  Scan ScanExtent(const ai::FilePath& file);
  // The point of a data line; false when a coordinate is not a number.
  bool ReadPoint(const std::vector<ai::UnicodeString>& fields, double& x, double& y) const;
  std::vector<ShapeField> Row(const std::vector<ai::UnicodeString>& fields);
  AIErr DrawLine(const std::vector<ai::UnicodeString>& fields, AILayerHandle layer);
  void ReportBadLines(const ai::FilePath& file) const;

  GeoTextFieldSettings settings;
  std::vector<ShapeField> attributeFields;
  std::vector<size_t> attributeColumns;
  bool hasExtent = false;
  double extentXmin = 0, extentXmax = 0, extentYmin = 0, extentYmax = 0;
  int64_t fittedValues = 0;  // values changed to fit their field, in this file
  int64_t badLines = 0;  // data lines whose coordinates are not numbers, in this pass
};
