#include "formats/CKzTextFile.h"

#include "formats/CKzTextFileReaderA.h"
#include "formats/CKzTextFileReaderW.h"

namespace {

constexpr int32_t kUtf16Code = 2;

}  // namespace

CKzTextFile::CKzTextFile() : CKzFile(true) {}

// The reader borrows the stream, so it goes first.
CKzTextFile::~CKzTextFile() { reader.reset(); }

bool CKzTextFile::Open(const ai::FilePath& path, int32_t code) {
  encodingCode = code;
  reader.reset();
  if (!CKzFile::Open(path, "rb")) return false;
  if (code == kUtf16Code)
    reader = std::make_unique<CKzTextFileReaderW>(stream, code);
  else
    reader = std::make_unique<CKzTextFileReaderA>(stream, code);
  return true;
}

bool CKzTextFile::ReadLine(ai::UnicodeString& out) {
  // After Close the reader's borrowed stream is gone.
  if (!reader || !stream) return false;
  return reader->ReadLine(out);
}
