// Attribute data of the older format: one host tag per field, named with
// "KzMapTag" and holding "name|type letter|length|decimals|value" as 8-bit
// text. The upgrade reads it into attribute rows; the tags stay on the art.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formats/DbfFieldDescriptor.h"
#include "host/HostTypes.h"

struct OldAttributeEntry {
  DbfFieldDescriptor descriptor;
  std::string value;  // the value text in the tag's 8-bit encoding
};

// Decodes one tag. False when the name lacks "KzMapTag", the value has fewer
// than four "|", or the length or decimal count does not fit a dBASE field
// (length 1 to 255, decimals 0 to the length): such numbers are refused,
// never narrowed into a field of another size.
bool DecodeOldAttributeTag(std::string_view name, std::string_view value, OldAttributeEntry& entry);

// The decodable entries of the art in tag order; with firstOnly the reading
// stops at the first one.
AIErr ReadOldAttributeEntries(AIArtHandle art, std::vector<OldAttributeEntry>& entries, bool firstOnly = false);
