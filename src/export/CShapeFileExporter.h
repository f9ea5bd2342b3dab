// CShapeFileExporter: art as an ESRI Shapefile (.shp, .shx, .dbf) of points,
// polylines or polygons, with a .prj naming the output coordinate system so
// that GIS software places the data without asking.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "export/CExporterBase.h"
#include "formats/CShapeFileWriter.h"

class CShapeFileExporter : public CExporterBase {
 public:
  explicit CShapeFileExporter(SPPluginRef owner);
  ~CShapeFileExporter() override;

  // Shape type code by data type: 1 point, 3 polyline, 5 polygon.
  static int32_t ShapeTypeOf(int32_t dataType);

 protected:
  void PrepareSettings(ExportSettings& settings) override;
  bool WritePoint(const MapPoint& point, const CKzShapeAttr& attributes, const ai::UnicodeString* layerName,
                  const ai::UnicodeString* text) override;
  bool WritePolyline(const std::vector<PointPart>& parts, const CKzShapeAttr& attributes,
                     const ai::UnicodeString* layerName) override;
  bool WritePolygon(const std::vector<PointPart>& parts, const CKzShapeAttr& attributes,
                    const ai::UnicodeString* layerName) override;
  bool WriteMultiPoint(const PointPart& points, const CKzShapeAttr& attributes,
                       const ai::UnicodeString* layerName) override;
  std::u16string FileFilter() const override;
  ai::UnicodeString DefaultFileName() const override;
  ai::UnicodeString LayerFileName(AILayerHandle layer) override;
  bool OpenOutput(const ai::FilePath& path) override;
  bool CloseOutput() override;
  void AbandonOutput() override;
  std::string OutputProblem() const override;

 private:
  // The row of the next record; false when the writer refuses it.
  bool SetRow(const CKzShapeAttr& attributes, const ai::UnicodeString* layerName, const ai::UnicodeString* text);
  // Counts a text that the file's encoding cannot hold.
  void CheckEncoding(const ai::UnicodeString& text);
  // Remembers a field whose column the writer had to name otherwise.
  void NoteColumnName(const ai::UnicodeString& given, int32_t column);
  // Columns renamed, numbers written as overflow marks and texts cut, told
  // once per file.
  void NoteValueCounts();
  void SetProjection();

  std::unique_ptr<CShapeFileWriter> writer;
  ai::FilePath outputPath;
  std::vector<std::string> renamedColumns;  // "given → stored", UTF-8
  std::string problem;  // why the last file could not be written
};
