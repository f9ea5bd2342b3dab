// Helpers for the Shapefile tests: byte patches and a full read of a triple.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/CShapeFileReader.h"
#include "formats/CShapeFileWriter.h"

namespace kztest {

void PutLE32(std::string& bytes, size_t offset, int32_t value);
void PutBE32(std::string& bytes, size_t offset, int32_t value);
int32_t GetLE32(const std::string& bytes, size_t offset);
int32_t GetBE32(const std::string& bytes, size_t offset);
double GetLEDouble(const std::string& bytes, size_t offset);

// Everything a reader gives for one record.
struct ReadRecord {
  int32_t number = 0;
  int32_t type = 0;
  std::vector<ShapePart> parts;  // a point record has one part of one point
  std::vector<std::string> values;
  bool operator==(const ReadRecord&) const = default;
};

struct ReadResult {
  bool opened = false;
  bool complete = false;  // every record of the index was read
  std::vector<ReadRecord> records;
};

// Reads as the importer does: every record the index counts, stopping at the first failure.
ReadResult ReadTriple(const std::string& shpPath);

ShapeField Field(const char* name, int32_t type, int32_t digits, int32_t decimals = 0, const char* value = "");

}  // namespace kztest

namespace kztest {

// Text of the given UTF-8 in code page 932 bytes.
std::string ToShiftJis(const std::string& utf8);

}  // namespace kztest
