#include "export/CGeoTextFileExporter.h"

#include <cstdio>
#include <set>


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

// A text table has no types or widths: fields of one name share a column. A
// header that is already taken (a field named like a coordinate column) gets
// "_1", "_2", ... and the user is told.
void CGeoTextFileExporter::BuildColumns() {
  columns.clear();
  columnIndex.clear();
  fieldColumn.clear();
  renamedColumns.clear();
  const auto [first, second] = CoordinateColumns(settings.output.kind);
  std::set<std::string> taken{first, second};
  for (const ShapeField& field : ExportFields()) {
    const std::string name = field.name.as_UTF8();
    if (const auto known = columnIndex.find(name); known != columnIndex.end()) {
      fieldColumn.push_back(known->second);
      continue;
    }
    std::string header = name;
    for (int number = 1; taken.count(header) != 0; ++number) header = name + "_" + std::to_string(number);
    if (header != name) renamedColumns.push_back(name + " → " + header);
    taken.insert(header);
    const auto column = static_cast<int32_t>(columns.size());
    columnIndex[name] = column;
    fieldColumn.push_back(column);
    columns.push_back(ai::UnicodeString::FromUTF8(header));
  }
}

bool CGeoTextFileExporter::OpenOutput(const ai::FilePath& path) {
  problem.clear();
  BuildColumns();
  outputPath = path;
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
  for (const ai::UnicodeString& column : columns) AppendValue(line, column);
  return file->WriteLine(ai::UnicodeString::FromUTF16(line));
}

bool CGeoTextFileExporter::WritePoint(const MapPoint& point, const CKzShapeAttr& attributes,
                                      const ai::UnicodeString* layerName, const ai::UnicodeString* text) {
  if (!file || !file->IsOpen()) return false;
  std::vector<ai::UnicodeString> values(columns.size());
  for (int32_t i = 0; i < attributes.Count(); ++i) {
    ShapeField field;
    if (!attributes.Get(i, field)) continue;
    const auto column = columnIndex.find(field.name.as_UTF8());
    if (column != columnIndex.end()) values[static_cast<size_t>(column->second)] = field.value;
  }
  const auto extra = [&](int32_t index, const ai::UnicodeString* value) {
    if (value != nullptr && index >= 0) values[static_cast<size_t>(fieldColumn[static_cast<size_t>(index)])] = *value;
  };
  extra(LayerFieldIndex(), layerName);
  extra(TextFieldIndex(), text);

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
  if (committed && !renamedColumns.empty()) {
    char text[160];
    std::snprintf(text, sizeof text, ": 見出しが重なるため、名前を変えた列が %d 個あります: ",
                  static_cast<int>(renamedColumns.size()));
    std::string list;
    for (const std::string& rename : renamedColumns) list += (list.empty() ? "" : ", ") + rename;
    NoteProblem(outputPath.GetFileName().as_UTF8() + text + list);
  }
  return committed;
}

void CGeoTextFileExporter::AbandonOutput() {
  if (file) problem = file->GetProblem();
  file.reset();
}

std::string CGeoTextFileExporter::OutputProblem() const { return file ? file->GetProblem() : problem; }
