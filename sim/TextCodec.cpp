#include "sim/TextCodec.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace sim {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

std::u16string DecodeUtf8(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<uint8_t>(bytes[i]);
    if (lead < 0x80) {
      out.push_back(lead);
      ++i;
      continue;
    }
    int extra = -1;
    if (lead >= 0xC2 && lead < 0xE0) extra = 1;
    else if (lead >= 0xE0 && lead < 0xF0) extra = 2;
    else if (lead >= 0xF0 && lead < 0xF5) extra = 3;
    if (extra < 0 || i + static_cast<size_t>(extra) >= bytes.size()) {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    uint32_t code = lead & (0x3F >> extra);
    bool valid = true;
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<uint8_t>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) {
        valid = false;
        break;
      }
      code = (code << 6) | (next & 0x3F);
    }
    const uint32_t minimum = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
    if (!valid || code < minimum || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(code));
    }
    i += extra + 1;
  }
  return out;
}

std::string EncodeUtf8(std::u16string_view units) {
  std::string out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    uint32_t code = units[i];
    if (code >= 0xD800 && code < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
      code = 0x10000 + ((code - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    } else if (code >= 0xD800 && code < 0xE000) {
      code = kReplacement;
    }
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (code >> 18)));
      out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return out;
}

// One iconv descriptor per direction, opened once.
class Converter {
 public:
  Converter(const char* to, const char* from) : handle(iconv_open(to, from)) {
    if (handle == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv cannot convert CP932");
  }
  ~Converter() { iconv_close(handle); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts as much as possible; on an invalid sequence returns false and
  // leaves in/inLeft at the offending input.
  bool Run(char*& in, size_t& inLeft, std::string& out) {
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
    while (inLeft > 0) {
      char buffer[1024];
      char* outPtr = buffer;
      size_t outLeft = sizeof buffer;
      const size_t result = iconv(handle, &in, &inLeft, &outPtr, &outLeft);
      out.append(buffer, outPtr);
      if (result == static_cast<size_t>(-1) && errno != E2BIG) return false;
    }
    return true;
  }

 private:
  iconv_t handle;
};

bool IsAscii(std::string_view bytes) {
  for (char c : bytes)
    if (static_cast<uint8_t>(c) >= 0x80) return false;
  return true;
}

std::u16string DecodeCp932(std::string_view bytes) {
  if (IsAscii(bytes)) return std::u16string(bytes.begin(), bytes.end());
  static Converter converter("UTF-16LE", "CP932");
  std::u16string out;
  std::string raw;
  std::string copy(bytes);
  char* in = copy.data();
  size_t left = copy.size();
  while (left > 0) {
    if (converter.Run(in, left, raw)) break;
    raw.append("\xFD\xFF", 2);  // U+FFFD, little-endian
    ++in;
    --left;
  }
  out.resize(raw.size() / 2);
  for (size_t i = 0; i < out.size(); ++i)
    out[i] = static_cast<char16_t>(static_cast<uint8_t>(raw[2 * i]) | (static_cast<uint8_t>(raw[2 * i + 1]) << 8));
  return out;
}

std::string EncodeCp932(std::u16string_view units) {
  bool ascii = true;
  for (char16_t unit : units) ascii = ascii && unit < 0x80;
  if (ascii) return std::string(units.begin(), units.end());
  static Converter converter("CP932", "UTF-16LE");
  std::string out;
  std::string raw(units.size() * 2, '\0');
  for (size_t i = 0; i < units.size(); ++i) {
    raw[2 * i] = static_cast<char>(units[i] & 0xFF);
    raw[2 * i + 1] = static_cast<char>(units[i] >> 8);
  }
  char* in = raw.data();
  size_t left = raw.size();
  while (left > 0) {
    if (converter.Run(in, left, out)) break;
    out.push_back('?');
    const bool highSurrogate = left >= 4 && (static_cast<uint8_t>(in[1]) & 0xFC) == 0xD8;
    const size_t skip = highSurrogate ? 4 : std::min<size_t>(2, left);
    in += skip;
    left -= skip;
  }
  return out;
}

}  // namespace

std::u16string DecodeText(std::string_view bytes, AICharacterEncoding encoding) {
  switch (encoding) {
    case kAIUTF8CharacterEncoding:
      return DecodeUtf8(bytes);
    case kAIUTF16CharacterEncoding: {
      std::u16string out(bytes.size() / 2, u'\0');
      for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                       (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
      return out;
    }
    default:
      return DecodeCp932(bytes);
  }
}

std::string EncodeText(std::u16string_view units, AICharacterEncoding encoding) {
  switch (encoding) {
    case kAIUTF8CharacterEncoding:
      return EncodeUtf8(units);
    case kAIUTF16CharacterEncoding: {
      std::string out(units.size() * 2, '\0');
      for (size_t i = 0; i < units.size(); ++i) {
        out[2 * i] = static_cast<char>(units[i] & 0xFF);
        out[2 * i + 1] = static_cast<char>(units[i] >> 8);
      }
      return out;
    }
    default:
      return EncodeCp932(units);
  }
}

}  // namespace sim
