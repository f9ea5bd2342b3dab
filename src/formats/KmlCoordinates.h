// The text of a KML coordinates element and the pieces of style elements.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "formats/KmlRecords.h"

// Appends the tuples of text to points: tuples are separated by any run of
// white space (spaces, tabs, line ends), their numbers by commas (white space
// right after a comma continues the tuple); the first number is x, the second
// y, further ones are ignored. Returns the number of tuples left out because
// they did not begin with two finite numbers.
int64_t ParseKmlCoordinates(std::string_view text, ShapePart& points);

// Eight hexadecimal digits aabbggrr (an optional leading number sign and
// surrounding white space allowed); anything else is no colour.
std::optional<KmlColor> ParseKmlColor(std::string_view text);

// A finite decimal number, white space around it allowed.
std::optional<double> ParseKmlNumber(std::string_view text);

// 1/0 or true/false; any other integer counts as on when it is not zero.
std::optional<bool> ParseKmlBoolean(std::string_view text);

// The style id a styleUrl names: the part after the last number sign, or the
// whole text when it has none; empty when it names nothing.
std::string KmlStyleId(std::string_view styleUrl);

// text without white space (space, tab, CR, LF) at either end.
std::string_view TrimKmlSpace(std::string_view text);
