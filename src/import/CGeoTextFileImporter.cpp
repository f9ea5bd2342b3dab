#include "import/CGeoTextFileImporter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "attributes/CKzShapeAttr.h"
#include "attributes/FieldValues.h"
#include "formats/CKzTextFile.h"
#include "formats/DelimitedFields.h"
#include "host/AIArtSuite.h"
#include "host/AILayerSuite.h"
#include "host/AIPreferenceSuite.h"
#include "host/AIUserSuite.h"
#include "host/SuitePointers.h"
#include "import/ImportCoordSettings.h"
#include "import/OpenFilesDialog.h"
#include "import/TextFieldDialog.h"

namespace {

constexpr const char* kTitle = "座標付きテキストファイルを読み込む";
constexpr char kFilter[] = "Text Files(*.txt)\0*.txt\0CSV Files(*.csv)\0*.csv\0All Files(*.*)\0*.*\0";
// Lines between two looks at the progress display.
constexpr int64_t kProgressStep = 256;
// Longest record that a quoted field may carry over line breaks: a quote that
// never closes must not pull the rest of a large file into one value.
constexpr size_t kMaxRecordUnits = 1 << 20;

ai::UnicodeString Formatted(const char* format, const ai::UnicodeString& name, long long count) {
  const std::string utf8 = name.as_UTF8();
  std::vector<char> text(std::snprintf(nullptr, 0, format, utf8.c_str(), count) + 1);
  std::snprintf(text.data(), text.size(), format, utf8.c_str(), count);
  return ai::UnicodeString(text.data());
}

bool IsCsv(const ai::FilePath& file) {
  std::string extension = file.GetFileExtension().as_UTF8();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return extension == "csv";
}

// A decimal number that takes the whole field, spaces and tabs around it allowed.
bool ReadNumber(const ai::UnicodeString& field, double& value) {
  const std::string text = field.as_UTF8();
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return false;
  const size_t end = text.find_last_not_of(" \t") + 1;
  if (text[begin] == '+') ++begin;
  const auto [stop, error] = std::from_chars(text.data() + begin, text.data() + end, value);
  return error == std::errc() && stop == text.data() + end && std::isfinite(value);
}

// The next record: one line, or several when a quoted field holds line
// breaks, joined with a line feed (blank lines inside the quotes included).
bool ReadRecord(CKzTextFile& text, char16_t delimiter, ai::UnicodeString& record) {
  if (!text.ReadLine(record)) return false;
  std::u16string units = record.as_UTF16();
  if (units.find(u'"') == std::u16string::npos) return true;
  bool joined = false;
  ai::UnicodeString next;
  while (units.size() < kMaxRecordUnits && EndsInsideQuotes(units, delimiter) && text.ReadLine(next)) {
    units += u'\n';
    units += next.as_UTF16();
    joined = true;
  }
  if (joined) record = ai::UnicodeString::FromUTF16(units);
  return true;
}

// Reads the lines of a text file that carry data: empty lines are passed
// over, and with a header the first non-empty line too.
class DataLines {
 public:
  DataLines(const ai::FilePath& file, int32_t encoding, bool header, char16_t delimiter)
      : header(header), delimiter(delimiter) {
    opened = text.Open(file, encoding);
    std::error_code error;
    size = std::filesystem::file_size(file.GetPlatformPath(), error);
    if (error) size = 0;
  }
  bool Opened() const { return opened; }
  int64_t ReplacedBytes() const { return text.ReplacedBytes(); }
  bool Next(ai::UnicodeString& line) {
    while (ReadRecord(text, delimiter, line)) {
      if (line.empty()) continue;
      if (header) {
        header = false;
        continue;
      }
      return true;
    }
    return false;
  }
  // How far the reading has come, per thousand of the file.
  int32_t Permille() {
    std::FILE* stream = text.GetStream();
    const long position = stream != nullptr ? std::ftell(stream) : -1;
    if (size == 0 || position < 0) return 0;
    return static_cast<int32_t>(std::min<uintmax_t>(1000, static_cast<uintmax_t>(position) * 1000 / size));
  }

 private:
  CKzTextFile text;
  bool opened = false;
  bool header;
  char16_t delimiter;
  uintmax_t size = 0;
};

// Progress of a pass; true when the user asked to stop.
bool ProgressCancelled(DataLines& lines) {
  sAIUser->UpdateProgress(lines.Permille(), 1000);
  AIBoolean cancelled = false;
  return sAIUser->Cancelled(&cancelled) == kNoErr && cancelled;
}

}  // namespace

CGeoTextFileImporter::CGeoTextFileImporter(SPPluginRef plugin) : CImporterBase(plugin) {}

CGeoTextFileImporter::~CGeoTextFileImporter() = default;

AIErr CGeoTextFileImporter::ChooseFiles() {
  OpenFilesRequest request;
  request.title = kTitle;
  request.filter.assign(kFilter, sizeof kFilter - 1);
  request.defaultExtension = "txt";
  request.allowSeveral = false;
  request.offerUtf16 = true;
  request.showEncoding = true;
  request.folderKey = kImportGeoTextFolderKey;
  return ShowOpenFilesDialog(plugin, request, encodingCode, files, &encodingChosen);
}

bool CGeoTextFileImporter::ReadFirstLines(const ai::FilePath& file) {
  CKzTextFile text;
  if (!text.Open(file, encodingCode)) return false;
  ai::UnicodeString line;
  while (settings.firstLines.size() < GeoTextFieldSettings::kFirstLines && ReadRecord(text, settings.delimiter, line)) {
    if (!line.empty()) settings.firstLines.push_back(line);
  }
  return true;
}

bool CGeoTextFileImporter::Prepare() {
  if (files.empty()) return false;
  const ai::FilePath& file = files.front();
  settings.delimiter = IsCsv(file) ? GeoTextFieldSettings::kComma : GeoTextFieldSettings::kTab;
  if (!ReadFirstLines(file)) {
    // Told by the framework with the other files that cannot be read.
    NoteUnreadable(file);
    return true;
  }
  if (settings.firstLines.empty()) {
    // Nothing to draw: a failure, so that no map is made from it.
    ShowError(Formatted("%s にはデータ行がありません", file.GetFileName(), 0));
    return false;
  }
  if (TextFieldDialog::Show(settings, plugin) != kNoErr) return false;
  settings.FindCoordinateColumns();
  attributeFields = settings.AttributeFields(attributeColumns);

  switch (ScanExtent(file)) {
    case Scan::Unreadable:
      NoteUnreadable(file);
      return true;
    case Scan::Cancelled:
      return false;
    case Scan::Done:
      break;
  }
  if (!hasExtent) {
    ShowError(Formatted("%s には座標値を読めるデータ行がないため、座標範囲がありません（読めない行 %lld）",
                          file.GetFileName(), static_cast<long long>(badLines)));
    return false;
  }
  return true;
}

CGeoTextFileImporter::Scan CGeoTextFileImporter::ScanExtent(const ai::FilePath& file) {
  DataLines lines(file, encodingCode, settings.headerFlag != 0, settings.delimiter);
  if (!lines.Opened()) return Scan::Unreadable;
  sAIUser->SetProgressText((ai::UnicodeString("座標範囲を調べています [ ") + file.GetFileName() + ai::UnicodeString(" ]")).Ref());
  ai::UnicodeString line;
  badLines = 0;
  for (int64_t count = 0; lines.Next(line); ++count) {
    if (count % kProgressStep == 0 && ProgressCancelled(lines)) return Scan::Cancelled;
    double x = 0, y = 0;
    if (!ReadPoint(settings.Split(line), x, y)) {
      ++badLines;
      continue;
    }
    extentXmin = hasExtent ? std::min(extentXmin, x) : x;
    extentXmax = hasExtent ? std::max(extentXmax, x) : x;
    extentYmin = hasExtent ? std::min(extentYmin, y) : y;
    extentYmax = hasExtent ? std::max(extentYmax, y) : y;
    hasExtent = true;
  }
  return Scan::Done;
}

bool CGeoTextFileImporter::GetDataExtent(double& xmin, double& xmax, double& ymin, double& ymax) {
  if (!hasExtent) return false;
  xmin = extentXmin;
  xmax = extentXmax;
  ymin = extentYmin;
  ymax = extentYmax;
  return true;
}

bool CGeoTextFileImporter::ReadPoint(const std::vector<ai::UnicodeString>& fields, double& x, double& y) const {
  const auto x_at = static_cast<size_t>(settings.xColumn);
  const auto y_at = static_cast<size_t>(settings.yColumn);
  // A field the line does not have reads as empty text, which is no number.
  return settings.xColumn >= 0 && settings.yColumn >= 0 && x_at < fields.size() && y_at < fields.size() &&
         ReadNumber(fields[x_at], x) && ReadNumber(fields[y_at], y);
}

std::vector<ShapeField> CGeoTextFileImporter::Row(const std::vector<ai::UnicodeString>& fields) {
  std::vector<ShapeField> row = attributeFields;
  for (size_t i = 0; i < row.size(); ++i) {
    const size_t column = attributeColumns[i];
    // An empty cell stays empty: no value is not the number 0.
    if (column >= fields.size() || fields[column].empty()) continue;
    bool changed = false;
    row[i].value = NormaliseValue(row[i], fields[column], changed);
    fittedValues += changed;
  }
  return row;
}

AIErr CGeoTextFileImporter::DrawLine(const std::vector<ai::UnicodeString>& fields, AILayerHandle layer) {
  double x = 0, y = 0;
  if (!ReadPoint(fields, x, y)) {
    ++badLines;
    return kNoErr;
  }
  if (areaLimited && !IsInsideArea(x, y)) return kNoErr;
  AIArtHandle art = nullptr;
  if (AIErr error = DrawPoint(x, y, layer, art)) return error;
  if (art == nullptr || attributeFields.empty()) return kNoErr;
  CKzShapeAttr attributes;
  attributes.Load(art);
  return attributes.ReplaceAll(Row(fields));
}

void CGeoTextFileImporter::ReportBadLines(const ai::FilePath& file) const {
  if (badLines == 0) return;
  ShowMessage(Formatted("%s の %lld 行は座標値が数値でないため、読み込んでいません", file.GetFileName(),
                        static_cast<long long>(badLines)));
}

AIErr CGeoTextFileImporter::ImportFile(const ai::FilePath& file, AILayerHandle& layer) {
  DataLines lines(file, encodingCode, settings.headerFlag != 0, settings.delimiter);
  if (!lines.Opened()) {
    NoteUnreadable(file);
    return kNoErr;
  }
  const ai::UnicodeString progress =
      ai::UnicodeString("座標付きテキストファイルを読み込んでいます [ ") + file.GetFileName() + ai::UnicodeString(" ]");
  if (AIErr error = sAIUser->SetProgressText(progress.Ref())) return error;

  if (AIErr error = NewImportLayer(layer)) return error;
  if (AIErr error = sAILayer->SetLayerTitle(layer, file.GetFileNameNoExt().Ref())) return error;
  AIArtHandle group = nullptr;
  if (AIErr error = sAIArt->GetFirstArtOfLayer(layer, &group)) return error;
  if (!attributeFields.empty()) {
    CKzShapeAttr fields;
    fields.Load(group);
    if (AIErr error = fields.ReplaceAll(attributeFields)) return error;
  }

  badLines = 0;
  fittedValues = 0;
  ai::UnicodeString line;
  for (int64_t count = 0; lines.Next(line); ++count) {
    if (count % kProgressStep == 0 && ProgressCancelled(lines)) return kCanceledErr;
    if (AIErr error = DrawLine(settings.Split(line), layer)) return error;
  }
  ReportUndecodable(file, lines.ReplacedBytes(), encodingCode);
  ReportFittedValues(file, fittedValues);
  ReportBadLines(file);
  return kNoErr;
}
