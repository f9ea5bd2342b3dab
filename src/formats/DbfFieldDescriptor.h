// One column of a dBASE table as the Shapefile reader and writer keep it.
#pragma once

#include <cstdint>
#include <string_view>

struct DbfFieldDescriptor {
  char name[12] = {};  // up to 11 bytes in the table's encoding, always zero-terminated
  char type = 'C';     // C, N, F, D, L, ...
  uint8_t length = 0;
  uint8_t decimalCount = 0;

  std::string_view Name() const;
};

inline std::string_view DbfFieldDescriptor::Name() const {
  size_t size = 0;
  while (size < sizeof name && name[size] != '\0') ++size;
  return std::string_view(name, size);
}
