// CGeoTextFileExporter: art as a delimited text file (tab-separated .txt or
// comma-separated .csv) in Shift-JIS, UTF-8 or UTF-16, one line per object:
// the point in the output system, northing or latitude first, then the
// object's attribute values.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "export/CExporterBase.h"
#include "formats/CKzTextFileWriter.h"

class CGeoTextFileExporter : public CExporterBase {
 public:
  explicit CGeoTextFileExporter(SPPluginRef owner);
  ~CGeoTextFileExporter() override;

  // The two coordinate column names for an output coordinate kind.
  static std::pair<const char*, const char*> CoordinateColumns(int32_t kind);

 protected:
  void PrepareSettings(ExportSettings& settings) override;
  bool WritePoint(const MapPoint& point, const CKzShapeAttr& attributes, const ai::UnicodeString* layerName,
                  const ai::UnicodeString* text) override;
  std::u16string FileFilter() const override;
  ai::UnicodeString DefaultFileName() const override;
  ai::UnicodeString LayerFileName(AILayerHandle layer) override;
  bool OpenOutput(const ai::FilePath& path) override;
  bool CloseOutput() override;
  void AbandonOutput() override;
  std::string OutputProblem() const override;

 private:
  // The columns and their headers, each header distinct from the others.
  void BuildColumns();
  bool WriteHeader();
  // One value of the line, quoted as the delimiter needs and checked against the encoding.
  void AppendValue(std::u16string& line, const ai::UnicodeString& value);

  // The attribute columns after the two coordinates: one per field name, so
  // that fields of one name defined differently on two layers share it.
  std::vector<ai::UnicodeString> columns;
  std::map<std::string, int32_t> columnIndex;  // field name (UTF-8) -> column
  std::vector<int32_t> fieldColumn;            // export field -> column
  std::vector<std::string> renamedColumns;     // "name → header", UTF-8
  ai::FilePath outputPath;
  std::unique_ptr<CKzTextFileWriter> file;
  std::string problem;  // why the last file could not be written
};
