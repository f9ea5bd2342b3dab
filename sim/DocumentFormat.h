// Names and limits shared by the document file's writer, reader and upgrade.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "host/HostTypes.h"

namespace sim {

// A number of the JSON form too large for a float: the largest float's
// shortest text (3.4028235e+38) reads a hair above FLT_MAX as a double yet
// rounds to it, so only what rounds to infinity is out of range.
inline bool OutOfFloatRange(double number) {
  constexpr double kRoundsToInfinity = 0x1.ffffffp127;
  return number >= kRoundsToInfinity || number <= -kRoundsToInfinity;
}

// Art trees and dictionary values nest at most this deep in a file.
inline constexpr size_t kMaxDocumentDepth = 256;

inline constexpr std::array<std::string_view, 3> kCapNames{"butt", "round", "projecting"};
inline constexpr std::array<std::string_view, 3> kJoinNames{"miter", "round", "bevel"};
inline constexpr std::array<std::string_view, 3> kJustificationNames{"left", "right", "center"};
inline constexpr std::array<std::string_view, 2> kOrientationNames{"horizontal", "vertical"};
inline constexpr std::array<std::string_view, 3> kFrameTypeNames{"point", "inPath", "onPath"};

// Names of the art types in files; other types are written as "other" with
// their number.
std::string_view ArtTypeName(AIArtType type);
// The type of a name, or kUnknownArt.
AIArtType ArtTypeOfName(std::string_view name);

}  // namespace sim

namespace sim {

// The packed file (version 3 on): these bytes, then the version as a
// variable-length number. Older files are JSON and begin with '{'.
inline constexpr std::string_view kPackedMagic{"\x89KZMAP\r\n", 8};

// Strings and styles that repeat are written once and then referred to by
// number. The table stays small so that neither side holds much: only short
// strings are remembered, and only so many.
inline constexpr size_t kMaxRememberedStrings = 65536;
inline constexpr size_t kMaxRememberedStringBytes = 256;
inline constexpr size_t kMaxRememberedStyles = 65536;

// A reference to a string or a style: written here and not remembered,
// written here and remembered, or (kPackedFirstTableEntry + n) the nth one
// remembered.
inline constexpr uint64_t kPackedInline = 0, kPackedRemember = 1, kPackedFirstTableEntry = 2;

// run (version 4 on) stands only among a layer's own art: a stretch of it
// with its byte length and an UnreadArt summary before it, so that a reader
// after counts alone steps over it; strings and styles it remembers are
// forgotten at its end, so that stepping over it keeps the tables in step.
// From version 5 a run also starts with empty tables (it refers to nothing
// written before it), so that a run can be copied whole into another file;
// from version 6 its summary also counts the objects marked selected, so
// that finding the selection reads only the runs that hold some.
// A run longer than the writer's piece has its length and summary numbers
// each written kPaddedVarintBytes long (empty continuation bytes), as they
// are filled in after its art; readers take either form.
enum class PackedArt : uint8_t { group, path, compound, text, symbol, other, layer, run };

// A varint of any value up to 64 bits at a fixed width: the last byte holds
// the 64th bit.
inline constexpr size_t kPaddedVarintBytes = 10;

// The writer closes a run once it holds this many bytes. Each run writes
// afresh the strings it repeats (field names, and values that recur, such
// as a column of a few thousand different numbers): at a megabyte that cost
// a million points 7 % of their file, at 4 MiB 2 % more than at 16 MiB. A
// command that changes an object in a run left in the file reads and
// rewrites that run, so shorter runs make such edits quicker: one point's
// value set in a map of a million took 0.65 s at 4 MiB, 1.4 s at 16 MiB
// (paired runs on a busy machine).
inline constexpr size_t kArtRunBytes = 4 << 20;
// The writer hands the file on in pieces of about this many bytes, so that
// it never holds more than a piece (and one object) of a run.
inline constexpr size_t kPackPieceBytes = 1 << 20;
// A summary load reads runs of up to this many bytes (data frames, markers
// and other small layers) and steps over longer ones.
inline constexpr uint64_t kSummaryReadsRunsUpTo = 64 << 10;

// What a summary load reads: runs up to so many bytes, and every run of the
// layers of these titles (those the georeference is read from).
struct SummaryReading {
  uint64_t runsUpTo = kSummaryReadsRunsUpTo;
  std::vector<std::u16string> wholeLayers;
};

// A layer's flags. Version 5 also said whether any of the layer's own art
// was selected, to find the selection by; from version 6 each run counts
// its own, so the flag is no longer written (and still read).
inline constexpr uint8_t kLayerVisible = 1, kLayerLocked = 2, kLayerArtSelected = 4;
inline constexpr uint8_t kLayerFlags = kLayerVisible | kLayerLocked;
inline constexpr uint8_t kLayerFlagsFrom5 = kLayerFlags | kLayerArtSelected;

// The packed kind of an art type; types without one of their own are other.
inline PackedArt PackedKindOf(AIArtType type) {
  switch (type) {
    case kGroupArt: return PackedArt::group;
    case kPathArt: return PackedArt::path;
    case kCompoundPathArt: return PackedArt::compound;
    case kTextFrameArt: return PackedArt::text;
    case kSymbolArt: return PackedArt::symbol;
    default: return PackedArt::other;
  }
}

enum class PackedValue : uint8_t {
  null, integer, boolFalse, boolTrue, real, string, array, dictionary, nullArray, nullDictionary
};

// Flags of an art object, a varint.
enum PackedArtFlag : uint32_t {
  kPackedSelected = 1u << 0,
  kPackedLocked = 1u << 1,
  kPackedHidden = 1u << 2,
  kPackedOtherAttributes = 1u << 3,
  kPackedSkipped = 1u << 4,
  kPackedGuide = 1u << 5,
  kPackedClip = 1u << 6,
  kPackedOpacity = 1u << 7,
  kPackedDictionary = 1u << 8,
  kPackedTags = 1u << 9,
  kPackedClosed = 1u << 10,
  kPackedStraightCorners = 1u << 11,  // every segment a straight corner: anchors only
  kPackedTextFill = 1u << 12,
  kPackedJustification = 1u << 13,
  kPackedArtFlags = (1u << 14) - 1,
};

// Kinds of segment where a path has other than straight corners.
enum class PackedSegment : uint8_t { straightCorner, straightSmooth, curveCorner, curveSmooth };

// What a packed file holds, from its header: the reader checks the budget
// against these before it builds anything and holds the file to them.
struct PackedCounts {
  uint64_t layers = 0;
  uint64_t art = 0;       // art objects and layer groups
  uint64_t segments = 0;
  uint64_t values = 0;    // dictionary and array entries
  uint64_t textUnits = 0; // units of every string read
};

// "line L, column C" of a byte offset (1-based), columns in characters.
inline std::string LineAndColumn(std::string_view text, size_t offset) {
  offset = std::min(offset, text.size());
  size_t line = 1, column = 1;
  for (size_t i = 0; i < offset; ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      ++column;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

}  // namespace sim
