// CShapeFileWriter: writes one Shapefile triple (.shp, .shx, .dbf) record by
// record; counts, lengths and boxes are patched into the headers by Finish.
//
// Calling order: Begin, AddField for every field, Create, then per record the
// values (SetValues and/or SetString, SetInteger, SetReal) and one of
// WritePoint, WritePolyLine, WritePolygon; Finish.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "formats/BoundsAccumulator.h"
#include "formats/DbfFieldDescriptor.h"
#include "formats/DbfTableHeader.h"
#include "formats/ShapeField.h"
#include "formats/ShapePolyRecord.h"
#include "host/FilePath.h"

class CShapeFileWriter {
 public:
  CShapeFileWriter();
  ~CShapeFileWriter();
  CShapeFileWriter(const CShapeFileWriter&) = delete;
  CShapeFileWriter& operator=(const CShapeFileWriter&) = delete;

  // encodingCode decides how names and texts become bytes: 17 Shift-JIS, 1 UTF-8.
  bool Begin(int32_t shapeType, int32_t encodingCode);
  // String fields become C columns, integers and reals N columns. False, and
  // nothing added, after Create or when the table could not describe it.
  bool AddField(const ShapeField& definition);
  // The extension becomes .shp; the .shx and .dbf are written beside it.
  bool Create(const ai::FilePath& path);

  // Values of the next row, by field name in the file's encoding (cut as the
  // stored names were cut). False when no field has that name. A number that
  // does not fit its field is written as asterisks, the dBASE mark of an
  // overflow, and reported as false.
  bool SetString(std::string_view fieldName, std::string_view text);
  bool SetInteger(std::string_view fieldName, int32_t value);
  bool SetReal(std::string_view fieldName, double value);
  // Starts the next row from an object's fields (values dropped by a record
  // that was never written do not carry over). Reports the last value's
  // result, and false whenever a number did not fit.
  bool SetValues(const std::vector<ShapeField>& record);

  bool WritePoint(double x, double y);
  // Parts are written as given: rings are neither closed nor reordered.
  bool WritePolyLine(const std::vector<ShapePart>& parts);
  bool WritePolygon(const std::vector<ShapePart>& parts);

  // Patches the headers and closes the three files, also after a failure.
  bool Finish();

  int32_t GetRecordCount() const { return recordCount; }
  const BoundsAccumulator& GetBounds() const { return fileBounds; }

 private:
  bool IsCreated() const { return mainStream && indexStream && tableStream; }
  void CloseStreams();
  bool WriteHeaders();
  std::string CutToBytes(std::string_view text, size_t limit) const;
  template <typename Format>
  bool SetEach(std::string_view fieldName, Format format);
  bool WriteRow();
  bool WritePoly(int32_t type, const std::vector<ShapePart>& parts);
  bool WriteIndexEntry(int32_t contentWords);

  std::FILE* mainStream = nullptr;
  std::FILE* indexStream = nullptr;
  std::FILE* tableStream = nullptr;
  int32_t shapeType = 0;
  int32_t mainLength = 50;  // 16-bit words
  int32_t recordCount = 0;
  int32_t nextOffset = 50;  // 16-bit words
  DbfTableHeader tableHeader;
  std::vector<DbfFieldDescriptor> fields;
  BoundsAccumulator fileBounds;
  // The pending row: one text per field, and whether it was given.
  std::vector<std::string> pending;
  std::vector<bool> hasPending;
  bool valuesOverflowed = false;
  int32_t encodingCode = 17;
  // Reused for every record: never larger than the largest record.
  std::vector<unsigned char> scratch;
};
