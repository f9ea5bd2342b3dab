// CKzTextFileWriter: a text file written line by line in Shift-JIS, UTF-8 or
// UTF-16 (little-endian), every line ended by CR LF. The file is written
// under a unique temporary name beside its final name and takes that name
// only when Commit succeeds, so a failed or abandoned write leaves nothing
// behind and never destroys a file of the same name that was there before.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "formats/PartFile.h"
#include "host/FilePath.h"
#include "host/UnicodeString.h"

class CKzTextFileWriter {
 public:
  CKzTextFileWriter() = default;
  // Abandons a file that was not committed.
  ~CKzTextFileWriter();
  CKzTextFileWriter(const CKzTextFileWriter&) = delete;
  CKzTextFileWriter& operator=(const CKzTextFileWriter&) = delete;

  // encodingCode: 17 Shift-JIS, 1 UTF-8, 2 UTF-16; any other code writes Shift-JIS.
  bool Open(const ai::FilePath& path, int32_t encodingCode);
  bool IsOpen() const { return file.IsOpen(); }
  int32_t GetEncodingCode() const { return encodingCode; }

  // EF BB BF for UTF-8, FF FE for UTF-16, nothing for Shift-JIS.
  bool WriteByteOrderMark();
  // The line in the file's encoding, then CR LF (two 16-bit units in UTF-16).
  bool WriteLine(const ai::UnicodeString& line);
  // Bytes as they are.
  bool WriteBytes(std::string_view bytes);

  // Completes the file and gives it its name, replacing a file of that name.
  // False, and nothing left behind, when any write failed.
  bool Commit();
  // Drops the file being written; a file of the final name stays as it was.
  void Abandon();
  // Why the file could not be written: the file and the system's reason.
  const std::string& GetProblem() const { return file.Problem(); }

  // Whether the encoding holds every character of the text (Shift-JIS holds
  // only part of Unicode; the others hold all of it).
  static bool CanEncode(const ai::UnicodeString& text, int32_t encodingCode);

 private:
  bool Put(const void* bytes, size_t size);

  PartFile file;
  int32_t encodingCode = 17;
  bool failed = false;
};

// One value of a delimited line. With the comma, a value holding a comma, a
// double quotation mark, CR or LF is enclosed in double quotation marks and
// its quotation marks are doubled; with the tab, the same is done for values
// holding a tab, CR or LF, which would otherwise break the line apart. Other
// values stay as they are.
std::u16string DelimitedValue(std::u16string_view value, char16_t delimiter);

// A number in fixed notation with nine decimals ("%2.9f"), whatever the C
// locale says the decimal mark is.
std::string FixedNine(double value);
