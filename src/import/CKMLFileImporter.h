// CKMLFileImporter: draws the placemarks of a KML file as art: points as
// point marks, line strings as open paths, polygons (with their holes) as
// closed paths, each with its name, description and extended data as
// attributes and with stroke, fill and opacity from its style. Documents and
// folders become nested layers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/KmlReader.h"
#include "formats/KmlStyleTable.h"
#include "import/CImporterBase.h"
#include "import/KmlFieldLayout.h"

inline constexpr const char* kImportKmlFolderKey = "importKMLDir";

class CKMLFileImporter : public CImporterBase {
 public:
  // Folders nested deeper than this put their placemarks into the deepest layer.
  static constexpr size_t kMaxLayerDepth = 32;

  explicit CKMLFileImporter(SPPluginRef plugin);
  ~CKMLFileImporter() override;

  AIErr ChooseFiles() override;
  AIErr ImportFile(const ai::FilePath& file, AILayerHandle& layer) override;
  bool GetDataExtent(double& xmin, double& xmax, double& ymin, double& ymax) override;
  // A first pass over the file: its extent, its styles and its fields.
  bool Prepare() override;

 private:
  class ExtentPass;
  class DrawPass;
  enum class Outcome { Done, Unreadable, Stopped };

  // Feeds the whole file to a reader that hands its findings to sink.
  Outcome Read(const ai::FilePath& file, KmlSink& sink, const ai::UnicodeString& progressText);
  // How far the current pass has come, and whether the user asked to stop.
  bool ProgressCancelled();
  void ReportDamage(const ai::FilePath& file) const;

  AIErr NewSublayer(AILayerHandle parent, const std::string& name, AILayerHandle& layer);
  AIErr WriteLayerFields(AILayerHandle layer);
  AIErr DrawPlacemark(const KmlPlacemark& placemark, AILayerHandle layer);
  AIErr DrawPaths(const KmlPlacemark& placemark, AILayerHandle layer, const std::vector<ShapeField>& row);
  AIErr StyleAndStore(const std::vector<AIArtHandle>& paths, const std::vector<bool>& closed, AILayerHandle layer,
                      const KmlPlacemark& placemark, const std::vector<ShapeField>& row);

  KmlStyleTable styles;
  KmlFieldLayout fieldLayout;
  bool hasExtent = false;
  double extentXmin = 0, extentXmax = 0, extentYmin = 0, extentYmax = 0;
  int64_t badTuples = 0;
  // What the last reading of the file met: where it was cut short, the
  // placemarks left out for it, and the elements nested too deep to read.
  bool truncated = false;
  int64_t endLine = 0;
  int64_t cutPlacemarks = 0;
  int64_t deepElements = 0;
  // Placemarks (1-based, in file order) drawn without some of their vertices.
  std::vector<int64_t> alteredPlacemarks;
  std::vector<int64_t> thinnedPlacemarks;
  int64_t fittedValues = 0;
  uintmax_t fileSize = 0;
  uintmax_t fedBytes = 0;
  int32_t progressBase = 0;
};
