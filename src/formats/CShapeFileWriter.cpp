#include "formats/CShapeFileWriter.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <limits>
#include <system_error>

#include "formats/ByteOrder.h"
#include "formats/DbaseNumber.h"

namespace {

constexpr int32_t kFileCode = 9994;
constexpr int32_t kVersion = 1000;
constexpr size_t kHeaderSize = 100;
constexpr int32_t kHeaderWords = 50;
constexpr int32_t kPointContentWords = 10;
constexpr size_t kDescriptorSize = 32;
constexpr size_t kNameBytes = 10;
constexpr int32_t kLongestColumn = 255;
constexpr unsigned char kFieldTerminator = 13;
constexpr unsigned char kEndOfFile = 26;
constexpr int32_t kShiftJisCode = 17;
constexpr int32_t kUtf8Code = 1;
constexpr size_t kStreamBufferSize = 1 << 16;
constexpr int64_t kMaxWords = std::numeric_limits<int32_t>::max();
enum SetFile : size_t { kMainFile, kIndexFile, kTableFile, kCodePageFile, kProjectionFile };
constexpr const char* kSetExtensions[] = {"shp", "shx", "dbf", "cpg", "prj"};

// The system's reason for the last write that failed: a record that could
// not be written is counted and passed over, and the reason is told when
// the set cannot be completed.
thread_local int lastWriteError = 0;

bool WriteBytes(std::FILE* stream, const void* bytes, size_t size) {
  if (std::fwrite(bytes, 1, size, stream) == size) return true;
  lastWriteError = errno;
  return false;
}

bool WriteAt(std::FILE* stream, long offset, const void* bytes, size_t size) {
  return std::fseek(stream, offset, SEEK_SET) == 0 && WriteBytes(stream, bytes, size);
}

bool IsShiftJisLeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

// Eight doubles of a header: the x/y box, then z and m.
void PutBox(unsigned char* p, const BoundsAccumulator& bounds) {
  const double values[] = {bounds.XMin(), bounds.YMin(), bounds.XMax(), bounds.YMax(),
                           bounds.ZMin(), bounds.ZMax(), bounds.MMin(), bounds.MMax()};
  for (double value : values) {
    kzbytes::PutLittleDouble(p, value);
    p += 8;
  }
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

// What a .cpg says for the encoding; empty when there is nothing to say.
std::string CodePageText(int32_t encodingCode) {
  if (encodingCode == kUtf8Code) return "UTF-8";
  if (encodingCode == kShiftJisCode) return "CP932";
  return {};
}

}  // namespace

CShapeFileWriter::CShapeFileWriter() = default;

CShapeFileWriter::~CShapeFileWriter() { Abandon(); }

void CShapeFileWriter::CloseStreams() {
  for (PartFile& part : parts) part.Discard();
  mainStream = indexStream = tableStream = nullptr;
}

// Drops whatever was written: the target's own files were never touched.
void CShapeFileWriter::Abandon() {
  CloseStreams();
  targetPaths.clear();
}

bool CShapeFileWriter::Begin(int32_t type, int32_t code) {
  Abandon();
  problem.clear();
  shapeType = type;
  encodingCode = code;
  mainLength = kHeaderWords;
  nextOffset = kHeaderWords;
  recordCount = 0;
  unmappedCount = 0;
  fileBounds.Clear();
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  tableHeader = DbfTableHeader{};
  tableHeader.year = static_cast<uint8_t>(local.tm_year);
  tableHeader.month = static_cast<uint8_t>(local.tm_mon + 1);
  tableHeader.day = static_cast<uint8_t>(local.tm_mday);
  columns.clear();
  pending.clear();
  return true;
}

// Cuts text to at most limit bytes without splitting a character of the
// file's encoding: half a character would turn into garbage in every reader.
std::string CShapeFileWriter::CutToBytes(std::string_view text, size_t limit) const {
  if (text.size() <= limit) return std::string(text);
  size_t cut = 0;
  if (encodingCode == kShiftJisCode) {
    for (size_t step = 1; cut < text.size(); cut += step) {
      step = IsShiftJisLeadByte(static_cast<unsigned char>(text[cut])) ? 2 : 1;
      if (cut + step > limit) break;
    }
  } else {
    cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  }
  return std::string(text.substr(0, cut));
}

// The name cut to 10 bytes; when another column already has it, the cut is
// shortened to make room for "_1", "_2", ... until the name is free.
std::string CShapeFileWriter::UniqueName(std::string_view name) const {
  const auto taken = [&](std::string_view candidate) {
    return std::any_of(columns.begin(), columns.end(),
                       [&](const Column& c) { return SameNameIgnoringCase(c.descriptor.Name(), candidate); });
  };
  std::string cut = CutToBytes(name, kNameBytes);
  if (!taken(cut)) return cut;
  for (int number = 1; number < 100000; ++number) {
    const std::string suffix = "_" + std::to_string(number);
    const std::string candidate = CutToBytes(name, kNameBytes - suffix.size()) + suffix;
    if (!taken(candidate)) return candidate;
  }
  return cut;  // unreachable: a table holds far fewer columns
}

std::string CShapeFileWriter::Encode(const ai::UnicodeString& text) {
  if (encodingCode != kShiftJisCode) return text.as_UTF8();
  std::string bytes = text.getInStdString(kAIShiftJISCharacterEncoding);
  // The conversion writes "?" for what Shift-JIS cannot show: count those
  // that were not question marks to begin with.
  const std::u16string units = text.as_UTF16();
  const auto added = std::count(bytes.begin(), bytes.end(), '?') - std::count(units.begin(), units.end(), u'?');
  if (added > 0) unmappedCount += static_cast<int32_t>(added);
  return bytes;
}

bool CShapeFileWriter::AddField(const ShapeField& definition) {
  const bool number = definition.type == kShapeFieldInteger || definition.type == kShapeFieldReal;
  std::string name;
  if (encodingCode == kShiftJisCode || encodingCode == kUtf8Code) name = Encode(definition.name);
  const int32_t decimals = definition.type == kShapeFieldReal ? definition.decimals : 0;
  if (!AddColumn(name, number ? 'N' : 'C', definition.totalDigits, decimals)) return false;
  columns.back().definition = definition;
  columns.back().fromField = true;
  columns.back().integerKind = definition.type == kShapeFieldInteger;
  return true;
}

bool CShapeFileWriter::AddColumn(std::string_view name, char typeLetter, int32_t length, int32_t decimals) {
  if (mainStream || !targetPaths.empty()) return false;
  // The table's 16-bit header and record lengths must still hold the column.
  const size_t fieldCount = columns.size() + 1;
  const int32_t width = std::clamp(length, 1, kLongestColumn);
  size_t rowLength = 1 + static_cast<size_t>(width);
  for (const auto& column : columns) rowLength += column.descriptor.length;
  if (fieldCount * kDescriptorSize + 33 > 0xFFFF) {
    problem = "a dBASE table holds at most " + std::to_string((0xFFFF - 33) / kDescriptorSize) + " fields";
    return false;
  }
  if (rowLength > 0xFFFF) {
    problem = "a dBASE record holds at most 65535 bytes; the fields need " + std::to_string(rowLength);
    return false;
  }

  Column column;
  column.descriptor.type = typeLetter;
  column.descriptor.length = static_cast<uint8_t>(width);
  column.descriptor.decimalCount = static_cast<uint8_t>(std::clamp(decimals, 0, kLongestColumn));
  column.givenName = std::string(name);
  column.integerKind = typeLetter == 'N' && column.descriptor.decimalCount == 0;
  const std::string stored = UniqueName(name);
  std::copy(stored.begin(), stored.end(), column.descriptor.name);
  columns.push_back(column);
  pending.emplace_back();
  return true;
}

std::string CShapeFileWriter::GetColumnName(int32_t column) const {
  if (column < 0 || column >= GetColumnCount()) return {};
  return std::string(columns[column].descriptor.Name());
}

int32_t CShapeFileWriter::GetOverflowCount(int32_t column) const {
  return column < 0 || column >= GetColumnCount() ? 0 : columns[column].overflowCount;
}

int32_t CShapeFileWriter::GetOverflowCount() const {
  int32_t total = 0;
  for (const Column& column : columns) total += column.overflowCount;
  return total;
}

int32_t CShapeFileWriter::GetCutCount(int32_t column) const {
  return column < 0 || column >= GetColumnCount() ? 0 : columns[column].cutCount;
}

bool CShapeFileWriter::Create(const ai::FilePath& path) {
  Abandon();
  problem.clear();
  ai::FilePath mainPath = path;
  if (path.GetFileExtension().as_UTF8() != "shp") mainPath = path.SetFileExtension("shp");
  for (const char* extension : kSetExtensions) targetPaths.push_back(mainPath.SetFileExtension(extension).GetPlatformPath());
  std::FILE** streams[] = {&mainStream, &indexStream, &tableStream};
  for (size_t i = 0; i < 3; ++i) {
    if (!parts[i].Create(targetPaths[i])) {
      problem = parts[i].Problem();
      Abandon();
      return false;
    }
    *streams[i] = parts[i].Stream();
    std::setvbuf(*streams[i], nullptr, _IOFBF, kStreamBufferSize);
  }
  lastWriteError = 0;
  if (WriteHeaders()) return true;
  NoteWriteFailure();
  Abandon();
  return false;
}

bool CShapeFileWriter::WriteHeaders() {
  unsigned char header[kHeaderSize] = {};
  kzbytes::PutBigInt32(header, kFileCode);
  kzbytes::PutBigInt32(header + 24, mainLength);
  kzbytes::PutLittleInt32(header + 28, kVersion);
  kzbytes::PutLittleInt32(header + 32, shapeType);
  if (!WriteBytes(mainStream, header, sizeof header) || !WriteBytes(indexStream, header, sizeof header)) return false;

  unsigned char table[32] = {};
  table[0] = tableHeader.version;
  table[1] = tableHeader.year;
  table[2] = tableHeader.month;
  table[3] = tableHeader.day;
  kzbytes::PutLittleInt32(table + 4, static_cast<int32_t>(tableHeader.recordCount));
  kzbytes::PutLittleUInt16(table + 8, tableHeader.headerLength);
  kzbytes::PutLittleUInt16(table + 10, tableHeader.recordLength);
  table[14] = tableHeader.incompleteTransaction;
  table[15] = tableHeader.encryption;
  table[28] = tableHeader.productionIndex;
  table[29] = tableHeader.languageDriver;
  if (!WriteBytes(tableStream, table, sizeof table)) return false;
  for (const auto& column : columns) {
    const DbfFieldDescriptor& field = column.descriptor;
    unsigned char descriptor[kDescriptorSize] = {};
    std::copy(field.name, field.name + 11, descriptor);
    descriptor[11] = static_cast<unsigned char>(field.type);
    descriptor[16] = field.length;
    descriptor[17] = field.decimalCount;
    if (!WriteBytes(tableStream, descriptor, sizeof descriptor)) return false;
  }
  return WriteBytes(tableStream, &kFieldTerminator, 1);
}

void CShapeFileWriter::SetCell(int32_t column, std::string text, bool overflow) {
  Cell& cell = pending[column];
  cell.text = std::move(text);
  cell.given = true;
  cell.overflow = overflow;
}

// The text converted by the column's type: numbers are checked against what
// the column holds, logicals become T, F or ?, other types go as they are.
bool CShapeFileWriter::SetText(int32_t column, std::string_view text) {
  if (column < 0 || column >= GetColumnCount()) return false;
  const DbfFieldDescriptor& field = columns[column].descriptor;
  const int length = field.length;
  const auto mark = [&]() { SetCell(column, std::string(length, '*'), true); };
  if (field.type == 'N' || field.type == 'F') {
    if (!dbase::StartsWithNumber(text)) {
      SetCell(column, {}, false);  // blank: the dBASE null
      return true;
    }
    std::optional<std::string> fitted;
    if (columns[column].integerKind) {
      fitted = dbase::FitInteger(*dbase::LeadingInteger(text), length);
    } else {
      fitted = dbase::FitReal(std::strtod(std::string(text).c_str(), nullptr), length, field.decimalCount);
    }
    if (fitted) SetCell(column, std::move(*fitted), false);
    else mark();
    return true;
  }
  if (field.type == 'L') {
    const size_t first = text.find_first_not_of(' ');
    const char c = first == std::string_view::npos ? ' ' : AsciiUpper(text[first]);
    if (c == ' ') SetCell(column, {}, false);
    else SetCell(column, std::string(1, c == 'T' || c == 'Y' || c == '1' ? 'T' : c == 'F' || c == 'N' || c == '0' ? 'F' : '?'), false);
    return true;
  }
  SetCell(column, std::string(text), false);
  return true;
}

bool CShapeFileWriter::SetValue(int32_t column, const ai::UnicodeString& value) {
  if (column < 0 || column >= GetColumnCount()) return false;
  return SetText(column, Encode(value));
}

int32_t CShapeFileWriter::ColumnOfName(std::string_view name) const {
  for (size_t i = 0; i < columns.size(); ++i)
    if (columns[i].givenName == name) return static_cast<int32_t>(i);
  for (size_t i = 0; i < columns.size(); ++i)
    if (columns[i].descriptor.Name() == name) return static_cast<int32_t>(i);
  return -1;
}

bool CShapeFileWriter::SetString(std::string_view fieldName, std::string_view text) {
  const int32_t column = ColumnOfName(fieldName);
  if (column < 0) return false;
  SetCell(column, std::string(text), false);
  return true;
}

bool CShapeFileWriter::SetInteger(std::string_view fieldName, int32_t value) {
  const int32_t column = ColumnOfName(fieldName);
  if (column < 0) return false;
  const DbfFieldDescriptor& field = columns[column].descriptor;
  if (columns[column].integerKind || field.type == 'C') {
    const auto fitted = dbase::FitInteger(value, field.length);
    SetCell(column, fitted.value_or(std::string(field.length, '*')), !fitted);
    return true;
  }
  return SetText(column, std::to_string(value));
}

bool CShapeFileWriter::SetReal(std::string_view fieldName, double value) {
  const int32_t column = ColumnOfName(fieldName);
  if (column < 0) return false;
  const DbfFieldDescriptor& field = columns[column].descriptor;
  const auto fitted = dbase::FitReal(value, field.length, field.decimalCount);
  SetCell(column, fitted.value_or(std::string(field.length, '*')), !fitted);
  return true;
}

bool CShapeFileWriter::SetValues(const std::vector<ShapeField>& record) {
  for (Cell& cell : pending) cell = Cell{};
  bool placed = true;
  for (const ShapeField& field : record) {
    int32_t column = -1;
    for (size_t i = 0; i < columns.size() && column < 0; ++i)
      if (columns[i].fromField && columns[i].definition.IsSameField(field)) column = static_cast<int32_t>(i);
    for (size_t i = 0; i < columns.size() && column < 0; ++i)
      if (columns[i].fromField && columns[i].definition.name == field.name) column = static_cast<int32_t>(i);
    if (column < 0) {
      placed = false;
      continue;
    }
    SetValue(column, field.value);
  }
  return placed;
}

bool CShapeFileWriter::WriteRow() {
  scratch.assign(1, ' ');
  for (size_t i = 0; i < columns.size(); ++i) {
    Column& column = columns[i];
    const size_t length = column.descriptor.length;
    const size_t start = scratch.size();
    scratch.resize(start + length, ' ');
    Cell& cell = pending[i];
    if (!cell.given) continue;
    if (cell.overflow) ++column.overflowCount;
    std::string text = cell.text;
    if (text.size() > length) {
      ++column.cutCount;
      text = CutToBytes(text, length);
    }
    std::copy(text.begin(), text.end(), scratch.begin() + static_cast<std::ptrdiff_t>(start));
  }
  for (Cell& cell : pending) cell = Cell{};
  return WriteBytes(tableStream, scratch.data(), scratch.size());
}

bool CShapeFileWriter::WriteIndexEntry(int32_t contentWords) {
  unsigned char entry[8];
  kzbytes::PutBigInt32(entry, nextOffset);
  kzbytes::PutBigInt32(entry + 4, contentWords);
  return WriteBytes(indexStream, entry, sizeof entry);
}

bool CShapeFileWriter::WritePoint(double x, double y) {
  if (!IsCreated() || mainLength > kMaxWords - (kPointContentWords + 4)) return false;
  ++recordCount;
  unsigned char record[28];
  kzbytes::PutBigInt32(record, recordCount);
  kzbytes::PutBigInt32(record + 4, kPointContentWords);
  kzbytes::PutLittleInt32(record + 8, kShapePoint);
  kzbytes::PutLittleDouble(record + 12, x);
  kzbytes::PutLittleDouble(record + 20, y);
  if (!WriteBytes(mainStream, record, sizeof record) || !WriteIndexEntry(kPointContentWords)) return false;
  if (!WriteRow()) return false;
  mainLength += kPointContentWords + 4;
  nextOffset += kPointContentWords + 4;
  fileBounds.AddPoint(x, y);
  return true;
}

bool CShapeFileWriter::WriteNull() {
  constexpr int32_t kNullContentWords = 2;
  if (!IsCreated() || mainLength > kMaxWords - (kNullContentWords + 4)) return false;
  ++recordCount;
  unsigned char record[12];
  kzbytes::PutBigInt32(record, recordCount);
  kzbytes::PutBigInt32(record + 4, kNullContentWords);
  kzbytes::PutLittleInt32(record + 8, kShapeNull);
  if (!WriteBytes(mainStream, record, sizeof record) || !WriteIndexEntry(kNullContentWords)) return false;
  if (!WriteRow()) return false;
  mainLength += kNullContentWords + 4;
  nextOffset += kNullContentWords + 4;
  return true;
}

bool CShapeFileWriter::WriteMultiPoint(const ShapePart& points) {
  if (!IsCreated() || points.empty()) return false;
  BoundsAccumulator box;
  for (const ShapePoint& point : points) box.AddPoint(point.x, point.y);
  const int64_t contentWords = (40 + 16 * static_cast<int64_t>(points.size())) / 2;
  unsigned char* p = BeginRecord(kShapeMultiPoint, box, contentWords);
  if (p == nullptr) return false;
  kzbytes::PutLittleInt32(p, static_cast<int32_t>(points.size()));
  p += 4;
  for (const ShapePoint& point : points) {
    kzbytes::PutLittleDouble(p, point.x);
    kzbytes::PutLittleDouble(p + 8, point.y);
    p += 16;
  }
  return EndRecord(box, contentWords);
}

// The record header and box of a multi-point or poly record in the scratch
// buffer; the rest of the content goes after the returned position. Null
// when the record cannot be described in the file's 32-bit word lengths.
unsigned char* CShapeFileWriter::BeginRecord(int32_t type, const BoundsAccumulator& box, int64_t contentWords) {
  if (contentWords > kMaxWords - 4 || mainLength > kMaxWords - 4 - contentWords) return nullptr;
  ++recordCount;
  scratch.resize(8 + 2 * static_cast<size_t>(contentWords));
  unsigned char* p = scratch.data();
  kzbytes::PutBigInt32(p, recordCount);
  kzbytes::PutBigInt32(p + 4, static_cast<int32_t>(contentWords));
  kzbytes::PutLittleInt32(p + 8, type);
  kzbytes::PutLittleDouble(p + 12, box.XMin());
  kzbytes::PutLittleDouble(p + 20, box.YMin());
  kzbytes::PutLittleDouble(p + 28, box.XMax());
  kzbytes::PutLittleDouble(p + 36, box.YMax());
  return p + 44;
}

// Writes the record made in the scratch buffer with its index entry and row.
// A record without points has no box and leaves the file's box alone.
bool CShapeFileWriter::EndRecord(const BoundsAccumulator& box, int64_t contentWords) {
  if (!WriteBytes(mainStream, scratch.data(), scratch.size())) return false;
  if (!WriteIndexEntry(static_cast<int32_t>(contentWords)) || !WriteRow()) return false;
  mainLength += static_cast<int32_t>(contentWords) + 4;
  nextOffset += static_cast<int32_t>(contentWords) + 4;
  if (box.hasX) {
    fileBounds.AddPoint(box.XMin(), box.YMin());
    fileBounds.AddPoint(box.XMax(), box.YMax());
  }
  return true;
}

bool CShapeFileWriter::WritePolyLine(const std::vector<ShapePart>& parts) { return WritePoly(kShapePolyLine, parts); }

bool CShapeFileWriter::WritePolygon(const std::vector<ShapePart>& parts) { return WritePoly(kShapePolygon, parts); }

// The record's box is known before its points are written, because the
// points are all in memory: the record goes out in one sequential write.
bool CShapeFileWriter::WritePoly(int32_t type, const std::vector<ShapePart>& parts) {
  if (!IsCreated() || parts.empty()) return false;
  int64_t pointCount = 0;
  BoundsAccumulator box;
  for (const ShapePart& part : parts) {
    pointCount += static_cast<int64_t>(part.size());
    for (const ShapePoint& point : part) box.AddPoint(point.x, point.y);
  }
  const int64_t partCount = static_cast<int64_t>(parts.size());
  const int64_t contentWords = ((partCount + 4 * pointCount) * 4 + 44) / 2;
  unsigned char* p = BeginRecord(type, box, contentWords);
  if (p == nullptr) return false;
  kzbytes::PutLittleInt32(p, static_cast<int32_t>(partCount));
  kzbytes::PutLittleInt32(p + 4, static_cast<int32_t>(pointCount));
  p += 8;
  int32_t start = 0;
  for (const ShapePart& part : parts) {
    kzbytes::PutLittleInt32(p, start);
    p += 4;
    start += static_cast<int32_t>(part.size());
  }
  for (const ShapePart& part : parts) {
    for (const ShapePoint& point : part) {
      kzbytes::PutLittleDouble(p, point.x);
      kzbytes::PutLittleDouble(p + 8, point.y);
      p += 16;
    }
  }
  return EndRecord(box, contentWords);
}

// Writes a small companion (.cpg, .prj) whole into its temporary file; an
// empty text writes nothing, and the target's file of that name goes with
// the rest of the set.
bool CShapeFileWriter::WriteCompanion(size_t index, const std::string& text) {
  if (text.empty()) return true;
  PartFile& part = parts[index];
  if (!part.Create(targetPaths[index])) return false;
  if (std::fwrite(text.data(), 1, text.size(), part.Stream()) != text.size()) part.Fail(errno);
  return part.Close();
}

// Renames every finished file over its target, the .shp last. The old set
// stays whole until this point, so a write that failed earlier never cost
// it; a companion this set has none of (a .cpg, a .prj, a spatial index of
// the old geometry) is removed in the same step, as it would describe the
// old data.
bool CShapeFileWriter::PutInPlace() {
  if (!WriteCompanion(kCodePageFile, CodePageText(encodingCode)) || !WriteCompanion(kProjectionFile, projection))
    return false;
  for (size_t i : {kIndexFile, kTableFile, kCodePageFile, kProjectionFile, kMainFile}) {
    if (parts[i].TemporaryPath().empty()) {
      if (::unlink(targetPaths[i].c_str()) != 0 && errno != ENOENT) {
        problem = targetPaths[i] + ": " + SystemReason(errno);
        return false;
      }
      continue;
    }
    if (!parts[i].PutInPlace()) return false;
  }
  const std::string stem = targetPaths[kMainFile].substr(0, targetPaths[kMainFile].size() - 3);
  for (const char* index : {"qix", "sbn", "sbx"}) ::unlink((stem + index).c_str());
  return true;
}

bool CShapeFileWriter::Finish() {
  if (!IsCreated()) {
    Abandon();
    return false;
  }
  unsigned char word[4];
  unsigned char box[64];
  PutBox(box, fileBounds);
  unsigned char half[2];
  const auto patch = [&]() {
    if (!WriteBytes(tableStream, &kEndOfFile, 1)) return false;
    kzbytes::PutBigInt32(word, mainLength);
    if (!WriteAt(mainStream, 24, word, 4) || !WriteAt(mainStream, 36, box, sizeof box)) return false;
    kzbytes::PutBigInt32(word, recordCount * 4 + kHeaderWords);
    if (!WriteAt(indexStream, 24, word, 4) || !WriteAt(indexStream, 36, box, sizeof box)) return false;
    kzbytes::PutLittleInt32(word, recordCount);
    if (!WriteAt(tableStream, 4, word, 4)) return false;
    kzbytes::PutLittleUInt16(half, static_cast<uint16_t>(columns.size() * kDescriptorSize + 33));
    if (!WriteAt(tableStream, 8, half, 2)) return false;
    size_t recordLength = 1;
    for (const auto& column : columns) recordLength += column.descriptor.length;
    kzbytes::PutLittleUInt16(half, static_cast<uint16_t>(recordLength));
    return WriteAt(tableStream, 10, half, 2);
  };
  bool ok = patch();
  NoteWriteFailure();
  // Closing flushes what is still buffered: a failure there is a lost write.
  for (size_t i : {kMainFile, kIndexFile, kTableFile}) ok = parts[i].Close() && ok;
  mainStream = indexStream = tableStream = nullptr;
  ok = ok && PutInPlace();
  if (!ok && problem.empty()) {
    for (const PartFile& part : parts) {
      if (part.Problem().empty()) continue;
      problem = part.Problem();
      break;
    }
  }
  Abandon();
  return ok;
}

void CShapeFileWriter::SetProjection(std::string text) { projection = std::move(text); }

// A stream whose error flag is set lost a write; its reason was kept when
// the write failed.
void CShapeFileWriter::NoteWriteFailure() {
  std::FILE* streams[] = {mainStream, indexStream, tableStream};
  for (size_t i = 0; i < 3; ++i) {
    if (!streams[i] || !std::ferror(streams[i])) continue;
    parts[i].Fail(lastWriteError);
    if (problem.empty()) problem = parts[i].Problem();
    return;
  }
}
