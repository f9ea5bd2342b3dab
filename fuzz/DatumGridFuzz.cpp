// The binary datum grid file: any bytes load into a grid (or an empty one),
// and every shift through it either succeeds or fails cleanly.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "geodesy/DatumGrid.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  bytes.push_back(0);  // fmemopen wants a buffer of at least one byte
  std::FILE* stream = fmemopen(bytes.data(), size == 0 ? 1 : size, "rb");
  if (!stream) return 0;
  if (size == 0) std::fgetc(stream);
  DatumGrid grid;
  grid.ReadDatumGrid(stream);
  std::fclose(stream);
  // Points in and around the cells the file names.
  for (size_t offset = 0; offset + kGridRecordSize <= size && offset < 40 * kGridRecordSize; offset += kGridRecordSize) {
    unsigned char record[kGridRecordSize];
    for (size_t i = 0; i < kGridRecordSize; ++i) record[i] = data[offset + i];
    const int32_t code = DecodeGridRecord(record).meshCode;
    const double lat = (code / 1000000 * 80 + code / 1000 % 10 * 10 + code / 10 % 10 + 0.5) / 120.0;
    const double lon = 100 + (code / 10000 % 100 * 80 + code / 100 % 10 * 10 + code % 10 + 0.5) / 80.0;
    GridShift shift;
    double outLat = 0, outLon = 0;
    grid.InterpolateShift(lat, lon, shift);
    grid.TokyoToJgd(lat, lon, outLat, outLon);
    grid.JgdToTokyo(lat, lon, outLat, outLon);
  }
  return 0;
}
