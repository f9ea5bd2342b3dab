// The document model written out as the document file's JSON.
#pragma once

#include <string>

#include "sim/Document.h"
#include "sim/JsonWriter.h"

namespace sim {

// Throws DocumentFileError (naming file) for what has no form in the file:
// dictionary keys that are not UTF-8 text, nesting beyond the limit.
void WriteDocumentJson(JsonWriter& out, const Document& document, const std::string& file);

}  // namespace sim
