#include "export/CShapeFileExporter.h"

#include "export/EsriProjection.h"
#include "formats/CKzTextFileWriter.h"


CShapeFileExporter::CShapeFileExporter(SPPluginRef owner) : CExporterBase(owner) {}

CShapeFileExporter::~CShapeFileExporter() = default;

int32_t CShapeFileExporter::ShapeTypeOf(int32_t dataType) {
  switch (dataType) {
    case kExportPolyline:
      return kShapePolyLine;
    case kExportPolygon:
      return kShapePolygon;
    default:
      return kShapePoint;
  }
}

void CShapeFileExporter::PrepareSettings(ExportSettings& s) {
  s.format = kExportShapefile;
  CExporterBase::PrepareSettings(s);
}

std::u16string CShapeFileExporter::FileFilter() const {
  std::u16string filter;
  AppendFilter(filter, u"Shapefiles(*.shp)", u"*.shp");
  return filter;
}

ai::UnicodeString CShapeFileExporter::DefaultFileName() const { return DocumentFileStem() + ".shp"; }

ai::UnicodeString CShapeFileExporter::LayerFileName(AILayerHandle layer) { return UniqueLayerFileName(layer, "shp"); }

std::string CShapeFileExporter::Encode(const ai::UnicodeString& text) {
  if (!CKzTextFileWriter::CanEncode(text, settings.encoding)) CountUnencodable(1);
  return text.getInStdString(settings.encoding == kEncodingUtf8 ? kAIUTF8CharacterEncoding
                                                                : kAIShiftJISCharacterEncoding);
}

bool CShapeFileExporter::OpenOutput(const ai::FilePath& path) {
  writer = std::make_unique<CShapeFileWriter>();
  outputPath = path;
  const int32_t encoding = settings.encoding == kEncodingUtf8 ? kEncodingUtf8 : kEncodingShiftJis;
  writer->Begin(ShapeTypeOf(settings.dataType), encoding);
  for (const ShapeField& field : ExportFields()) {
    Encode(field.name);
    if (!writer->AddField(field)) return false;
  }
  return writer->Create(path);
}

bool CShapeFileExporter::SetRow(const CKzShapeAttr& attributes, const ai::UnicodeString* layerName,
                                const ai::UnicodeString* text) {
  std::vector<ShapeField> record;
  record.reserve(static_cast<size_t>(attributes.Count()));
  for (int32_t i = 0; i < attributes.Count(); ++i) {
    ShapeField field;
    if (!attributes.Get(i, field)) continue;
    if (field.type == kShapeFieldString) Encode(field.value);
    record.push_back(std::move(field));
  }
  if (!writer->SetValues(record)) return false;
  if (layerName != nullptr && LayerFieldIndex() >= 0) writer->SetString(kLayerFieldName, Encode(*layerName));
  if (text != nullptr && TextFieldIndex() >= 0) writer->SetString(kTextFieldName, Encode(*text));
  return true;
}

bool CShapeFileExporter::WritePoint(const MapPoint& point, const CKzShapeAttr& attributes,
                                    const ai::UnicodeString* layerName, const ai::UnicodeString* text) {
  if (!writer || !SetRow(attributes, layerName, text)) return false;
  return writer->WritePoint(point.x, point.y);
}

bool CShapeFileExporter::WritePolyline(const std::vector<PointPart>& parts, const CKzShapeAttr& attributes,
                                       const ai::UnicodeString* layerName) {
  if (!writer || !SetRow(attributes, layerName, nullptr)) return false;
  return writer->WritePolyLine(parts);
}

bool CShapeFileExporter::WritePolygon(const std::vector<PointPart>& parts, const CKzShapeAttr& attributes,
                                      const ai::UnicodeString* layerName) {
  if (!writer || !SetRow(attributes, layerName, nullptr)) return false;
  return writer->WritePolygon(parts);
}

// The .prj beside the .shp, written as the other files are: complete or not at all.
bool CShapeFileExporter::WriteProjection() {
  const ai::FilePath prj = outputPath.SetFileExtension("prj");
  const std::string text = EsriProjectionText(settings.output);
  if (text.empty()) return false;
  CKzTextFileWriter file;
  return file.Open(prj, kEncodingUtf8) && file.WriteBytes(text) && file.Commit();
}

bool CShapeFileExporter::CloseOutput() {
  if (!writer) return false;
  const bool finished = writer->Finish();
  writer.reset();
  if (!finished) return false;
  if (!WriteProjection()) NoteProblem(outputPath.GetFileName().as_UTF8() + ": 座標系ファイル(.prj)を書き出せませんでした");
  return true;
}

void CShapeFileExporter::AbandonOutput() { writer.reset(); }
