// Host Unicode strings: immutable-by-value text objects owned by the host.
#pragma once

#include "host/HostTypes.h"

#define kAIUnicodeStringSuite "AI Unicode String Suite"
#define kAIUnicodeStringSuiteVersion 7

struct AIUnicodeStringSuite {
  // A new string from bytes in the given encoding (17 Shift-JIS, 1 UTF-8,
  // 2 UTF-16LE). Bytes that do not decode become U+FFFD.
  AIErr (*Create)(const char* bytes, size_t byteCount, AICharacterEncoding encoding, AIUnicodeStringRef* out);
  AIErr (*CreateFromUTF16)(const uint16_t* units, size_t count, AIUnicodeStringRef* out);
  AIErr (*Duplicate)(AIUnicodeStringRef source, AIUnicodeStringRef* out);
  AIErr (*Dispose)(AIUnicodeStringRef text);
  // The UTF-16 code units; valid until the string is changed or disposed.
  AIErr (*GetUTF16)(AIUnicodeStringRef text, const uint16_t** units, size_t* count);
  // Converts to bytes in the encoding. Writes at most capacity bytes (no
  // terminator) and always reports the full size in byteCount. Characters
  // that the encoding cannot hold become '?', as the platform does.
  AIErr (*Convert)(AIUnicodeStringRef text, AICharacterEncoding encoding, char* buffer, size_t capacity,
                   size_t* byteCount);
  AIErr (*Append)(AIUnicodeStringRef text, AIUnicodeStringRef tail);
  // Code-unit order: negative, zero or positive.
  AIErr (*Compare)(AIUnicodeStringRef a, AIUnicodeStringRef b, int32_t* order);
};
