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
constexpr AIErr kNoDocumentErr = FourCC("DOC?");      // no document is open
constexpr AIErr kBadArtErr = FourCC("ART?");          // a handle that names no live object
constexpr AIErr kWrongEntryTypeErr = FourCC("TYP?");  // dictionary or array entry of another kind
constexpr AIErr kIndexOutOfRangeErr = FourCC("IDX?");

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

// Integer sizes of panels and native windows.
struct AISize {
  int32_t width = 0;
  int32_t height = 0;
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
KZ_HOST_HANDLE(AIWindowRef);  // a native window (main window, panel window, dialog)
KZ_HOST_HANDLE(AIDictKey);
KZ_HOST_HANDLE(AIAppContextHandle);
// Text-engine objects; each reference is counted and released through its suite.
KZ_HOST_HANDLE(ATETextRangeRef);
KZ_HOST_HANDLE(ATECharFeaturesRef);
KZ_HOST_HANDLE(ATEParaFeaturesRef);
KZ_HOST_HANDLE(ATEApplicationPaintRef);
#undef KZ_HOST_HANDLE

// Art object types, as the Art suite reports them.
using AIArtType = int16_t;
enum : AIArtType {
  kAnyArt = -1,
  kUnknownArt = 0,
  kGroupArt = 1,
  kPathArt = 2,
  kCompoundPathArt = 3,
  kPlacedArt = 7,
  kRasterArt = 9,
  kPluginArt = 10,
  kMeshArt = 11,
  kTextFrameArt = 12,
  kSymbolArt = 13,
};

// Where new or moved art and layers go, relative to a reference object.
using AIPaintOrder = int16_t;
enum : AIPaintOrder {
  kPlaceAbove = 1,            // directly above the reference, same parent
  kPlaceBelow = 2,            // directly below the reference, same parent
  kPlaceInsideOnTop = 3,      // first (topmost) child of the reference
  kPlaceInsideOnBottom = 4,   // last (bottommost) child of the reference; for layers a sublayer
  kPlaceAboveAll = 5,         // above everything (reference ignored)
  kPlaceBelowAll = 6,         // below everything (reference ignored)
};

// User attribute bits of art objects.
enum : int32_t {
  kArtSelected = 0x1,
  kArtLocked = 0x2,
  kArtHidden = 0x4,
  kArtFullySelected = 0x8,
};

// Colours: the kind tells which member of the union is meaningful.
using AIColorTag = int32_t;
enum : AIColorTag {
  kGrayColor = 0,
  kFourColor = 1,   // cyan, magenta, yellow, black, each 0..1
  kThreeColor = 5,  // red, green, blue, each 0..1
  kNoneColor = 6,
};

struct AIGrayColorStyle {
  AIReal gray = 0;
};
struct AIFourColorStyle {
  AIReal cyan = 0, magenta = 0, yellow = 0, black = 0;
};
struct AIThreeColorStyle {
  AIReal red = 0, green = 0, blue = 0;
};
union AIColorUnion {
  AIGrayColorStyle g;
  AIFourColorStyle f;
  AIThreeColorStyle rgb;
  AIColorUnion() : f() {}
};
struct AIColor {
  AIColorTag kind = kNoneColor;
  AIColorUnion c;

  static AIColor Four(AIReal cyan, AIReal magenta, AIReal yellow, AIReal black) {
    AIColor color;
    color.kind = kFourColor;
    color.c.f = {cyan, magenta, yellow, black};
    return color;
  }
  static AIColor Three(AIReal red, AIReal green, AIReal blue) {
    AIColor color;
    color.kind = kThreeColor;
    color.c.rgb = {red, green, blue};
    return color;
  }
};
