#include "app/TerminalText.h"

#include <cstdint>
#include <cstdio>

namespace kzmap {

namespace {

// The length of the UTF-8 sequence at text[i] and its code point; 0 when
// the bytes there are not well-formed UTF-8.
size_t Sequence(const std::string& text, size_t i, char32_t& code) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
  if (length == 0 || i + length > text.size()) return 0;
  code = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
  static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kLeast[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return 0;
  return length;
}

bool Reorders(char32_t code) { return (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069); }

}  // namespace

std::string TerminalSafe(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  char escape[16];
  for (size_t i = 0; i < text.size();) {
    char32_t code = 0;
    const size_t length = Sequence(text, i, code);
    if (length == 0) {
      std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(text[i]));
      out += escape;
      ++i;
      continue;
    }
    if (code == '\t') out += "\\t";
    else if (code == '\n') out += "\\n";
    else if (code == '\r') out += "\\r";
    else if (code == '\\') out += "\\\\";
    else if (code < 0x20 || code == 0x7F) {
      std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(code));
      out += escape;
    } else if ((code >= 0x80 && code <= 0x9F) || Reorders(code)) {
      std::snprintf(escape, sizeof escape, "\\u{%04X}", static_cast<unsigned>(code));
      out += escape;
    } else {
      out.append(text, i, length);
    }
    i += length;
  }
  return out;
}

}  // namespace kzmap
