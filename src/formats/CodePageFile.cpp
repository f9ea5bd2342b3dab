#include "formats/CodePageFile.h"

#include <algorithm>

#include "formats/CKzFile.h"

namespace {

constexpr size_t kLongestCodePageText = 64;

std::string Normalised(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '-' || c == '_') continue;
    out.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
  }
  return out;
}

}  // namespace

int32_t EncodingOfCodePageText(std::string_view text) {
  const std::string name = Normalised(text);
  if (name == "UTF8" || name == "65001") return 1;
  for (const char* shiftJis : {"CP932", "932", "SJIS", "SHIFTJIS", "WINDOWS31J", "MS932", "ANSI932", "WINDOWS932"})
    if (name == shiftJis) return 17;
  return 0;
}

int32_t EncodingOfCodePageFile(const std::string& cpgPathText) {
  CKzFile file(false);
  if (!file.Open(cpgPathText, "rb")) return 0;
  std::FILE* stream = file.GetStream();
  char text[kLongestCodePageText];
  const size_t got = std::fread(text, 1, sizeof text, stream);
  std::fclose(stream);
  return EncodingOfCodePageText(std::string_view(text, got));
}

int32_t EncodingOfLanguageDriver(uint8_t languageDriver) { return languageDriver == 0x13 ? 17 : 0; }
