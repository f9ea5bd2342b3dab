// Pieces of packed map files for tests that assemble hostile files byte by byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace kztest {

// A variable-length number as the packed file writes it.
inline std::string Varint(uint64_t value) {
  std::string bytes;
  while (value >= 0x80) {
    bytes.push_back(static_cast<char>(value | 0x80));
    value >>= 7;
  }
  bytes.push_back(static_cast<char>(value));
  return bytes;
}

// The same number at a fixed width, as the writer fills a run's head in
// after its art: empty continuation bytes up to the last.
inline std::string PaddedVarint(uint64_t value, size_t width = 10) {
  std::string bytes;
  for (size_t i = 1; i < width; ++i) {
    bytes.push_back(static_cast<char>((value & 0x7F) | 0x80));
    value >>= 7;
  }
  bytes.push_back(static_cast<char>(value));
  return bytes;
}

inline std::string Floats(std::initializer_list<float> values) {
  std::string bytes;
  for (float value : values) bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
  return bytes;
}

}  // namespace kztest
