// The document model written out as the packed document file: a header with
// counts, then the layer tree, with repeated strings and styles written once
// and coordinates as the floats the model holds.
#pragma once

#include <cstdint>
#include <string>

#include "sim/Document.h"
#include "sim/DocumentFormat.h"

namespace sim {

// Where the packed file goes. A run's length and summary come before its
// art but are known only once it closes: a run longer than a piece leaves a
// hole for them, filled once it closes. One hole is open at a time.
class PackSink {
 public:
  virtual ~PackSink() = default;
  virtual void Write(const char* data, size_t size) = 0;
  // size bytes whose values come later through Fill.
  virtual void Hole(size_t size) = 0;
  // The open hole, which starts offset bytes into the file.
  virtual void Fill(uint64_t offset, const char* data, size_t size) = 0;
};

// Streams the file through sink in pieces of about pieceBytes; runs close
// after runBytes. Throws DocumentFileError (naming file) when nesting goes
// beyond the limit or the document is a summary.
void WriteDocumentPack(const Document& document, PackSink& sink, const std::string& file,
                       size_t runBytes = kArtRunBytes, size_t pieceBytes = kPackPieceBytes);

}  // namespace sim
