// Basic types of the host interface: result codes, four-character codes,
// opaque handles and geometry values, as the host hands them to plug-ins.
#pragma once

#include <cstddef>
#include <cstdint>

using AIErr = int32_t;
using ASErr = AIErr;
using AIBoolean = uint8_t;
using AIReal = float;  // host geometry is single precision
using ai_int32 = int32_t;

// The 32-bit value whose bytes, most significant first, spell the four characters.
constexpr int32_t FourCC(const char (&code)[5]) {
  return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint8_t>(code[0])) << 24) |
                              (static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 16) |
                              (static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 8) |
                              static_cast<uint32_t>(static_cast<uint8_t>(code[3])));
}

constexpr AIErr kNoErr = 0;
constexpr AIErr kUnhandledMsgErr = FourCC("!MSG");
constexpr AIErr kOutOfMemoryErr = FourCC("MEM!");
constexpr AIErr kSPPluginCachesFlushResponse = FourCC("pFls");
constexpr AIErr kCantHappenErr = FourCC("CANT");
constexpr AIErr kCanceledErr = FourCC("STOP");
constexpr AIErr kBadParameterErr = FourCC("PARM");
constexpr AIErr kSPSuiteNotFoundError = FourCC("S!Fd");
constexpr AIErr kSPCantAcquirePluginError = FourCC("!Acq");
constexpr AIErr kNoSuchKeyErr = FourCC("NOKY");  // dictionary or preference key missing
constexpr AIErr kNotImplementedErr = FourCC("!IMP");

// Character encodings understood by the Unicode String suite. 17 is the
// platform's multibyte code page (Windows code page 932, Shift-JIS).
enum AICharacterEncoding : int32_t {
  kAIUTF8CharacterEncoding = 1,
  kAIUTF16CharacterEncoding = 2,  // little-endian
  kAIShiftJISCharacterEncoding = 17,
  kAIPlatformCharacterEncoding = 17,
};

struct AIRealPoint {
  AIReal h = 0;
  AIReal v = 0;
};

struct AIRealRect {
  AIReal left = 0;
  AIReal top = 0;
  AIReal right = 0;
  AIReal bottom = 0;
};

struct AIRealMatrix {
  AIReal a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
};

// Opaque host handles: owned by the host, never by the plug-in.
#define KZ_HOST_HANDLE(Name) \
  struct Name##Opaque;       \
  using Name = Name##Opaque*
KZ_HOST_HANDLE(SPPluginRef);
KZ_HOST_HANDLE(SPAccessRef);
KZ_HOST_HANDLE(AIArtHandle);
KZ_HOST_HANDLE(AILayerHandle);
KZ_HOST_HANDLE(AIDocumentHandle);
KZ_HOST_HANDLE(AIMenuItemHandle);
KZ_HOST_HANDLE(AIMenuGroup);
KZ_HOST_HANDLE(AINotifierHandle);
KZ_HOST_HANDLE(AIPanelRef);
KZ_HOST_HANDLE(AIPanelFlyoutMenuRef);
KZ_HOST_HANDLE(AIDictionaryRef);
KZ_HOST_HANDLE(AIArrayRef);
KZ_HOST_HANDLE(AIEntryRef);
KZ_HOST_HANDLE(AIArtSet);
KZ_HOST_HANDLE(AIUnicodeStringRef);
KZ_HOST_HANDLE(AIFilePathRef);
KZ_HOST_HANDLE(AIWindowRef);
#undef KZ_HOST_HANDLE
