#include "formats/ShapeTestSupport.h"

#include <unistd.h>

#include <cstring>

namespace kztest {

void PutLE32(std::string& bytes, size_t offset, int32_t value) {
  for (int i = 0; i < 4; ++i) bytes.at(offset + i) = static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
}

void PutBE32(std::string& bytes, size_t offset, int32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes.at(offset + i) = static_cast<char>((static_cast<uint32_t>(value) >> (8 * (3 - i))) & 0xFF);
}

int32_t GetLE32(const std::string& bytes, size_t offset) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<uint8_t>(bytes.at(offset + i))) << (8 * i);
  return static_cast<int32_t>(v);
}

int32_t GetBE32(const std::string& bytes, size_t offset) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<uint8_t>(bytes.at(offset + i));
  return static_cast<int32_t>(v);
}

double GetLEDouble(const std::string& bytes, size_t offset) {
  double value;
  std::memcpy(&value, bytes.substr(offset, 8).data(), 8);
  return value;
}

ReadResult ReadTriple(const std::string& shpPath) {
  ReadResult result;
  CShapeFileReader reader;
  result.opened = reader.Open(shpPath);
  if (!result.opened) return result;
  ShapePolyRecord poly;
  for (uint32_t i = 0; i < reader.GetRecordCount(); ++i) {
    ShapeRecordHeader header;
    if (reader.IsAtEnd() || !reader.ReadRecordHeader(header)) return result;
    ReadRecord record{header.recordNumber, header.shapeType, {}, {}};
    bool ok = true;
    switch (header.shapeType) {
      case 1:
      case 11:
      case 21: {
        ShapePoint point;
        ok = reader.ReadPoint(point.x, point.y);
        record.parts.push_back({point});
        break;
      }
      case 3:
      case 13:
      case 23:
      case 5:
      case 15:
      case 25:
        ok = reader.ReadPoly(poly);
        record.parts = poly.parts;
        break;
      default:
        ok = reader.SkipRecord();
    }
    if (!ok) return result;
    for (int32_t f = 0; f < reader.GetFieldCount(); ++f) {
      std::string value;
      reader.GetFieldValue(f, value);
      record.values.push_back(value);
    }
    result.records.push_back(record);
  }
  result.complete = true;
  return result;
}

ShapeField Field(const char* name, int32_t type, int32_t digits, int32_t decimals, const char* value) {
  return ShapeField{name, type, digits, decimals, value};
}

}  // namespace kztest

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "host/UnicodeString.h"

namespace kztest {

std::string ToShiftJis(const std::string& utf8) { return ai::UnicodeString(utf8.c_str()).as_Platform(); }

}  // namespace kztest
