// Decimal numbers typed by the user or held as attribute values.
#pragma once

#include "host/UnicodeString.h"

// The whole text, less surrounding spaces, as one finite decimal number;
// false for anything else (empty text, trailing characters, inf, nan).
bool ParseDecimal(const ai::UnicodeString& text, double* value);

// The number that the text starts with, after leading white space, read as
// far as it goes; 0 when there is none or it is not finite.
double ReadDecimalPrefix(const ai::UnicodeString& text);
