#include "export/CGeoTextFileExporter.h"

#include "attributes/FieldValues.h"

namespace {

std::u16string Widen(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

}  // namespace

CGeoTextFileExporter::CGeoTextFileExporter(SPPluginRef owner) : CExporterBase(owner) {}

CGeoTextFileExporter::~CGeoTextFileExporter() = default;

std::pair<const char*, const char*> CGeoTextFileExporter::CoordinateColumns(int32_t kind) {
  switch (kind) {
    case kKindPlane:
      return {"平面直角X座標(m)", "平面直角Y座標(m)"};
    case kKindUtm:
      return {"UTM N座標(m)", "UTM E座標(m)"};
    default:
      return {"緯度(B)", "経度(L)"};
  }
}

void CGeoTextFileExporter::PrepareSettings(ExportSettings& s) {
  s.format = kExportTextFile;
  s.dataType = kExportPoint;
  CExporterBase::PrepareSettings(s);
}

std::u16string CGeoTextFileExporter::FileFilter() const {
  std::u16string filter;
  if (settings.delimiter == ',')
    AppendFilter(filter, u"CSVファイル(*.csv)", u"*.csv");
  else
    AppendFilter(filter, u"タブ区切りテキストファイル(*.txt)", u"*.txt");
  AppendFilter(filter, u"すべてのファイル(*.*)", u"*.*");
  return filter;
}

ai::UnicodeString CGeoTextFileExporter::DefaultFileName() const { return DocumentFileStem() + ".txt"; }

ai::UnicodeString CGeoTextFileExporter::LayerFileName(AILayerHandle layer) {
  return UniqueLayerFileName(layer, settings.delimiter == ',' ? "csv" : "txt");
}

bool CGeoTextFileExporter::OpenOutput(const ai::FilePath& path) {
  problem.clear();
  columnIndex.clear();
  const std::vector<ShapeField>& fields = ExportFields();
  for (size_t i = 0; i < fields.size(); ++i) columnIndex[FieldKey(fields[i])] = static_cast<int32_t>(i);
  file = std::make_unique<CKzTextFileWriter>();
  if (!file->Open(path, settings.encoding)) return false;
  return file->WriteByteOrderMark() && WriteHeader();
}

void CGeoTextFileExporter::AppendValue(std::u16string& line, const ai::UnicodeString& value) {
  if (!CKzTextFileWriter::CanEncode(value, settings.encoding)) CountUnencodable(1);
  line += static_cast<char16_t>(settings.delimiter);
  line += DelimitedValue(value.as_UTF16(), static_cast<char16_t>(settings.delimiter));
}

bool CGeoTextFileExporter::WriteHeader() {
  const auto [first, second] = CoordinateColumns(settings.output.kind);
  std::u16string line = ai::UnicodeString(first).as_UTF16();
  line += static_cast<char16_t>(settings.delimiter);
  line += ai::UnicodeString(second).as_UTF16();
  for (const ShapeField& field : ExportFields()) AppendValue(line, field.name);
  return file->WriteLine(ai::UnicodeString::FromUTF16(line));
}

bool CGeoTextFileExporter::WritePoint(const MapPoint& point, const CKzShapeAttr& attributes,
                                      const ai::UnicodeString* layerName, const ai::UnicodeString* text) {
  if (!file || !file->IsOpen()) return false;
  std::vector<ai::UnicodeString> values(ExportFields().size());
  for (int32_t i = 0; i < attributes.Count(); ++i) {
    ShapeField field;
    if (!attributes.Get(i, field)) continue;
    const auto column = columnIndex.find(FieldKey(field));
    if (column != columnIndex.end()) values[static_cast<size_t>(column->second)] = field.value;
  }
  if (layerName != nullptr && LayerFieldIndex() >= 0) values[static_cast<size_t>(LayerFieldIndex())] = *layerName;
  if (text != nullptr && TextFieldIndex() >= 0) values[static_cast<size_t>(TextFieldIndex())] = *text;

  std::u16string line = Widen(FixedNine(point.y));
  line += static_cast<char16_t>(settings.delimiter);
  line += Widen(FixedNine(point.x));
  for (const ai::UnicodeString& value : values) AppendValue(line, value);
  return file->WriteLine(ai::UnicodeString::FromUTF16(line));
}

bool CGeoTextFileExporter::CloseOutput() {
  if (!file) return false;
  const bool committed = file->Commit();
  problem = file->GetProblem();
  file.reset();
  return committed;
}

void CGeoTextFileExporter::AbandonOutput() {
  if (file) problem = file->GetProblem();
  file.reset();
}

std::string CGeoTextFileExporter::OutputProblem() const { return file ? file->GetProblem() : problem; }
