#include "formats/CKzTextFileReaderW.h"

#include <string>

namespace {

constexpr char16_t kCR = 13;
constexpr char16_t kLF = 10;
constexpr char16_t kLittleEndianMark = 0xFEFF;
constexpr char16_t kBigEndianMark = 0xFFFE;  // the mark as read little-endian

}  // namespace

bool CKzTextFileReaderW::ReadUnit(char16_t& unit) {
  unsigned char pair[2];
  if (std::fread(pair, 1, 2, stream) != 2) return false;
  unit = static_cast<char16_t>(pair[0] | (pair[1] << 8));
  if (swapBytes) unit = static_cast<char16_t>((unit << 8) | (unit >> 8));
  return true;
}

bool CKzTextFileReaderW::ReadLine(ai::UnicodeString& out) {
  out = ai::UnicodeString();
  std::u16string units;
  bool lineEnd = false;
  char16_t unit = 0;
  while (ReadUnit(unit)) {
    if (atStart) {
      // Without a mark the file is little-endian and its first unit is text.
      atStart = false;
      if (unit == kLittleEndianMark) continue;
      if (unit == kBigEndianMark) {
        swapBytes = true;
        continue;
      }
    }
    if (unit == kLF) {
      lineEnd = true;
      break;
    }
    if (unit == kCR) {
      char16_t next = 0;
      if (ReadUnit(next) && next != kLF && std::fseek(stream, -2, SEEK_CUR) != 0) return false;
      lineEnd = true;
      break;
    }
    units.push_back(unit);
  }
  if (std::ferror(stream)) return false;
  if (units.empty()) return lineEnd;
  out = ai::UnicodeString::FromUTF16(units);
  return true;
}
