// The line reader behind a CKzTextFile: one per encoding width.
#pragma once

#include <cstdint>
#include <cstdio>

#include "host/UnicodeString.h"

class CKzTextFileReaderBase {
 public:
  // The stream is borrowed from the owning text file.
  CKzTextFileReaderBase(std::FILE* stream, int32_t encodingCode) : stream(stream), encodingCode(encodingCode) {}
  CKzTextFileReaderBase(const CKzTextFileReaderBase&) = delete;
  CKzTextFileReaderBase& operator=(const CKzTextFileReaderBase&) = delete;
  virtual ~CKzTextFileReaderBase() = default;

  // The next line without its line end. False at the end of the file, and
  // from the first read error on: callers read until false, so an error must
  // end the reading rather than pass for an endless run of empty lines.
  virtual bool ReadLine(ai::UnicodeString& out) = 0;
  // Bytes that were not text in the encoding and became U+FFFD, so far.
  int64_t ReplacedBytes() const { return replacedBytes; }

 protected:
  bool atStart = true;
  std::FILE* stream;
  int32_t encodingCode;
  int64_t replacedBytes = 0;
};
