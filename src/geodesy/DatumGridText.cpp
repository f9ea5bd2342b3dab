#include "geodesy/DatumGridText.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "geodesy/DatumGrid.h"

namespace {

// One line without its end (LF, CR LF or CR); false at the end of the input.
bool ReadTextLine(std::FILE* in, std::string& line) {
  line.clear();
  int c = std::fgetc(in);
  if (c == EOF) return false;
  while (c != EOF && c != '\n' && c != '\r') {
    line.push_back(static_cast<char>(c));
    c = std::fgetc(in);
  }
  if (c == '\r') {
    const int next = std::fgetc(in);
    if (next != '\n' && next != EOF) std::ungetc(next, in);
  }
  return true;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) fields.push_back(line.substr(start, i - start));
  }
  return fields;
}

bool ParseCode(const std::string& text, int32_t& code) {
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || end != text.c_str() + text.size()) return false;
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) return false;
  code = static_cast<int32_t>(value);
  return true;
}

bool ParseShift(const std::string& text, double& value) {
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && std::isfinite(value);
}

// `maxFields` is 3, or 4 where a height shift may follow (checked, not kept).
bool ParseRecord(const std::string& line, size_t maxFields, GridRecord& record) {
  const std::vector<std::string> fields = Fields(line);
  if (fields.size() < 3 || fields.size() > maxFields) return false;
  double height = 0;
  if (fields.size() == 4 && !ParseShift(fields[3], height)) return false;
  return ParseCode(fields[0], record.meshCode) && ParseShift(fields[1], record.shift.dB) &&
         ParseShift(fields[2], record.shift.dL);
}

// Calls `take` for each cell line after the header; stops at the first line
// that does not parse, or when `take` refuses a record.
template <typename Take>
DatumGridTextResult ReadCellLines(std::FILE* text, size_t headerLines, size_t maxFields, Take take) {
  DatumGridTextResult result;
  std::string line;
  size_t lineNumber = 0;
  for (size_t header = 0; header < headerLines && ReadTextLine(text, line); ++header) ++lineNumber;
  while (ReadTextLine(text, line)) {
    ++lineNumber;
    if (Fields(line).empty()) continue;
    GridRecord record;
    if (!ParseRecord(line, maxFields, record)) {
      result.errorLine = lineNumber;
      result.error = "line " + std::to_string(lineNumber) + ": expected a mesh code and two shifts in seconds";
      return result;
    }
    if (!take(record, result)) return result;
    ++result.recordsWritten;
  }
  if (std::ferror(text)) {
    result.error = "cannot read the parameter file";
    return result;
  }
  result.ok = true;
  return result;
}

}  // namespace

DatumGridTextResult ConvertDatumGridText(std::FILE* text, std::FILE* binary) {
  return ReadCellLines(text, kTky2JgdHeaderLines, 3, [binary](const GridRecord& record, DatumGridTextResult& result) {
    unsigned char bytes[kGridRecordSize];
    EncodeGridRecord(record, bytes);
    if (std::fwrite(bytes, 1, sizeof bytes, binary) == sizeof bytes) return true;
    result.error = "cannot write the grid file";
    return false;
  });
}

DatumGridTextResult ReadCorrectionGridText(std::FILE* text, std::vector<GridRecord>& records) {
  records.clear();
  DatumGridTextResult result =
      ReadCellLines(text, kCorrectionHeaderLines, 4, [&records](const GridRecord& record, DatumGridTextResult&) {
        records.push_back(record);
        return true;
      });
  if (!result.ok) records.clear();
  return result;
}
