// DbaseNumber: what a dBASE numeric column of a given length can hold, and the
// text that holds it. The Shapefile writer and the attribute layer both go by
// these rules, so a value the attribute layer keeps is a value the writer can
// write.
//
// A column of length n holds an integer whose "%d" text (sign included) has
// at most n characters. A column of length n with d decimals holds a real
// whose text at d decimals has at most n characters, or whose text at fewer
// decimals does and still reads back as the same number (a 24-wide column
// with 15 decimals holds 318622525, written with 14 decimals). Anything else
// cannot be held: the writer marks it as an overflow.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dbase {

// True when the text, after leading spaces, starts like a decimal number
// (an optional sign, then a digit or a point). Blanks, asterisks (the dBASE
// overflow mark) and words are not numbers: they stand for a null.
bool StartsWithNumber(std::string_view text);

// The integer that starts the text, as canonical digits ("-12" for " -012x"),
// of any length; nullopt when the text does not start with a number.
std::optional<std::string> LeadingInteger(std::string_view text);

// The integer text right-aligned in the column; nullopt when it needs more
// than length characters.
std::optional<std::string> FitInteger(std::string_view canonicalDigits, int length);
std::optional<std::string> FitInteger(int64_t value, int length);

// The real's text for the column: printed with the decimals at a minimum
// width of length - decimals - 1 (so it sits at the start of the column),
// or with fewer decimals when only that fits and reads back unchanged.
// nullopt when the value is not finite or cannot be held.
std::optional<std::string> FitReal(double value, int length, int decimals);

// The range of integers a column of the given length holds: 10^n - 1 down to
// -(10^(n-1) - 1); every 64-bit value from 19 digits on.
int64_t LargestInteger(int length);
int64_t SmallestInteger(int length);

}  // namespace dbase
