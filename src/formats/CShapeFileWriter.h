// CShapeFileWriter: writes one Shapefile triple (.shp, .shx, .dbf) record by
// record; counts, lengths and boxes are patched into the headers by Finish.
//
// Calling order: Begin, AddField (or AddColumn) for every column, Create, then
// per record the values (SetValues, SetValue by column, or SetString,
// SetInteger, SetReal by name) and one of WritePoint, WriteMultiPoint,
// WritePolyLine, WritePolygon; Finish.
//
// What a caller can rely on:
// - Column names are cut to 10 bytes on a character boundary and are unique
//   in the table (compared without regard to ASCII case): a name that clashes
//   after cutting becomes NAME_1, NAME_2, ... within the 10 bytes, as GDAL
//   does. GetColumnName gives the stored name.
// - Values reach a column by its index (the order of AddField), or through
//   SetValues by the field's definition; a name is looked up as it was given
//   to AddField, never by its cut form, so no value can land in a column
//   that merely shares the first 10 bytes of its name.
// - A value never costs its row: a number that the column cannot hold (see
//   DbaseNumber.h) is written as asterisks, the dBASE overflow mark, and
//   counted per column (GetOverflowCount); a text longer than its column is
//   cut on a character boundary and counted (GetCutCount); characters with
//   no Shift-JIS form become "?" and are counted (GetUnmappedCount). Counts
//   cover the rows written so far; callers tell the user once per file.
// - A numeric value that is blank or not a number (asterisks, words) is
//   written as blanks, the dBASE null, never as 0.
// - Beside the .dbf a .cpg names its encoding ("UTF-8" or "CP932"), so GDAL
//   and QGIS decode it without asking; the table's language-driver byte is 0.
// - Create writes into uniquely named temporary files beside the target;
//   Finish replaces the target's .shp, .shx, .dbf, .cpg and .prj only once
//   all of them are complete, and removes a .cpg or .prj (and a spatial
//   index) left by an earlier set that this one has none of. A failed write,
//   a failed Finish or a writer destroyed before Finish removes what it
//   wrote and leaves any existing file set of that name untouched; GetProblem
//   then names the file and the system's reason.
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
#include "formats/PartFile.h"
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
  // A column of any dBASE type letter (C, N, F, D, L); the name is in the
  // file's encoding. Lengths are taken as 1..255.
  bool AddColumn(std::string_view name, char typeLetter, int32_t length, int32_t decimals);
  // The extension becomes .shp; the .shx, .dbf and .cpg are written beside it.
  bool Create(const ai::FilePath& path);

  int32_t GetColumnCount() const { return static_cast<int32_t>(columns.size()); }
  // The name as stored in the table (cut and made unique), in the file's encoding.
  std::string GetColumnName(int32_t column) const;

  // The value of a column in the next row, converted by the column's type.
  // False when there is no such column.
  bool SetValue(int32_t column, const ai::UnicodeString& value);
  // The same with the text already in the file's encoding.
  bool SetText(int32_t column, std::string_view text);
  // By name in the file's encoding, as given to AddField (or the stored
  // name). False when no column has that name.
  bool SetString(std::string_view fieldName, std::string_view text);
  bool SetInteger(std::string_view fieldName, int32_t value);
  bool SetReal(std::string_view fieldName, double value);
  // Starts the next row from an object's fields: each value goes to the
  // column of the same definition (name, type, digits, decimals), else to the
  // first column of the same name; values of no column are left out. Values
  // set for a record that was never written do not carry over. False when a
  // field found no column.
  bool SetValues(const std::vector<ShapeField>& record);

  bool WritePoint(double x, double y);
  // One record of several points (a MultiPoint file); false for none.
  bool WriteMultiPoint(const ShapePart& points);
  // A record without geometry (shape type 0) that still carries its row.
  bool WriteNull();
  // Parts are written as given: rings are neither closed nor reordered.
  bool WritePolyLine(const std::vector<ShapePart>& parts);
  bool WritePolygon(const std::vector<ShapePart>& parts);

  // Patches the headers, closes the files and puts them in place; after a
  // failure removes them instead. True only when the whole set is in place.
  bool Finish();
  // The .prj's text, written with the set by Finish; empty: none.
  void SetProjection(std::string text);
  // Why Create or Finish failed: the file and the reason; empty otherwise.
  const std::string& GetProblem() const { return problem; }

  int32_t GetRecordCount() const { return recordCount; }
  const BoundsAccumulator& GetBounds() const { return fileBounds; }
  // Values written as the overflow mark, in one column or in all.
  int32_t GetOverflowCount(int32_t column) const;
  int32_t GetOverflowCount() const;
  // Texts cut to their column's width, in one column.
  int32_t GetCutCount(int32_t column) const;
  // Characters written as "?" because Shift-JIS has no form for them.
  int32_t GetUnmappedCount() const { return unmappedCount; }

 private:
  struct Column {
    DbfFieldDescriptor descriptor;
    std::string givenName;  // the name before cutting, in the file's encoding
    ShapeField definition;  // set by AddField, for SetValues' matching
    bool fromField = false;
    bool integerKind = false;  // whole numbers, kept digit for digit
    int32_t overflowCount = 0;
    int32_t cutCount = 0;
  };
  // The pending value of one column in the next row.
  struct Cell {
    std::string text;
    bool given = false;
    bool overflow = false;
  };

  bool IsCreated() const { return mainStream && indexStream && tableStream; }
  void CloseStreams();
  void Abandon();
  bool PutInPlace();
  bool WriteCompanion(size_t index, const std::string& text);
  void NoteWriteFailure();
  bool WriteHeaders();
  std::string CutToBytes(std::string_view text, size_t limit) const;
  std::string UniqueName(std::string_view name) const;
  std::string Encode(const ai::UnicodeString& text);
  int32_t ColumnOfName(std::string_view name) const;
  void SetCell(int32_t column, std::string text, bool overflow);
  bool WriteRow();
  bool WritePoly(int32_t type, const std::vector<ShapePart>& parts);
  unsigned char* BeginRecord(int32_t type, const BoundsAccumulator& box, int64_t contentWords);
  bool EndRecord(const BoundsAccumulator& box, int64_t contentWords);
  bool WriteIndexEntry(int32_t contentWords);

  std::FILE* mainStream = nullptr;
  std::FILE* indexStream = nullptr;
  std::FILE* tableStream = nullptr;
  // Where each file of the set goes (.shp, .shx, .dbf, .cpg, .prj), and
  // where it is written until Finish puts it there.
  std::vector<std::string> targetPaths;
  PartFile parts[5];
  std::string projection;
  std::string problem;
  int32_t shapeType = 0;
  int32_t mainLength = 50;  // 16-bit words
  int32_t recordCount = 0;
  int32_t nextOffset = 50;  // 16-bit words
  DbfTableHeader tableHeader;
  std::vector<Column> columns;
  std::vector<Cell> pending;
  int32_t unmappedCount = 0;
  BoundsAccumulator fileBounds;
  int32_t encodingCode = 17;
  // Reused for every record: never larger than the largest record.
  std::vector<unsigned char> scratch;
};
