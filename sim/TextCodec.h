// Conversions between bytes and UTF-16 for the stand-in host's Unicode
// strings: UTF-8 and UTF-16LE by hand, Windows code page 932 through iconv.
#pragma once

#include <string>
#include <string_view>

#include "host/HostTypes.h"

namespace sim {

// Bytes that do not decode become U+FFFD.
std::u16string DecodeText(std::string_view bytes, AICharacterEncoding encoding);
// Characters that the encoding cannot hold become '?'.
std::string EncodeText(std::u16string_view units, AICharacterEncoding encoding);

inline std::u16string Utf8ToUtf16(std::string_view utf8) { return DecodeText(utf8, kAIUTF8CharacterEncoding); }
inline std::string Utf16ToUtf8(std::u16string_view units) { return EncodeText(units, kAIUTF8CharacterEncoding); }

}  // namespace sim
