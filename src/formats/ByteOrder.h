// Byte order of the Shapefile and dBASE formats: some words big-endian, the
// rest (and every double) little-endian, whatever the machine's own order.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace kzbytes {

inline uint32_t Swap32(uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

inline uint64_t Swap64(uint64_t v) {
  return (static_cast<uint64_t>(Swap32(static_cast<uint32_t>(v))) << 32) | Swap32(static_cast<uint32_t>(v >> 32));
}

inline uint32_t Load32(const unsigned char* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

inline int32_t LittleInt32(const unsigned char* p) {
  uint32_t v = Load32(p);
  if constexpr (std::endian::native == std::endian::big) v = Swap32(v);
  return static_cast<int32_t>(v);
}

inline int32_t BigInt32(const unsigned char* p) {
  uint32_t v = Load32(p);
  if constexpr (std::endian::native == std::endian::little) v = Swap32(v);
  return static_cast<int32_t>(v);
}

inline uint16_t LittleUInt16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

inline double LittleDouble(const unsigned char* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  if constexpr (std::endian::native == std::endian::big) v = Swap64(v);
  return std::bit_cast<double>(v);
}

inline void PutLittleInt32(unsigned char* p, int32_t value) {
  uint32_t v = static_cast<uint32_t>(value);
  if constexpr (std::endian::native == std::endian::big) v = Swap32(v);
  std::memcpy(p, &v, 4);
}

inline void PutBigInt32(unsigned char* p, int32_t value) {
  uint32_t v = static_cast<uint32_t>(value);
  if constexpr (std::endian::native == std::endian::little) v = Swap32(v);
  std::memcpy(p, &v, 4);
}

inline void PutLittleUInt16(unsigned char* p, uint16_t value) {
  p[0] = static_cast<unsigned char>(value & 0xFF);
  p[1] = static_cast<unsigned char>(value >> 8);
}

inline void PutLittleDouble(unsigned char* p, double value) {
  uint64_t v = std::bit_cast<uint64_t>(value);
  if constexpr (std::endian::native == std::endian::big) v = Swap64(v);
  std::memcpy(p, &v, 8);
}

}  // namespace kzbytes
