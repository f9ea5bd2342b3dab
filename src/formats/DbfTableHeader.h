// The 32-byte header of a dBASE III table, as read and written.
#pragma once

#include <cstdint>

struct DbfTableHeader {
  uint8_t version = 3;
  uint8_t year = 0;  // years since 1900
  uint8_t month = 0;
  uint8_t day = 0;
  uint32_t recordCount = 0;
  uint16_t headerLength = 33;
  uint16_t recordLength = 0;
  uint8_t incompleteTransaction = 0;
  uint8_t encryption = 0;
  uint8_t productionIndex = 0;
  uint8_t languageDriver = 0;
};
