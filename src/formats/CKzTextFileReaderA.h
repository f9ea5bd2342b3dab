// Reads lines of 8-bit code units (Shift-JIS or UTF-8).
#pragma once

#include "formats/CKzTextFileReaderBase.h"

class CKzTextFileReaderA : public CKzTextFileReaderBase {
 public:
  using CKzTextFileReaderBase::CKzTextFileReaderBase;
  bool ReadLine(ai::UnicodeString& out) override;

 private:
  bool SkipByteOrderMark();
};
