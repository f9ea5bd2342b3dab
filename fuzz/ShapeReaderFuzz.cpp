// The Shapefile reader over any triple: the input is split into the main
// file, the index and the table (two little-endian 16-bit lengths first),
// written to scratch files and read through to the end as the importer reads.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "formats/CShapeFileReader.h"
#include "formats/ShapeField.h"
#include "support/HostEnvironment.h"

namespace {

bool WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool ok = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && ok;
}

std::string ScratchBase() {
  const std::filesystem::path folder = std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
  return (folder / ("kz-shape-fuzz-" + std::to_string(::getpid()))).string();
}

void ReadEverything(CShapeFileReader& reader) {
  double xmin, xmax, ymin, ymax;
  reader.GetBounds(xmin, xmax, ymin, ymax);
  std::vector<DbfFieldDescriptor> fields(reader.GetFieldCount());
  for (int32_t i = 0; i < reader.GetFieldCount(); ++i) reader.GetFieldDescriptor(i, fields[i]);
  ShapePolyRecord poly;
  std::string value;
  // The importer goes to every record the index lists; bound the run the same way.
  ShapePart points;
  for (uint32_t n = 0; n < reader.GetRecordCount() && n < 10000; ++n) {
    ShapeRecordHeader header;
    if (!reader.SeekRecord(n) || !reader.ReadRecordHeader(header)) continue;
    bool ok;
    switch (header.shapeType) {
      case 1: case 11: case 21: {
        double x, y;
        ok = reader.ReadPoint(x, y);
        break;
      }
      case 3: case 13: case 23: case 5: case 15: case 25:
        ok = reader.ReadPoly(poly);
        break;
      case 8: case 18: case 28:
        ok = reader.ReadMultiPoint(points);
        break;
      default:
        ok = reader.SkipRecord();
    }
    if (!ok) continue;
    for (int32_t i = 0; i < reader.GetFieldCount(); ++i) {
      reader.GetFieldValue(i, value);
      FieldFromDbaseColumn(fields[i], value, n % 2 ? 1 : 17);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static kztest::HostEnvironment host;
  static const std::string base = ScratchBase();
  if (size < 4) return 0;
  size_t shpSize = data[0] | (data[1] << 8);
  size_t shxSize = data[2] | (data[3] << 8);
  data += 4;
  size -= 4;
  shpSize = std::min(shpSize, size);
  shxSize = std::min(shxSize, size - shpSize);
  const size_t dbfSize = size - shpSize - shxSize;
  if (!WriteFile(base + ".shp", data, shpSize) || !WriteFile(base + ".shx", data + shpSize, shxSize) ||
      !WriteFile(base + ".dbf", data + shpSize + shxSize, dbfSize))
    return 0;
  CShapeFileReader reader;
  if (reader.Open(base + ".shp")) ReadEverything(reader);
  reader.Close();
  return 0;
}
