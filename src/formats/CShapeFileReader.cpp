#include "formats/CShapeFileReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "formats/ByteOrder.h"
#include "formats/CKzFile.h"
#include "formats/CodePageFile.h"

namespace {

constexpr int32_t kFileCode = 9994;
constexpr size_t kHeaderSize = 100;
constexpr size_t kIndexEntrySize = 8;
constexpr size_t kPointSize = 16;
constexpr size_t kPointsPerChunk = 1024;
constexpr size_t kPointBufferSize = kPointSize * kPointsPerChunk;
constexpr size_t kDescriptorSize = 32;
constexpr int kFieldTerminator = 13;
// Box, part count and point count in front of a poly record's part starts.
constexpr int64_t kPolyFixedBytes = 40;
constexpr size_t kStreamBufferSize = 1 << 16;

bool ReadExactly(std::FILE* stream, void* buffer, size_t size) {
  return std::fread(buffer, 1, size, stream) == size;
}

int64_t StreamSize(std::FILE* stream) {
  if (std::fseek(stream, 0, SEEK_END) != 0) return -1;
  const long size = std::ftell(stream);
  if (std::fseek(stream, 0, SEEK_SET) != 0) return -1;
  return size;
}

}  // namespace

CShapeFileReader::CShapeFileReader() : pointBuffer(std::make_unique<unsigned char[]>(kPointBufferSize)) {}

CShapeFileReader::~CShapeFileReader() { Close(); }

void CShapeFileReader::Close() {
  for (std::FILE** stream : {&mainStream, &indexStream, &tableStream}) {
    if (*stream) std::fclose(*stream);
    *stream = nullptr;
  }
  row.clear();
  row.shrink_to_fit();
  fieldOffsets.clear();
}

bool CShapeFileReader::Open(const ai::FilePath& path) { return Open(path.GetPlatformPath()); }

bool CShapeFileReader::Open(const std::string& pathText) {
  Close();
  fields.clear();
  recordCount = 0;
  indexedRecordCount = 0;
  declaredEncoding = 0;
  openProblem = OpenProblem::kNone;
  unopenedPath.clear();
  openError = 0;
  // Streams already open when a companion file fails are closed at once.
  if (OpenStreams(pathText) && ReadMainHeader() && ReadIndexHeader() && ReadTableHeader() && ReadFieldDescriptors()) {
    const size_t dot = tablePathText.rfind('.');
    declaredEncoding = EncodingOfCodePageFile(tablePathText.substr(0, dot) + ".cpg");
    if (declaredEncoding == 0) declaredEncoding = EncodingOfCodePageFile(tablePathText.substr(0, dot) + ".CPG");
    if (declaredEncoding == 0) declaredEncoding = EncodingOfLanguageDriver(tableHeader.languageDriver);
    return true;
  }
  if (openProblem == OpenProblem::kNone) openProblem = OpenProblem::kTableHeader;
  Close();
  return false;
}

bool CShapeFileReader::Fail(OpenProblem problem) {
  openProblem = problem;
  return false;
}

bool CShapeFileReader::OpenStreams(const std::string& pathText) {
  const size_t dot = pathText.rfind('.');
  if (dot == std::string::npos) return Fail(OpenProblem::kNoExtension);
  // Companions in lower or upper case: a set written as "A.SHP" has "A.SHX".
  const auto companion = [&pathText, dot](const char* lower, const char* upper) {
    std::string path = pathText;
    path.replace(dot, 4, lower);
    if (std::FILE* probe = std::fopen(path.c_str(), "rb")) {
      std::fclose(probe);
      return path;
    }
    std::string other = pathText;
    other.replace(dot, 4, upper);
    if (std::FILE* probe = std::fopen(other.c_str(), "rb")) {
      std::fclose(probe);
      return other;
    }
    return path;
  };
  const std::string indexPath = companion(".shx", ".SHX");
  const std::string tablePath = companion(".dbf", ".DBF");
  tablePathText = tablePath;
  std::FILE** targets[] = {&mainStream, &indexStream, &tableStream};
  const std::string* paths[] = {&pathText, &indexPath, &tablePath};
  const OpenProblem missing[] = {OpenProblem::kMainMissing, OpenProblem::kIndexMissing, OpenProblem::kTableMissing};
  for (size_t i = 0; i < 3; ++i) {
    CKzFile file(false);
    if (!file.Open(*paths[i], "rb")) {
      openError = errno;
      unopenedPath = *paths[i];
      return Fail(missing[i]);
    }
    *targets[i] = file.GetStream();
  }
  std::setvbuf(mainStream, nullptr, _IOFBF, kStreamBufferSize);
  return true;
}

bool CShapeFileReader::ReadMainHeader() {
  mainSize = StreamSize(mainStream);
  mainPosition = 0;
  unsigned char header[kHeaderSize];
  if (mainSize < 0 || !ReadMain(header, sizeof header)) return Fail(OpenProblem::kMainHeader);
  if (kzbytes::BigInt32(header) != kFileCode) return Fail(OpenProblem::kMainHeader);
  shapeType = kzbytes::LittleInt32(header + 32);
  xmin = kzbytes::LittleDouble(header + 36);
  ymin = kzbytes::LittleDouble(header + 44);
  xmax = kzbytes::LittleDouble(header + 52);
  ymax = kzbytes::LittleDouble(header + 60);
  return true;
}

// The record count is the number of whole entries behind the index header;
// the stream is then left at the first entry's content length. An index
// shorter than its header's file length lost entries: reading only those
// left would drop records without a word, so it is refused.
bool CShapeFileReader::ReadIndexHeader() {
  const int64_t size = StreamSize(indexStream);
  unsigned char header[kHeaderSize + 4];
  if (size < 0 || !ReadExactly(indexStream, header, kHeaderSize)) return Fail(OpenProblem::kIndexHeader);
  if (kzbytes::BigInt32(header) != kFileCode) return Fail(OpenProblem::kIndexHeader);
  const auto entriesIn = [](int64_t bytes) {
    return static_cast<uint32_t>(std::clamp<int64_t>((bytes - static_cast<int64_t>(kHeaderSize)) /
                                                         static_cast<int64_t>(kIndexEntrySize),
                                                     0, std::numeric_limits<uint32_t>::max()));
  };
  recordCount = entriesIn(size);
  indexedRecordCount = entriesIn(2 * static_cast<int64_t>(static_cast<uint32_t>(kzbytes::BigInt32(header + 24))));
  if (recordCount < indexedRecordCount) return Fail(OpenProblem::kIndexTruncated);
  if (recordCount == 0) return true;
  return ReadExactly(indexStream, header + kHeaderSize, 4) || Fail(OpenProblem::kIndexHeader);
}

bool CShapeFileReader::ReadTableHeader() {
  unsigned char header[32];
  if (!ReadExactly(tableStream, header, sizeof header)) return false;
  tableHeader.version = header[0];
  tableHeader.year = header[1];
  tableHeader.month = header[2];
  tableHeader.day = header[3];
  tableHeader.recordCount = static_cast<uint32_t>(kzbytes::LittleInt32(header + 4));
  tableHeader.headerLength = kzbytes::LittleUInt16(header + 8);
  tableHeader.recordLength = kzbytes::LittleUInt16(header + 10);
  tableHeader.incompleteTransaction = header[14];
  tableHeader.encryption = header[15];
  tableHeader.productionIndex = header[28];
  tableHeader.languageDriver = header[29];
  return true;
}

// Descriptors run up to the terminator 13. A field of length 0 holds
// nothing and reads as empty; the columns around it read as usual.
bool CShapeFileReader::ReadFieldDescriptors() {
  size_t rowLength = 1;
  for (;;) {
    const int first = std::getc(tableStream);
    if (first == EOF) return false;
    if (first == kFieldTerminator) break;
    unsigned char bytes[kDescriptorSize];
    bytes[0] = static_cast<unsigned char>(first);
    if (!ReadExactly(tableStream, bytes + 1, kDescriptorSize - 1)) return false;
    DbfFieldDescriptor descriptor;
    std::memcpy(descriptor.name, bytes, 11);
    descriptor.name[11] = '\0';
    descriptor.type = static_cast<char>(bytes[11]);
    descriptor.length = bytes[16];
    descriptor.decimalCount = bytes[17];
    fieldOffsets.push_back(rowLength);
    rowLength += descriptor.length;
    fields.push_back(descriptor);
  }
  return MoveToFirstRow(rowLength);
}

// Rows start where the stored header length says, when it lies between the
// terminator and the end of the table: some writers keep more after the
// descriptors (a database container's name, reserved space). Rows are as
// long as the stored record length when that is longer than the fields.
bool CShapeFileReader::MoveToFirstRow(size_t rowLength) {
  const long afterTerminator = std::ftell(tableStream);
  if (afterTerminator < 0) return false;
  size_t stride = rowLength;
  if (tableHeader.recordLength > rowLength) stride = tableHeader.recordLength;
  row.assign(fields.empty() ? 0 : stride, ' ');
  tableSize = StreamSize(tableStream);
  if (tableSize < 0) return false;
  long start = afterTerminator;
  if (tableHeader.headerLength > afterTerminator && tableHeader.headerLength <= tableSize) start = tableHeader.headerLength;
  firstRowOffset = start;
  return std::fseek(tableStream, start, SEEK_SET) == 0;
}

void CShapeFileReader::GetBounds(double& outXmin, double& outXmax, double& outYmin, double& outYmax) const {
  outXmin = xmin;
  outXmax = xmax;
  outYmin = ymin;
  outYmax = ymax;
}

bool CShapeFileReader::IsAtEnd() const {
  if (!mainStream) return true;
  return mainPosition >= mainSize || std::feof(mainStream);
}

bool CShapeFileReader::ReadMain(void* buffer, size_t size) {
  if (!mainStream) return false;
  const size_t got = std::fread(buffer, 1, size, mainStream);
  mainPosition += static_cast<int64_t>(got);
  return got == size;
}

bool CShapeFileReader::ReadIndexWord(int32_t& value) {
  unsigned char word[4];
  if (!indexStream || !ReadExactly(indexStream, word, 4)) return false;
  value = kzbytes::BigInt32(word);
  return true;
}

bool CShapeFileReader::SeekRecord(uint32_t index) {
  if (!mainStream || index >= recordCount) return false;
  const long entry = static_cast<long>(kHeaderSize + kIndexEntrySize * static_cast<int64_t>(index));
  int32_t offset = 0;
  if (std::fseek(indexStream, entry, SEEK_SET) != 0 || !ReadIndexWord(offset)) return false;
  // The stream is left at the entry's content length, where the bodies read it.
  const int64_t target = 2 * static_cast<int64_t>(offset);
  if (target < static_cast<int64_t>(kHeaderSize) || target + 12 > mainSize) return false;
  if (std::fseek(mainStream, static_cast<long>(target), SEEK_SET) != 0) return false;
  mainPosition = target;
  if (fields.empty()) return true;
  const int64_t rowStart = firstRowOffset + static_cast<int64_t>(index) * static_cast<int64_t>(row.size());
  if (rowStart + static_cast<int64_t>(row.size()) > tableSize) return false;
  return std::fseek(tableStream, static_cast<long>(rowStart), SEEK_SET) == 0;
}

bool CShapeFileReader::ReadRecordHeader(ShapeRecordHeader& header) {
  unsigned char bytes[12];
  if (!ReadMain(bytes, sizeof bytes)) return false;
  header.recordNumber = kzbytes::BigInt32(bytes);
  header.contentLength = kzbytes::BigInt32(bytes + 4);
  header.shapeType = kzbytes::LittleInt32(bytes + 8);
  // The content length counts the shape type just read.
  recordContentEnd = mainPosition - 4 + 2 * static_cast<int64_t>(header.contentLength);
  return true;
}

// Bytes of the current record still to come: bounded by its content length
// and by the end of the file, whichever comes first.
int64_t CShapeFileReader::BodyBytesLeft() const {
  return std::max<int64_t>(0, std::min(recordContentEnd, mainSize) - mainPosition);
}

bool CShapeFileReader::ReadAttributeRow() {
  if (fields.empty()) return true;
  return tableStream && ReadExactly(tableStream, row.data(), row.size());
}

// The index gives where the next record starts; after the last entry there
// is nothing to read and the main file stays where it is.
bool CShapeFileReader::MoveToNextRecord() {
  int32_t offset = 0;
  if (!ReadIndexWord(offset)) return true;
  const int64_t target = 2 * static_cast<int64_t>(offset);
  if (target == mainPosition) return true;
  // Records start after the 100-byte header; an index that says otherwise is damaged.
  if (target < static_cast<int64_t>(kHeaderSize) || std::fseek(mainStream, static_cast<long>(target), SEEK_SET) != 0) return false;
  mainPosition = target;
  return true;
}

bool CShapeFileReader::ReadPoint(double& x, double& y) {
  int32_t contentLength = 0;
  if (!ReadIndexWord(contentLength)) return false;
  unsigned char bytes[kPointSize];
  if (BodyBytesLeft() < static_cast<int64_t>(sizeof bytes) || !ReadMain(bytes, sizeof bytes)) return false;
  x = kzbytes::LittleDouble(bytes);
  y = kzbytes::LittleDouble(bytes + 8);
  return ReadAttributeRow() && MoveToNextRecord();
}

bool CShapeFileReader::SkipRecord() {
  int32_t contentLength = 0;
  return ReadIndexWord(contentLength) && ReadAttributeRow() && MoveToNextRecord();
}

bool CShapeFileReader::ReadPartStarts(ShapePolyRecord& record) {
  const size_t bytes = 4 * static_cast<size_t>(record.partCount);
  record.partStarts.resize(record.partCount);
  if (!ReadMain(record.partStarts.data(), bytes)) return false;
  for (int32_t& start : record.partStarts) start = kzbytes::LittleInt32(reinterpret_cast<unsigned char*>(&start));
  if (record.partCount == 1) return true;  // a single part takes every point
  // Several parts must start at 0 and never go back or past the points.
  if (record.partStarts.front() != 0) return false;
  for (int32_t i = 1; i < record.partCount; ++i) {
    const int32_t start = record.partStarts[i];
    if (start < record.partStarts[i - 1] || start > record.pointCount) return false;
  }
  return true;
}

bool CShapeFileReader::ReadPoints(ShapePart& part, int32_t count) {
  part.clear();
  part.reserve(count);
  for (size_t left = static_cast<size_t>(count); left > 0;) {
    const size_t chunk = std::min(left, kPointsPerChunk);
    const unsigned char* p = pointBuffer.get();
    if (!ReadMain(pointBuffer.get(), chunk * kPointSize)) return false;
    for (size_t i = 0; i < chunk; ++i, p += kPointSize)
      part.push_back(ShapePoint{kzbytes::LittleDouble(p), kzbytes::LittleDouble(p + 8)});
    left -= chunk;
  }
  return true;
}

bool CShapeFileReader::ReadPoly(ShapePolyRecord& record) {
  record.partStarts.clear();
  record.partCount = 0;
  record.pointCount = 0;
  int32_t contentLength = 0;
  if (!ReadIndexWord(contentLength)) return false;
  unsigned char fixed[kPolyFixedBytes];
  if (BodyBytesLeft() < kPolyFixedBytes || !ReadMain(fixed, sizeof fixed)) return false;
  record.xmin = kzbytes::LittleDouble(fixed);
  record.ymin = kzbytes::LittleDouble(fixed + 8);
  record.xmax = kzbytes::LittleDouble(fixed + 16);
  record.ymax = kzbytes::LittleDouble(fixed + 24);
  const int32_t partCount = kzbytes::LittleInt32(fixed + 32);
  const int32_t pointCount = kzbytes::LittleInt32(fixed + 36);
  // Counts are believed only when their bytes are really in the record.
  if (partCount <= 0 || pointCount < 0) return false;
  if (4 * static_cast<int64_t>(partCount) + 16 * static_cast<int64_t>(pointCount) > BodyBytesLeft()) return false;
  record.partCount = partCount;
  record.pointCount = pointCount;
  if (!ReadPartStarts(record)) return false;
  // Parts keep their point storage from record to record.
  record.parts.resize(partCount);
  for (int32_t p = 0; p < partCount; ++p) {
    int32_t count = pointCount;
    if (partCount > 1) {
      const int32_t end = p + 1 < partCount ? record.partStarts[p + 1] : pointCount;
      count = end - record.partStarts[p];
    }
    if (!ReadPoints(record.parts[p], count)) return false;
  }
  return ReadAttributeRow() && MoveToNextRecord();
}

bool CShapeFileReader::ReadMultiPoint(ShapePart& points) {
  points.clear();
  int32_t contentLength = 0;
  if (!ReadIndexWord(contentLength)) return false;
  unsigned char fixed[36];
  if (BodyBytesLeft() < static_cast<int64_t>(sizeof fixed) || !ReadMain(fixed, sizeof fixed)) return false;
  const int32_t count = kzbytes::LittleInt32(fixed + 32);
  if (count < 0 || 16 * static_cast<int64_t>(count) > BodyBytesLeft()) return false;
  if (!ReadPoints(points, count)) return false;
  return ReadAttributeRow() && MoveToNextRecord();
}

bool CShapeFileReader::GetFieldDescriptor(int32_t index, DbfFieldDescriptor& out) const {
  if (index < 0 || index >= GetFieldCount()) return false;
  out = fields[index];
  return true;
}

bool CShapeFileReader::GetFieldValue(int32_t index, std::string& out) const {
  if (index < 0 || index >= GetFieldCount() || row.empty()) return false;
  out.assign(row, fieldOffsets[index], fields[index].length);
  return true;
}
