// The document file's JSON read into the document model, with every value
// checked: a wrong type, a missing or unknown member, an out-of-range number
// or nesting beyond the limit is a DocumentFileError naming the file and the
// JSON pointer of the place.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "sim/Document.h"

namespace sim {

// root must already be of the current version (see UpgradeDocumentJson).
void ReadDocumentJson(Document& document, const nlohmann::json& root, const std::string& file);

// Brings a parsed file of an older version to the current one in place.
void UpgradeDocumentJson(nlohmann::json& root, int version, const std::string& file);

}  // namespace sim
