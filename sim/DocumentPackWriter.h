// The document model written out as the packed document file: a header with
// counts, then the layer tree, with repeated strings and styles written once
// and coordinates as the floats the model holds.
#pragma once

#include <string>

#include "sim/Document.h"
#include "sim/DocumentFormat.h"
#include "sim/JsonWriter.h"

namespace sim {

// Streams the file through sink in pieces of about a megabyte, a run of
// art whole; runs close after runBytes. Throws DocumentFileError (naming
// file) when nesting goes beyond the limit or the document is a summary.
void WriteDocumentPack(const Document& document, JsonWriter::Sink sink, void* context, const std::string& file,
                       size_t runBytes = kArtRunBytes);

}  // namespace sim
