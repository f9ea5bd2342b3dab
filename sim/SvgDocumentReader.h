// A map document rebuilt from an SVG, most often one that SvgDocumentWriter
// wrote and a user then edited in Inkscape. Geometry, style, layers, texts
// and visibility come from the SVG as it now stands, with every transform
// applied; what SVG has no word for comes from the project's namespace
// where the element still carries it (a duplicate carries its original's
// row). A colour, text or artboard the SVG shows as it was written keeps
// its exact original (a CMYK colour stays CMYK). Elements the document
// cannot hold (images, clones, gradients, filters ...) are counted by kind;
// other changes are told as notes. A file that is not SVG is refused.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "sim/Document.h"

namespace sim {

class Host;

struct SvgReadReport {
  std::map<std::string, size_t> notRead;  // by kind ("gradient", "image"): what was left out
  std::vector<std::string> notes;         // what was read otherwise than it stands, said once each
  bool projectData = false;               // whether the file carried the project's namespace

  // "2 gradients, 1 image"; empty when everything was read.
  std::string NotReadText() const;
};

class SvgDocumentReader {
 public:
  explicit SvgDocumentReader(std::string file) : file(std::move(file)) {}

  // Fills the empty document from the SVG text; throws DocumentFileError,
  // leaving the document empty, when the text is not an SVG drawing.
  void Read(Document& document, std::string_view text);
  const SvgReadReport& Report() const { return report; }

 private:
  std::string file;
  SvgReadReport report;
};

// Reads the SVG file and opens it as a new current document in the host
// (its file path is empty: it is no document file). Nothing is opened on
// failure.
Document& LoadSvgDocument(Host& host, const std::string& path, SvgReadReport& report);

}  // namespace sim
