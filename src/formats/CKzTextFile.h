// CKzTextFile: a file read line by line in Shift-JIS, UTF-8 or UTF-16, each
// line handed over as a host Unicode string.
#pragma once

#include <cstdint>
#include <memory>

#include "formats/CKzFile.h"
#include "formats/CKzTextFileReaderBase.h"

class CKzTextFile : public CKzFile {
 public:
  CKzTextFile();
  ~CKzTextFile() override;

  // encodingCode: 17 Shift-JIS, 1 UTF-8, 2 UTF-16 (byte order from the mark).
  virtual bool Open(const ai::FilePath& path, int32_t encodingCode);
  // False at the end of the file, on a read error, or when not open.
  bool ReadLine(ai::UnicodeString& out);

  int32_t GetEncodingCode() const { return encodingCode; }
  // What did not decode in the lines read so far (each became U+FFFD).
  int64_t ReplacedBytes() const { return reader ? reader->ReplacedBytes() : 0; }

 private:
  int32_t encodingCode = 17;
  std::unique_ptr<CKzTextFileReaderBase> reader;
};
