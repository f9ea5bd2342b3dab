// Splitting one line of a delimited coordinate text file into its fields.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The fields of line, split at delimiter (tab or comma). A field that begins
// with a double quote is quoted: it runs to the next lone quote, a doubled
// quote inside stands for one quote, and whatever follows the closing quote
// up to the next delimiter is kept as it is. A quote that never closes takes
// the rest of the line. Every other field runs to the next delimiter. One
// pass over the line; an empty line gives one empty field.
std::vector<std::u16string> SplitDelimitedFields(std::u16string_view line, char16_t delimiter);

// Whether line ends inside a quoted field (by the same rules as the split):
// such a record goes on over the line break, as RFC 4180 and spreadsheets
// write a value that holds one.
bool EndsInsideQuotes(std::u16string_view line, char16_t delimiter);
