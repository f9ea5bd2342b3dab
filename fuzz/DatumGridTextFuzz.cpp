// The published parameter text: any bytes convert or stop at a named line.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "geodesy/DatumGridText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  bytes.push_back(0);
  std::FILE* in = fmemopen(bytes.data(), size == 0 ? 1 : size, "rb");
  if (!in) return 0;
  if (size == 0) std::fgetc(in);
  std::FILE* out = std::fopen("/dev/null", "wb");
  if (out) {
    const DatumGridTextResult result = ConvertDatumGridText(in, out);
    if (!result.ok && result.error.empty()) __builtin_trap();
    std::fclose(out);
  }
  std::fclose(in);
  return 0;
}
