#include "app/ShapeRewrite.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/ShpCommon.h"
#include "app/Translate.h"
#include "formats/CShapeFileReader.h"
#include "formats/CShapeFileWriter.h"
#include "formats/ShapeField.h"

namespace kzmap {

namespace {

constexpr int32_t kLongestText = 254;
constexpr int32_t kUnsupported = -1;

// The flat type of a record type: Null stays Null, what the writer cannot
// write is kUnsupported.
int32_t FlatType(int32_t type) {
  switch (type) {
    case kShapeNull:
      return kShapeNull;
    case kShapePoint:
    case kShapePointZ:
    case kShapePointM:
      return kShapePoint;
    case kShapePolyLine:
    case kShapePolyLineZ:
    case kShapePolyLineM:
      return kShapePolyLine;
    case kShapePolygon:
    case kShapePolygonZ:
    case kShapePolygonM:
      return kShapePolygon;
    default:
      return kUnsupported;
  }
}

bool IsKnownLetter(char letter) {
  return letter == 'C' || letter == 'N' || letter == 'F' || letter == 'D' || letter == 'L';
}

std::string Trimmed(const std::string& raw) {
  const size_t first = raw.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return raw.substr(first, raw.find_last_not_of(' ') - first + 1);
}

class Rewrite {
 public:
  Rewrite(const RewriteRequest& request, const char* name) : request(request), name(name) {}

  int Run() {
    if (!reader.Open(request.input)) return Fail(request.input, WhyNotOpened(reader, request.input));
    from = TableEncoding(reader, request.from);
    to = request.to != 0 ? request.to : from;
    fileType = FlatType(reader.GetShapeType());
    if (fileType == kUnsupported)
      return Fail(request.input,
                  Format(Tr("shape type %d cannot be written: nothing was written"), reader.GetShapeType()));
    MeasureTexts();
    if (!Begin()) return Fail(request.output, Tr("cannot write the Shapefile"));
    bool ok = true;
    for (uint32_t i = 1; ok && i <= reader.GetRecordCount(); ++i) ok = CopyRecord(i);
    if (writer.GetRecordCount() == 0 && reader.GetRecordCount() > 0)
      return Fail(request.input, Tr("no record could be written: nothing was written"));  // the writer drops its files
    const int32_t written = writer.GetRecordCount();
    if (!ok) return 1;  // the writer drops its files: an earlier output stays as it was
    if (!writer.Finish()) return Fail(request.output, Tr("cannot complete the Shapefile (disk full?); nothing was replaced"));
    std::fprintf(stderr, Tr("%s: %d records written, %d skipped\n"), name, written, skipped);
    Warn();
    return 0;
  }

 private:
  int Fail(const std::string& path, const std::string& why) {
    std::fprintf(stderr, Tr("%s: %s: %s\n"), name, path.c_str(), why.c_str());
    return 1;
  }

  std::string Recoded(const std::string& bytes) const {
    if (from == to) return bytes;
    return ai::UnicodeString(bytes, static_cast<AICharacterEncoding>(from))
        .getInStdString(static_cast<AICharacterEncoding>(to));
  }

  // A text column grows to hold its longest value in the new encoding: a
  // Shift-JIS kanji takes three bytes in UTF-8.
  void MeasureTexts() {
    const int32_t count = reader.GetFieldCount();
    widths.assign(count, 0);
    for (int32_t i = 0; i < count; ++i) {
      DbfFieldDescriptor descriptor;
      reader.GetFieldDescriptor(i, descriptor);
      widths[i] = std::max<int32_t>(descriptor.length, 1);
    }
    if (from == to) return;
    CShapeFileReader scan;
    if (!scan.Open(request.input)) return;
    std::string raw;
    for (uint32_t record = 0; record < scan.GetRecordCount(); ++record) {
      ShapeRecordHeader header;
      if (scan.IsAtEnd() || !scan.ReadRecordHeader(header) || !scan.SkipRecord()) return;
      for (int32_t i = 0; i < count; ++i) {
        DbfFieldDescriptor descriptor;
        scan.GetFieldDescriptor(i, descriptor);
        if (descriptor.type != 'C' && IsKnownLetter(descriptor.type)) continue;
        scan.GetFieldValue(i, raw);
        const int32_t needed = static_cast<int32_t>(std::min<size_t>(Recoded(Trimmed(raw)).size(), kLongestText));
        widths[i] = std::max(widths[i], needed);
      }
    }
  }

  bool Begin() {
    writer.Begin(fileType, to);
    for (int32_t i = 0; i < reader.GetFieldCount(); ++i) {
      DbfFieldDescriptor descriptor;
      reader.GetFieldDescriptor(i, descriptor);
      descriptors.push_back(descriptor);
      const char letter = IsKnownLetter(descriptor.type) ? descriptor.type : 'C';
      if (!writer.AddColumn(Recoded(std::string(descriptor.Name())), letter, widths[i], descriptor.decimalCount))
        return false;
    }
    return writer.Create(ai::FilePath::FromPlatform(request.output));
  }

  // False when the input cannot be read or the output cannot be written.
  bool CopyRecord(uint32_t index) {
    ShapeRecordHeader header;
    if (reader.IsAtEnd() || !reader.ReadRecordHeader(header)) return RecordFails(false, index);
    const int32_t type = FlatType(header.shapeType);
    if (type != kShapeNull && type != fileType) {
      ++skipped;
      return reader.SkipRecord() || RecordFails(false, index);
    }
    double x = 0, y = 0;
    bool read = false;
    if (type == kShapeNull) read = reader.SkipRecord();
    else if (type == kShapePoint) read = reader.ReadPoint(x, y);
    else read = reader.ReadPoly(poly);
    if (!read) return RecordFails(false, index);
    SetValues();
    bool written = false;
    if (type == kShapeNull) written = writer.WriteNull();
    if (type == kShapePoint) written = writer.WritePoint(x, y);
    if (type == kShapePolyLine) written = writer.WritePolyLine(poly.parts);
    if (type == kShapePolygon) written = writer.WritePolygon(poly.parts);
    return written || RecordFails(true, index);
  }

  void SetValues() {
    std::string raw;
    for (int32_t i = 0; i < static_cast<int32_t>(descriptors.size()); ++i) {
      reader.GetFieldValue(i, raw);
      const std::string text = Trimmed(raw);
      if (from == to) writer.SetText(i, text);
      else writer.SetValue(i, ai::UnicodeString(text, static_cast<AICharacterEncoding>(from)));
    }
  }

  bool RecordFails(bool writing, uint32_t index) {
    std::fprintf(stderr,
                 writing ? Tr("%s: %s: record %u cannot be written (disk full?); nothing was replaced\n")
                         : Tr("%s: %s: record %u cannot be read\n"),
                 name, request.input.c_str(), index);
    return false;
  }

  // Once per file: what the format could not hold, by column.
  void Warn() {
    if (skipped > 0)
      std::fprintf(stderr, Tr("%s: warning: %d records of another shape type than the file's were left out\n"), name,
                   skipped);
    for (int32_t i = 0; i < writer.GetColumnCount(); ++i) {
      const std::string column = ai::UnicodeString(writer.GetColumnName(i), static_cast<AICharacterEncoding>(to)).as_UTF8();
      const std::string given =
          ai::UnicodeString(std::string(descriptors[i].Name()), static_cast<AICharacterEncoding>(from)).as_UTF8();
      if (column != given)
        std::fprintf(stderr, Tr("%s: warning: column %s is named %s in the output (names hold 10 bytes, and are unique)\n"),
                     name, given.c_str(), column.c_str());
      if (writer.GetOverflowCount(i) > 0)
        std::fprintf(stderr, Tr("%s: warning: column %s: %d numbers do not fit the column and were written as asterisks\n"),
                     name, column.c_str(), writer.GetOverflowCount(i));
      if (writer.GetCutCount(i) > 0)
        std::fprintf(stderr, Tr("%s: warning: column %s: %d texts are longer than the column and were cut\n"), name,
                     column.c_str(), writer.GetCutCount(i));
    }
    if (writer.GetUnmappedCount() > 0)
      std::fprintf(stderr, Tr("%s: warning: %d characters have no Shift-JIS form and were written as \"?\"\n"), name,
                   writer.GetUnmappedCount());
  }

  const RewriteRequest& request;
  const char* name;
  CShapeFileReader reader;
  CShapeFileWriter writer;
  int32_t from = 17;
  int32_t to = 17;
  int32_t fileType = kShapeNull;
  std::vector<int32_t> widths;
  std::vector<DbfFieldDescriptor> descriptors;
  ShapePolyRecord poly;
  int skipped = 0;
};

}  // namespace

int RewriteShapefile(const RewriteRequest& request, const char* name) { return Rewrite(request, name).Run(); }

}  // namespace kzmap
