#include "formats/DecodeLoss.h"

namespace {

constexpr int32_t kUtf8Code = 1;

}  // namespace

int64_t CountDecodeReplacements(std::string_view bytes, const ai::UnicodeString& text, int32_t encodingCode) {
  bool beyondAscii = false;
  for (const char c : bytes) beyondAscii |= static_cast<unsigned char>(c) >= 0x80;
  if (!beyondAscii) return 0;
  int64_t replaced = 0;
  for (const char16_t unit : text.as_UTF16()) replaced += unit == 0xFFFD;
  if (encodingCode == kUtf8Code) {
    for (size_t at = 0; (at = bytes.find("\xEF\xBF\xBD", at)) != std::string_view::npos; at += 3) --replaced;
  }
  return replaced > 0 ? replaced : 0;
}
