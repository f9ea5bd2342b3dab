// Counting what a decoding lost: bytes that were not text in the encoding
// come out as U+FFFD, and the user is told how many there were.
#pragma once

#include <cstdint>
#include <string_view>

#include "host/UnicodeString.h"

// The U+FFFD in text that the decoding of bytes made (one held by UTF-8
// bytes as EF BF BD is text of the file and not counted).
int64_t CountDecodeReplacements(std::string_view bytes, const ai::UnicodeString& text, int32_t encodingCode);
