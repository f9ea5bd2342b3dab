// Parses the document file's text into a JSON tree through nlohmann-json's
// SAX interface. Every "segments" array of arrays is packed on the way into
// a binary value holding the AIPathSegment records themselves, so that a
// million segments cost their own 28 bytes each instead of a tree of numbers;
// any other value is built as nlohmann-json would. A bad segment is reported
// here, by its JSON pointer, as the reader would report it.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/AIPathSuite.h"

namespace sim {

// Throws DocumentFileError naming the file and the line and column of a
// syntax error, or the place of a bad segment.
nlohmann::json ParseDocumentText(const std::string& text, const std::string& file);

// The segments a packed "segments" value holds.
std::vector<AIPathSegment> UnpackSegments(const nlohmann::json::binary_t& packed);

// Messages shared with the reader.
std::string ExpectedSegmentProblem();
std::string TooManySegmentsProblem();

}  // namespace sim
