// CShapeFileImporter: the import of one or more Shapefiles, each into a
// layer named after the file, with the file's fields on the layer and every
// record's row on the art drawn for it.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "formats/CShapeFileReader.h"
#include "formats/ShapeField.h"
#include "import/CImporterBase.h"

inline constexpr const char* kImportShapeFolderKey = "importShapeDir";

class CShapeFileImporter : public CImporterBase {
 public:
  explicit CShapeFileImporter(SPPluginRef plugin);
  ~CShapeFileImporter() override;

  AIErr ChooseFiles() override;
  AIErr ImportFile(const ai::FilePath& file, AILayerHandle& layer) override;
  bool GetDataExtent(double& xmin, double& xmax, double& ymin, double& ymax) override;

 private:
  AIErr WriteLayerFields(AIArtHandle group, int32_t encoding);
  std::vector<ShapeField> RecordFields(int32_t encoding);
  AIErr StoreRow(AIArtHandle art, const std::vector<ShapeField>& row) const;
  AIErr ImportPoint(AILayerHandle layer, int32_t encoding, bool& readable);
  AIErr ImportPoly(AILayerHandle layer, AIArtHandle group, bool closed, int32_t encoding, bool& readable);
  AIErr ImportMultiPoint(AILayerHandle layer, AIArtHandle group, int32_t encoding, bool& readable);
  bool SkipUnsupported(int32_t shapeType);
  void ReadCompanions(const ai::FilePath& file);
  int32_t EncodingOf(const ai::FilePath& file) const;

  std::unique_ptr<CShapeFileReader> reader;
  // Shape types already told about in the file being read.
  std::set<int32_t> toldTypes;
  // Bytes of the file's values that were not text in its encoding.
  int64_t undecodableBytes = 0;
  // Encodings named by the files' .cpg, by full path.
  std::map<std::string, int32_t> fileEncodings;
  // Whether a .prj named WGS 84, which is told once.
  bool wgs84Named = false;
};
