// Stand-in for the document file functions until sim/DocumentFile.h is in:
// the same declarations, keeping only the layer titles.
#pragma once

#include <stdexcept>
#include <string>

#include "sim/Document.h"

namespace sim {

class Host;

class DocumentFileError : public std::runtime_error {
 public:
  DocumentFileError(const std::string& file, const std::string& place, const std::string& problem)
      : std::runtime_error(file + ": " + problem) {}
};

void SaveDocumentFile(const Document& document, const std::string& path);
Document& LoadDocumentFile(Host& host, const std::string& path);

}  // namespace sim
