// The document model written out as the document file's JSON.
#pragma once

#include <string>

#include "sim/Document.h"
#include "sim/JsonWriter.h"

namespace sim {

// Throws DocumentFileError (naming file) for what has no form in the file:
// dictionary keys that are not UTF-8 text, nesting beyond the limit.
void WriteDocumentJson(JsonWriter& out, const Document& document, const std::string& file);

// One art object (a layer's group: its layer) as the file writes it, without
// its segments, its contents or its sublayers.
void WriteArtHeadJson(JsonWriter& out, const Art& art, const std::string& file);

}  // namespace sim
