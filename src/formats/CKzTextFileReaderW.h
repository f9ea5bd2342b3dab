// Reads lines of 16-bit code units (UTF-16, either byte order).
#pragma once

#include "formats/CKzTextFileReaderBase.h"

class CKzTextFileReaderW : public CKzTextFileReaderBase {
 public:
  using CKzTextFileReaderBase::CKzTextFileReaderBase;
  bool ReadLine(ai::UnicodeString& out) override;

 private:
  // False at the end of the file (a lone trailing byte included) or on error.
  bool ReadUnit(char16_t& unit);

  bool swapBytes = false;
};
