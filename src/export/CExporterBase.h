// CExporterBase: one export command. Asks for the settings and the output,
// collects the art of a layer, of the visible or of all layers, or of the
// selection, turns each object into points, polylines or polygons in the
// output coordinate system and hands them with the object's attribute row to
// the concrete exporter, which writes the file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "attributes/CKzShapeAttr.h"
#include "export/ExportFileNames.h"
#include "export/ExportSettings.h"
#include "export/MapPoint.h"
#include "export/PathPoints.h"
#include "formats/ShapeField.h"
#include "geodesy/CoordConverter.h"
#include "georef/MapTransform.h"
#include "host/FilePath.h"
#include "host/HostTypes.h"
#include "host/UnicodeString.h"

// Run's result when the export failed and the user has been told why.
inline constexpr AIErr kExportFailedErr = FourCC("xFal");

inline constexpr const char* kLayerFieldName = "AI_LAYER";
inline constexpr const char* kTextFieldName = "AI_TEXT";

class CExporterBase {
 public:
  explicit CExporterBase(SPPluginRef owner);
  virtual ~CExporterBase();
  CExporterBase(const CExporterBase&) = delete;
  CExporterBase& operator=(const CExporterBase&) = delete;

  // The whole command: 0, STOP when the user cancelled, or the code of a
  // failure that has been reported to the user.
  AIErr Run();

  const ExportSettings& Settings() const { return settings; }
  const std::vector<ShapeField>& ExportFields() const { return fields; }

 protected:
  virtual void PrepareSettings(ExportSettings& settings);
  virtual bool SetUpConversion();
  virtual void AddExtraFields();
  virtual AIErr ExportLayerToFile(AILayerHandle layer, bool separate);
  virtual AIErr ExportVisibleLayers();
  virtual AIErr ExportAllLayers();
  virtual AIErr ExportSelection();
  virtual AIErr ExportLayerObjects(AILayerHandle layer);
  virtual AIErr ExportPath(AIArtHandle art);
  virtual AIErr ExportGroup(AIArtHandle art);
  virtual AIErr ExportCompoundPath(AIArtHandle art);
  virtual AIErr ExportText(AIArtHandle art);
  virtual AIErr ExportSymbol(AIArtHandle art);
  virtual AIErr ExportContents(AIArtHandle art, bool descend, bool siblings);
  // Each returns whether the record was written; the walk goes on either way.
  virtual bool WritePoint(const MapPoint& point, const CKzShapeAttr& attributes, const ai::UnicodeString* layerName,
                          const ai::UnicodeString* text);
  virtual bool WritePolyline(const std::vector<PointPart>& parts, const CKzShapeAttr& attributes,
                             const ai::UnicodeString* layerName);
  virtual bool WritePolygon(const std::vector<PointPart>& parts, const CKzShapeAttr& attributes,
                            const ai::UnicodeString* layerName);
  // One record of several points; by default each point as a record of its own.
  virtual bool WriteMultiPoint(const PointPart& points, const CKzShapeAttr& attributes,
                               const ai::UnicodeString* layerName);
  virtual AIErr ChooseOutput(ai::FilePath& location);
  // A file-dialog filter: description and pattern pairs, each ended by U+0000,
  // the whole ended by one more U+0000.
  virtual std::u16string FileFilter() const;
  virtual ai::UnicodeString DefaultFileName() const;
  virtual ai::UnicodeString LayerFileName(AILayerHandle layer);
  virtual bool OpenOutput(const ai::FilePath& path);
  // False when the file could not be completed; nothing is then left of it.
  virtual bool CloseOutput();
  // Drops the file being written, leaving any earlier file of its name alone.
  virtual void AbandonOutput();
  // Why the last file could not be opened or completed: the file and the
  // system's reason (UTF-8); empty when unknown.
  virtual std::string OutputProblem() const;

  // The dialog, through the plug-in's module; tests may answer it otherwise.
  virtual AIErr ShowSettingsDialog();

  // Adds a pair to a filter text, replacing the final terminator of the text before.
  static void AppendFilter(std::u16string& filter, std::u16string_view description, std::u16string_view pattern);
  // The document's file name without its extension; "Export" for a document never saved.
  static ai::UnicodeString DocumentFileStem();
  // The title as a safe file name stem, made distinct within this export.
  ai::UnicodeString UniqueLayerFileName(AILayerHandle layer, const ai::UnicodeString& extension);

  // The artboard point in the output system; false when it cannot be converted.
  bool ToMap(const AIRealPoint& point, MapPoint& out) const;
  // Tells the user, once per file, about values the encoding could not hold.
  void CountUnencodable(int32_t values) { unencodableValues += values; }
  // A line for the report the user gets at the end of the export (UTF-8).
  void NoteProblem(std::string utf8) { fileNotes.push_back(std::move(utf8)); }

  // Positions of the extra columns in the export field list, -1 when absent.
  int32_t LayerFieldIndex() const { return layerFieldIndex; }
  int32_t TextFieldIndex() const { return textFieldIndex; }

  SPPluginRef Owner() const { return owner; }
  CoordConverter& Converter() { return converter; }
  const ai::FilePath& OutputLocation() const { return location; }

  ExportSettings settings;

 private:
  struct ObjectData;
  void LoadObject(AIArtHandle art, ObjectData& data) const;

  AIErr CheckGeoreference();
  AIErr ExportTarget();
  AIErr WriteFile(const ai::FilePath& path, const std::function<AIErr()>& walk);
  AIErr WalkLayers(const std::vector<AILayerHandle>& layers);
  AIErr WalkSelection(AIArtSet selection, size_t count);
  AIErr Dispatch(AIArtHandle art, AIArtType type);
  AIErr ExportSelected(AIArtHandle art, std::vector<AIArtHandle>& claimed);
  bool Included(AILayerHandle layer) const;
  std::vector<AILayerHandle> TopLayers(bool visibleOnly) const;
  void AddLayerTree(AILayerHandle layer, std::vector<AILayerHandle>& layers) const;
  void BuildFieldList(const std::vector<AILayerHandle>& layers);
  bool PassesFillFilter(AIArtHandle art) const;
  bool Points(AIArtHandle path, bool closeRing, PointPart& part);
  bool CentreOf(AIArtHandle art, MapPoint& point) const;
  bool MemberPoints(AIArtHandle group, PointPart& points) const;
  AIErr LayerTitleOf(AIArtHandle art, ai::UnicodeString& title) const;
  void Record(bool written);
  void NoteFile(const ai::FilePath& path);
  void ReportProblems() const;

  SPPluginRef owner;
  CoordConverter converter;
  MapTransform transform;
  PathPoints pathPoints;
  std::vector<AIRealPoint> artboardPoints;
  std::vector<ShapeField> fields;
  ai::FilePath location;
  ExportFileNames fileNames;
  bool geographicOutput = false;
  bool visibleOnly = false;  // hidden sublayers are left out
  int32_t layerFieldIndex = -1;
  int32_t textFieldIndex = -1;
  // Per run: objects left out, records the writer refused; per file: values
  // the encoding could not hold.
  int64_t unconvertedObjects = 0;
  int64_t failedWrites = 0;
  int64_t unencodableValues = 0;
  std::vector<std::string> fileNotes;
};
