// Leading-number parses of stored texts: the number at the start of the text
// (after blanks), 0 when there is none; the rest of the text is ignored.
#pragma once

#include <string_view>

int LeadingInt(std::string_view text);  // clamped to the range of int
double LeadingDouble(std::string_view text);
