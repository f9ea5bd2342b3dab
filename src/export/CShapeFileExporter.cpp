#include "export/CShapeFileExporter.h"

#include "export/EsriProjection.h"
#include <cstdio>

#include "formats/CKzTextFileWriter.h"


CShapeFileExporter::CShapeFileExporter(SPPluginRef owner) : CExporterBase(owner) {}

CShapeFileExporter::~CShapeFileExporter() = default;

int32_t CShapeFileExporter::ShapeTypeOf(int32_t dataType) {
  switch (dataType) {
    case kExportPolyline:
      return kShapePolyLine;
    case kExportPolygon:
      return kShapePolygon;
    case kExportMultiPoint:
      return kShapeMultiPoint;
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

void CShapeFileExporter::CheckEncoding(const ai::UnicodeString& text) {
  if (!CKzTextFileWriter::CanEncode(text, settings.encoding)) CountUnencodable(1);
}

std::string CShapeFileExporter::OutputProblem() const { return writer ? writer->GetProblem() : problem; }

bool CShapeFileExporter::OpenOutput(const ai::FilePath& path) {
  problem.clear();
  writer = std::make_unique<CShapeFileWriter>();
  outputPath = path;
  const int32_t encoding = settings.encoding == kEncodingUtf8 ? kEncodingUtf8 : kEncodingShiftJis;
  writer->Begin(ShapeTypeOf(settings.dataType), encoding);
  renamedColumns.clear();
  for (const ShapeField& field : ExportFields()) {
    CheckEncoding(field.name);
    if (!writer->AddField(field)) return false;
    NoteColumnName(field.name, writer->GetColumnCount() - 1);
  }
  return writer->Create(path);
}

// A dBASE column name holds 10 bytes and is unique in its table: a field
// whose name the writer had to cut or number is named to the user with the
// name it has in the file.
void CShapeFileExporter::NoteColumnName(const ai::UnicodeString& given, int32_t column) {
  const std::string bytes = writer->GetColumnName(column);
  const ai::UnicodeString stored = settings.encoding == kEncodingUtf8
                                       ? ai::UnicodeString::FromUTF8(bytes)
                                       : ai::UnicodeString(bytes, kAIShiftJISCharacterEncoding);
  if (stored == given) return;
  renamedColumns.push_back(given.as_UTF8() + " → " + stored.as_UTF8());
}

bool CShapeFileExporter::SetRow(const CKzShapeAttr& attributes, const ai::UnicodeString* layerName,
                                const ai::UnicodeString* text) {
  std::vector<ShapeField> record;
  record.reserve(static_cast<size_t>(attributes.Count()));
  for (int32_t i = 0; i < attributes.Count(); ++i) {
    ShapeField field;
    if (!attributes.Get(i, field)) continue;
    if (field.type == kShapeFieldString) CheckEncoding(field.value);
    record.push_back(std::move(field));
  }
  // Fields that are not in the layers' field lists have no column; that
  // costs nothing else of the row.
  writer->SetValues(record);
  // The extra columns by position, so that an attribute field of the same
  // name can never take their place.
  if (layerName != nullptr && LayerFieldIndex() >= 0) {
    CheckEncoding(*layerName);
    writer->SetValue(LayerFieldIndex(), *layerName);
  }
  if (text != nullptr && TextFieldIndex() >= 0) {
    CheckEncoding(*text);
    writer->SetValue(TextFieldIndex(), *text);
  }
  return true;
}

bool CShapeFileExporter::WritePoint(const MapPoint& point, const CKzShapeAttr& attributes,
                                    const ai::UnicodeString* layerName, const ai::UnicodeString* text) {
  if (!writer || !SetRow(attributes, layerName, text)) return false;
  // A MultiPoint file holds a single point as a record of one point.
  if (settings.dataType == kExportMultiPoint) return writer->WriteMultiPoint({point});
  return writer->WritePoint(point.x, point.y);
}

bool CShapeFileExporter::WriteMultiPoint(const PointPart& points, const CKzShapeAttr& attributes,
                                         const ai::UnicodeString* layerName) {
  if (!writer || !SetRow(attributes, layerName, nullptr)) return false;
  return writer->WriteMultiPoint(points);
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

// The .prj goes with the rest of the set, complete or not at all; without a
// text for the system, a .prj of an earlier export is removed with the set.
void CShapeFileExporter::SetProjection() {
  const std::string text = EsriProjectionText(settings.output);
  writer->SetProjection(text);
  if (text.empty())
    NoteProblem(outputPath.SetFileExtension("shp").GetFileName().as_UTF8() +
                ": 座標系ファイル(.prj)を書き出せませんでした");
}

void CShapeFileExporter::NoteValueCounts() {
  const std::string file = outputPath.SetFileExtension("shp").GetFileName().as_UTF8();
  int64_t cut = 0;
  for (int32_t column = 0; column < writer->GetColumnCount(); ++column) cut += writer->GetCutCount(column);
  char text[200];
  if (!renamedColumns.empty()) {
    std::snprintf(text, sizeof text, ": 列名が10バイトを超えるか重なるため、名前を変えた列が %d 個あります: ",
                  static_cast<int>(renamedColumns.size()));
    std::string list;
    for (const std::string& rename : renamedColumns) list += (list.empty() ? "" : ", ") + rename;
    NoteProblem(file + text + list);
  }
  if (const int32_t overflow = writer->GetOverflowCount(); overflow > 0) {
    std::snprintf(text, sizeof text, ": 桁数に収まらない数値が %d 個あり、「*」で書き出しました", overflow);
    NoteProblem(file + text);
  }
  if (cut > 0) {
    std::snprintf(text, sizeof text, ": フィールドの長さを超える文字列が %lld 個あり、切り詰めました",
                  static_cast<long long>(cut));
    NoteProblem(file + text);
  }
}

bool CShapeFileExporter::CloseOutput() {
  if (!writer) return false;
  NoteValueCounts();
  SetProjection();
  const bool finished = writer->Finish();
  problem = writer->GetProblem();
  writer.reset();
  return finished;
}

void CShapeFileExporter::AbandonOutput() {
  if (writer) problem = writer->GetProblem();
  writer.reset();
}
