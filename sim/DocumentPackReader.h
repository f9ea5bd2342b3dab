// The packed document file read straight into the document model, with every
// value checked: a wrong tag, a count the file cannot hold, a reference to a
// string or style not yet written or nesting beyond the limit is a
// DocumentFileError naming the file, the place in the tree and the byte.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "sim/Document.h"
#include "sim/DocumentFormat.h"
#include "sim/PackSource.h"

namespace sim {

// source starts at the file's first byte. budget is shown the header's
// counts before anything is built; it throws to refuse the file. Given a
// summary, runs of art it does not read are stepped over and their
// summaries kept in document.unread (the budget is then not asked of a file
// with runs: little is built).
void ReadDocumentPack(Document& document, PackSource& source, const std::string& file,
                      const std::function<void(const PackedCounts&)>& budget = {},
                      const SummaryReading* summary = nullptr);

// One run of a layer's art that a load left in the file (LazyArt), source
// standing at its length: its objects are added to the layer's group, and
// it is held to the summary and object count its head had at the load.
void ReadPackRun(Document& document, PackSource& source, const std::string& file, Layer& layer, size_t depth,
                 uint64_t version, const UnreadArt& summary, uint64_t objects);

}  // namespace sim
