// The option forms every command shares, so that an option means the same
// wherever it is given: encodings by the names of .cpg files and GDAL, a
// scale as 25000, 1:25000 or 1/25000, an area as WEST,SOUTH,EAST,NORTH, and
// fixed word lists. Each check's problem is the tool's own words (translated).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/Translate.h"

namespace CLI {
class Validator;
}

namespace kzmap {

// "sjis", "utf8" or "utf16" for any name the tool takes for them, without
// regard to case: CP932, Shift_JIS, Windows-31J, sjis; UTF-8, utf8; UTF-16, utf16.
std::optional<std::string> EncodingName(const std::string& text);

// An encoding among the allowed ones ("sjis", "utf8", "utf16"); the option's
// value becomes the short name.
CLI::Validator EncodingCheck(const std::vector<std::string>& allowed);

// The denominator's text of "25000", "1:25000" or "1/25000": a finite number above 0.
std::optional<std::string> ScaleDenominator(const std::string& text);
CLI::Validator ScaleCheck();
inline constexpr const char* kScaleProblem = TrLater("scale must be a number above 0 (e.g. 25000 or 1:25000)");

// An area in the files' own coordinates, x first as cs2cs --bbox takes it.
struct Area {
  std::string west, south, east, north;  // the numbers as given
};
// Nothing, with the problem, unless four finite numbers with WEST < EAST and
// SOUTH < NORTH. Degrees written latitude first (35.6,139.7,35.7,139.8) are
// refused with the order to use, since a latitude is never beyond 90.
std::optional<Area> ParseArea(const std::string& text, std::string* problem = nullptr);
CLI::Validator AreaCheck();

// One of a fixed list of words.
CLI::Validator OneOf(std::vector<std::string> words);

// A file that exists.
CLI::Validator ExistingFileCheck();

}  // namespace kzmap
