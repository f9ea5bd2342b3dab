// Host file paths.
#pragma once

#include "host/HostTypes.h"

#define kAIFilePathSuite "AI File Path Suite"
#define kAIFilePathSuiteVersion 3

struct AIFilePathSuite {
  AIErr (*Create)(AIUnicodeStringRef fullPath, AIFilePathRef* out);
  // From a path in the platform's file-system encoding.
  AIErr (*CreateFromPlatformPath)(const char* path, AIFilePathRef* out);
  AIErr (*Duplicate)(AIFilePathRef source, AIFilePathRef* out);
  AIErr (*Dispose)(AIFilePathRef path);
  AIErr (*IsEmpty)(AIFilePathRef path, AIBoolean* empty);
  AIErr (*GetFullPath)(AIFilePathRef path, AIUnicodeStringRef* out);
  // The path in the platform's file-system encoding, for C streams. Writes at
  // most capacity bytes including the terminator; needed includes it too.
  AIErr (*GetPlatformPath)(AIFilePathRef path, char* buffer, size_t capacity, size_t* needed);
  AIErr (*GetFileName)(AIFilePathRef path, AIBoolean withExtension, AIUnicodeStringRef* out);
  // The extension without its dot; empty when there is none.
  AIErr (*GetFileExtension)(AIFilePathRef path, AIUnicodeStringRef* out);
  AIErr (*GetParent)(AIFilePathRef path, AIFilePathRef* out);
  AIErr (*AddComponent)(AIFilePathRef path, AIUnicodeStringRef component, AIFilePathRef* out);
  // Replaces the extension (given without its dot; empty removes it).
  AIErr (*SetFileExtension)(AIFilePathRef path, AIUnicodeStringRef extension, AIFilePathRef* out);
  AIErr (*Exists)(AIFilePathRef path, AIBoolean* exists, AIBoolean* isFile);
  AIErr (*Equal)(AIFilePathRef a, AIFilePathRef b, AIBoolean* equal);
};
