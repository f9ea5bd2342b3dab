#include "formats/CShapeFileWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>

#include "formats/ByteOrder.h"
#include "formats/CKzFile.h"

namespace {

constexpr int32_t kFileCode = 9994;
constexpr int32_t kVersion = 1000;
constexpr size_t kHeaderSize = 100;
constexpr int32_t kHeaderWords = 50;
constexpr int32_t kPointContentWords = 10;
constexpr size_t kDescriptorSize = 32;
constexpr size_t kNameBytes = 10;
constexpr size_t kLongestText = 255;
constexpr unsigned char kFieldTerminator = 13;
constexpr unsigned char kEndOfFile = 26;
constexpr int32_t kShiftJisCode = 17;
constexpr int32_t kUtf8Code = 1;
constexpr size_t kStreamBufferSize = 1 << 16;
constexpr int64_t kMaxWords = std::numeric_limits<int32_t>::max();

bool WriteBytes(std::FILE* stream, const void* bytes, size_t size) {
  return std::fwrite(bytes, 1, size, stream) == size;
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

// A number that does not fit its field: asterisks across the whole field, as
// dBASE shows an overflow, instead of its first digits (another number).
bool FitOrMark(const DbfFieldDescriptor& field, int written, const char* text, std::string& out) {
  if (written < 0 || written > field.length) {
    out.assign(field.length, '*');
    return false;
  }
  out.assign(text, static_cast<size_t>(written));
  return true;
}

bool FormatInteger(const DbfFieldDescriptor& field, int32_t value, std::string& out) {
  char text[64];
  const int written = std::snprintf(text, sizeof text, "%*d", static_cast<int>(field.length), value);
  return FitOrMark(field, written, text, out);
}

// Width is the length less the decimals and the point, so the number sits
// at the start of the field and the row pads it on the right.
bool FormatReal(const DbfFieldDescriptor& field, double value, std::string& out) {
  if (!std::isfinite(value)) return FitOrMark(field, -1, "", out);
  const int decimals = field.decimalCount;
  const int width = static_cast<int>(field.length) - decimals - 1;
  char text[400];
  const int written = std::snprintf(text, sizeof text, "%*.*f", width, decimals, value);
  if (written >= static_cast<int>(sizeof text)) return FitOrMark(field, -1, "", out);
  return FitOrMark(field, written, text, out);
}

std::string Encode(const ai::UnicodeString& text, int32_t encodingCode) {
  return text.getInStdString(encodingCode == kShiftJisCode ? kAIShiftJISCharacterEncoding : kAIUTF8CharacterEncoding);
}

}  // namespace

CShapeFileWriter::CShapeFileWriter() = default;

CShapeFileWriter::~CShapeFileWriter() { CloseStreams(); }

void CShapeFileWriter::CloseStreams() {
  for (std::FILE** stream : {&mainStream, &indexStream, &tableStream}) {
    if (*stream) std::fclose(*stream);
    *stream = nullptr;
  }
}

bool CShapeFileWriter::Begin(int32_t type, int32_t code) {
  shapeType = type;
  encodingCode = code;
  mainLength = kHeaderWords;
  nextOffset = kHeaderWords;
  recordCount = 0;
  fileBounds.Clear();
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  tableHeader = DbfTableHeader{};
  tableHeader.year = static_cast<uint8_t>(local.tm_year);
  tableHeader.month = static_cast<uint8_t>(local.tm_mon + 1);
  tableHeader.day = static_cast<uint8_t>(local.tm_mday);
  fields.clear();
  pending.clear();
  hasPending.clear();
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

bool CShapeFileWriter::AddField(const ShapeField& definition) {
  if (mainStream) return false;
  // The table's 16-bit header and record lengths must still hold the field.
  const size_t fieldCount = fields.size() + 1;
  const int32_t length = std::clamp(definition.totalDigits, 1, 255);
  size_t rowLength = 1 + static_cast<size_t>(length);
  for (const auto& field : fields) rowLength += field.length;
  if (fieldCount * kDescriptorSize + 33 > 0xFFFF || rowLength > 0xFFFF) return false;

  DbfFieldDescriptor descriptor;
  descriptor.type = definition.type == kShapeFieldInteger || definition.type == kShapeFieldReal ? 'N' : 'C';
  descriptor.length = static_cast<uint8_t>(length);
  descriptor.decimalCount = static_cast<uint8_t>(std::clamp(definition.decimals, 0, 255));
  std::string name;
  if (encodingCode == kShiftJisCode || encodingCode == kUtf8Code) name = Encode(definition.name, encodingCode);
  name = CutToBytes(name, kNameBytes);
  std::copy(name.begin(), name.end(), descriptor.name);
  fields.push_back(descriptor);
  pending.emplace_back();
  hasPending.push_back(false);
  return true;
}

bool CShapeFileWriter::Create(const ai::FilePath& path) {
  CloseStreams();
  ai::FilePath mainPath = path;
  if (path.GetFileExtension().as_UTF8() != "shp") mainPath = path.SetFileExtension("shp");
  const ai::FilePath paths[] = {mainPath, mainPath.SetFileExtension("shx"), mainPath.SetFileExtension("dbf")};
  std::FILE** targets[] = {&mainStream, &indexStream, &tableStream};
  for (size_t i = 0; i < 3; ++i) {
    CKzFile file(false);
    if (!file.Open(paths[i], "wb")) {
      CloseStreams();
      return false;
    }
    *targets[i] = file.GetStream();
    std::setvbuf(*targets[i], nullptr, _IOFBF, kStreamBufferSize);
  }
  return WriteHeaders();
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
  for (const auto& field : fields) {
    unsigned char descriptor[kDescriptorSize] = {};
    std::copy(field.name, field.name + 11, descriptor);
    descriptor[11] = static_cast<unsigned char>(field.type);
    descriptor[16] = field.length;
    descriptor[17] = field.decimalCount;
    if (!WriteBytes(tableStream, descriptor, sizeof descriptor)) return false;
  }
  return WriteBytes(tableStream, &kFieldTerminator, 1);
}

template <typename Format>
bool CShapeFileWriter::SetEach(std::string_view fieldName, Format format) {
  const std::string name = CutToBytes(fieldName, kNameBytes);
  bool found = false;
  bool fits = true;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].Name() != name) continue;
    found = true;
    fits = format(fields[i], pending[i]) && fits;
    hasPending[i] = true;
  }
  if (!fits) valuesOverflowed = true;
  return found && fits;
}

bool CShapeFileWriter::SetString(std::string_view fieldName, std::string_view text) {
  return SetEach(fieldName, [&](const DbfFieldDescriptor&, std::string& out) {
    out.assign(text.substr(0, kLongestText));
    return true;
  });
}

bool CShapeFileWriter::SetInteger(std::string_view fieldName, int32_t value) {
  return SetEach(fieldName,
                 [&](const DbfFieldDescriptor& field, std::string& out) { return FormatInteger(field, value, out); });
}

bool CShapeFileWriter::SetReal(std::string_view fieldName, double value) {
  return SetEach(fieldName,
                 [&](const DbfFieldDescriptor& field, std::string& out) { return FormatReal(field, value, out); });
}

bool CShapeFileWriter::SetValues(const std::vector<ShapeField>& record) {
  std::fill(hasPending.begin(), hasPending.end(), false);
  valuesOverflowed = false;
  if (record.empty()) return true;
  bool result = true;
  for (const ShapeField& field : record) {
    const std::string name = Encode(field.name, encodingCode);
    const std::string value = Encode(field.value, encodingCode);
    // A number without a value stays blank, the dBASE null, rather than becoming 0.
    const bool blank = value.find_first_not_of(' ') == std::string::npos;
    switch (blank && field.type != kShapeFieldString ? kShapeFieldString : field.type) {
      case kShapeFieldString:
        result = SetString(name, value);
        break;
      case kShapeFieldInteger: {
        // A number beyond 32 bits would be written as its limit: another number.
        const long long number = std::strtoll(value.c_str(), nullptr, 10);
        if (number < std::numeric_limits<int32_t>::min() || number > std::numeric_limits<int32_t>::max())
          result = SetEach(name, [](const DbfFieldDescriptor& f, std::string& out) { return FitOrMark(f, -1, "", out); });
        else
          result = SetInteger(name, static_cast<int32_t>(number));
        break;
      }
      case kShapeFieldReal:
        result = SetReal(name, std::strtod(value.c_str(), nullptr));
        break;
      default:
        break;
    }
  }
  return result && !valuesOverflowed;
}

bool CShapeFileWriter::WriteRow() {
  scratch.assign(1, ' ');
  for (size_t i = 0; i < fields.size(); ++i) {
    const size_t length = fields[i].length;
    const size_t start = scratch.size();
    scratch.resize(start + length, ' ');
    if (!hasPending[i]) continue;
    const std::string text = fields[i].type == 'C' ? CutToBytes(pending[i], length) : pending[i].substr(0, length);
    std::copy(text.begin(), text.end(), scratch.begin() + static_cast<std::ptrdiff_t>(start));
  }
  std::fill(hasPending.begin(), hasPending.end(), false);
  valuesOverflowed = false;
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
  // Lengths are 32-bit words in the file: a record that cannot be described is refused.
  if (contentWords > kMaxWords - 4 || mainLength > kMaxWords - 4 - contentWords) return false;

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
  kzbytes::PutLittleInt32(p + 44, static_cast<int32_t>(partCount));
  kzbytes::PutLittleInt32(p + 48, static_cast<int32_t>(pointCount));
  p += 52;
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
  if (!WriteBytes(mainStream, scratch.data(), scratch.size())) return false;
  if (!WriteIndexEntry(static_cast<int32_t>(contentWords)) || !WriteRow()) return false;
  mainLength += static_cast<int32_t>(contentWords) + 4;
  nextOffset += static_cast<int32_t>(contentWords) + 4;
  // A record without points has no box and leaves the file's box alone.
  if (pointCount > 0) {
    fileBounds.AddPoint(box.XMin(), box.YMin());
    fileBounds.AddPoint(box.XMax(), box.YMax());
  }
  return true;
}

bool CShapeFileWriter::Finish() {
  if (!IsCreated()) {
    CloseStreams();
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
    kzbytes::PutLittleUInt16(half, static_cast<uint16_t>(fields.size() * kDescriptorSize + 33));
    if (!WriteAt(tableStream, 8, half, 2)) return false;
    size_t recordLength = 1;
    for (const auto& field : fields) recordLength += field.length;
    kzbytes::PutLittleUInt16(half, static_cast<uint16_t>(recordLength));
    return WriteAt(tableStream, 10, half, 2);
  };
  bool ok = patch();
  // Closing flushes what is still buffered: a failure there is a lost write.
  for (std::FILE** stream : {&mainStream, &indexStream, &tableStream}) {
    if (std::fclose(*stream) != 0) ok = false;
    *stream = nullptr;
  }
  return ok;
}
