// CShapeFileReader: reads one Shapefile triple (.shp, .shx, .dbf) record by
// record, with each record's attribute row as raw bytes.
//
// Nothing read from the files is trusted: every count, index and length is
// checked against the record's content length and the bytes that remain
// before anything is allocated or read, so a damaged or hostile triple is a
// read failure (false), never an out-of-range read or a huge allocation.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "formats/DbfFieldDescriptor.h"
#include "formats/DbfTableHeader.h"
#include "formats/ShapePolyRecord.h"
#include "host/FilePath.h"

class CShapeFileReader {
 public:
  // Why the last Open failed, for a message that names the problem.
  enum class OpenProblem {
    kNone,
    kNoExtension,
    kMainMissing,
    kIndexMissing,
    kTableMissing,
    kMainHeader,
    kIndexHeader,
    kIndexTruncated,  // fewer entries than the index header's file length says
    kTableHeader,
  };

  CShapeFileReader();
  ~CShapeFileReader();
  CShapeFileReader(const CShapeFileReader&) = delete;
  CShapeFileReader& operator=(const CShapeFileReader&) = delete;

  bool Open(const ai::FilePath& path);
  // pathText in the platform's multibyte encoding; the .shx and .dbf are
  // found by replacing the four characters from the last dot.
  bool Open(const std::string& pathText);
  // Closes all three files; harmless when closed.
  void Close();

  void GetBounds(double& xmin, double& xmax, double& ymin, double& ymax) const;
  uint32_t GetRecordCount() const { return recordCount; }
  int32_t GetShapeType() const { return shapeType; }
  const DbfTableHeader& GetTableHeader() const { return tableHeader; }
  bool IsAtEnd() const;
  OpenProblem GetOpenProblem() const { return openProblem; }
  // For a file of the set that did not open: its path and the system's
  // error number.
  const std::string& GetUnopenedPath() const { return unopenedPath; }
  int GetOpenError() const { return openError; }
  // For kIndexTruncated: the entries the index header promises.
  uint32_t GetIndexedRecordCount() const { return indexedRecordCount; }
  // The encoding code that the .cpg beside the table names (17 Shift-JIS,
  // 1 UTF-8), or else the table's language driver; 0 when neither says.
  int32_t GetDeclaredEncoding() const { return declaredEncoding; }

  // Puts all three files at the record with this 0-based index, as the
  // index and the table's row length say, so that one damaged record does
  // not end the reading of those after it. False when the index entry points
  // outside the main file (or its row is not in the table).
  bool SeekRecord(uint32_t index);
  bool ReadRecordHeader(ShapeRecordHeader& header);
  // Bodies: each reads the record's attribute row and moves to the next
  // record as the index says. Z and M values are never read.
  bool ReadPoint(double& x, double& y);
  bool ReadPoly(ShapePolyRecord& record);
  // A MultiPoint record (plain, Z or M: only x and y are read).
  bool ReadMultiPoint(ShapePart& points);
  bool SkipRecord();

  int32_t GetFieldCount() const { return static_cast<int32_t>(fields.size()); }
  bool GetFieldDescriptor(int32_t index, DbfFieldDescriptor& out) const;
  // The field's raw bytes in the current row: exactly its length, untrimmed,
  // in the table's own encoding. False when the index is out of range.
  bool GetFieldValue(int32_t index, std::string& out) const;

 private:
  bool OpenStreams(const std::string& pathText);
  bool ReadMainHeader();
  bool ReadIndexHeader();
  bool ReadTableHeader();
  bool ReadFieldDescriptors();
  bool MoveToFirstRow(size_t rowLength);
  bool Fail(OpenProblem problem);
  bool ReadMain(void* buffer, size_t size);
  bool ReadIndexWord(int32_t& value);
  bool ReadAttributeRow();
  bool MoveToNextRecord();
  int64_t BodyBytesLeft() const;
  bool ReadPartStarts(ShapePolyRecord& record);
  bool ReadPoints(ShapePart& part, int32_t count);

  std::FILE* mainStream = nullptr;
  std::FILE* indexStream = nullptr;
  std::FILE* tableStream = nullptr;
  int32_t shapeType = 0;
  uint32_t recordCount = 0;
  uint32_t indexedRecordCount = 0;
  OpenProblem openProblem = OpenProblem::kNone;
  std::string unopenedPath;
  int openError = 0;
  int32_t declaredEncoding = 0;
  std::string tablePathText;
  int64_t firstRowOffset = 0;  // where the table's rows start
  int64_t tableSize = 0;
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  DbfTableHeader tableHeader;
  std::vector<DbfFieldDescriptor> fields;
  std::unique_ptr<unsigned char[]> pointBuffer;
  // The current row: deletion flag, then every field's bytes in order.
  std::string row;
  std::vector<size_t> fieldOffsets;

  // Where the main file stands, kept here so that bounds checks need no seek.
  int64_t mainSize = 0;
  int64_t mainPosition = 0;
  // The record whose header was read last: where its content ends.
  int64_t recordContentEnd = 0;
};
