#include "formats/CKzTextFileReaderA.h"

#include <string>

#include "formats/DecodeLoss.h"

namespace {

constexpr int kCR = 13;
constexpr int kLF = 10;

}  // namespace

// A UTF-8 mark is dropped whatever the encoding: editors put it in front of
// files that are otherwise plain Shift-JIS-compatible ASCII.
bool CKzTextFileReaderA::SkipByteOrderMark() {
  unsigned char mark[3] = {};
  if (std::fread(mark, 1, 3, stream) == 3 && mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF) return true;
  if (std::ferror(stream)) return false;
  return std::fseek(stream, 0, SEEK_SET) == 0;
}

bool CKzTextFileReaderA::ReadLine(ai::UnicodeString& out) {
  out = ai::UnicodeString();
  if (atStart) {
    atStart = false;
    if (!SkipByteOrderMark()) return false;
  }
  std::string bytes;
  bool lineEnd = false;
  for (int c = std::getc(stream); c != EOF; c = std::getc(stream)) {
    if (c == kLF) {
      lineEnd = true;
      break;
    }
    if (c == kCR) {
      const int next = std::getc(stream);
      if (next != kLF && next != EOF) std::ungetc(next, stream);
      lineEnd = true;
      break;
    }
    bytes.push_back(static_cast<char>(c));
  }
  // A line cut by a read error is not returned: what follows it is unknown.
  if (std::ferror(stream)) return false;
  if (bytes.empty()) return lineEnd;
  out = ai::UnicodeString(bytes, static_cast<AICharacterEncoding>(encodingCode));
  replacedBytes += CountDecodeReplacements(bytes, out, encodingCode);
  return true;
}
