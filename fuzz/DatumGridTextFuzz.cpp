// The published parameter texts: any bytes convert (TKY2JGD) or read (the
// earthquake correction) or stop at a named line, and every correction
// through what was read succeeds or fails cleanly.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "geodesy/DatumGridText.h"

namespace {

std::FILE* OpenBytes(std::vector<uint8_t>& bytes, size_t size) {
  std::FILE* in = fmemopen(bytes.data(), size == 0 ? 1 : size, "rb");
  if (in && size == 0) std::fgetc(in);
  return in;
}

void ConvertTky2Jgd(std::vector<uint8_t>& bytes, size_t size) {
  std::FILE* in = OpenBytes(bytes, size);
  if (!in) return;
  std::FILE* out = std::fopen("/dev/null", "wb");
  if (out) {
    const DatumGridTextResult result = ConvertDatumGridText(in, out);
    if (!result.ok && result.error.empty()) __builtin_trap();
    std::fclose(out);
  }
  std::fclose(in);
}

void ReadCorrection(std::vector<uint8_t>& bytes, size_t size) {
  std::FILE* in = OpenBytes(bytes, size);
  if (!in) return;
  std::vector<GridRecord> records;
  const DatumGridTextResult result = ReadCorrectionGridText(in, records);
  std::fclose(in);
  if (!result.ok && (result.error.empty() || !records.empty())) __builtin_trap();
  DatumGrid grid;
  grid.Assign(records);
  // Points in the first cells the file names, and beside them.
  for (size_t i = 0; i < records.size() && i < 40; ++i) {
    const int32_t code = records[i].meshCode;
    const double lat = (code / 1000000 * 80 + code / 1000 % 10 * 10 + code / 10 % 10 + 0.5) / 120.0;
    const double lon = 100 + (code / 10000 % 100 * 80 + code / 100 % 10 * 10 + code % 10 + 0.5) / 80.0;
    double outLat = 0, outLon = 0;
    grid.AddCorrection(lat, lon, outLat, outLon);
    grid.RemoveCorrection(lat, lon, outLat, outLon);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  bytes.push_back(0);
  ConvertTky2Jgd(bytes, size);
  ReadCorrection(bytes, size);
  return 0;
}
