// The map document as an SVG that Inkscape edits: the artboard is the page
// (user units are points, y down: y is the document's y negated), layers and
// sublayers are Inkscape layers, paths, compound paths, groups, point texts
// and symbols are the elements Inkscape edits. What SVG has no word for —
// each object's dictionary (its attribute row, a layer's field list, the
// georeference), flags, tags and the exact colours — travels in the
// project's namespace as the document file writes it, so that the map can
// be rebuilt from the SVG alone.
#pragma once

#include <functional>
#include <string>

#include "sim/Document.h"
#include "sim/JsonWriter.h"

namespace sim {

inline constexpr const char* kSvgProjectNamespace = "https://kartzmap.example/ns/1";
inline constexpr const char* kSvgInkscapeNamespace = "http://www.inkscape.org/namespaces/inkscape";
inline constexpr const char* kSvgSodipodiNamespace = "http://sodipodi.sourceforge.net/DTD/sodipodi-0.dtd";

// The colour as the SVG shows it, "#rrggbb"; empty for none and for kinds
// with no screen form. Process colours are separated naively, as the
// tool's renderer shows them.
std::string SvgColorText(const AIColor& color);

// A number in its shortest form that reads back as the same float.
std::string SvgNumber(float value);

// The text of a point text as SVG content carries it: characters XML cannot
// hold become U+FFFD.
std::string SvgTextContent(std::u16string_view contents);

class SvgDocumentWriter {
 public:
  SvgDocumentWriter(const Document& document, const std::string& file) : document(document), file(file) {}

  // The whole SVG through the sink; throws DocumentFileError for what has
  // no form (as the document file's writer does).
  void Write(JsonWriter::Sink sink, void* context);
  std::string Text();
  // Written atomically, as a document is saved.
  void Save(const std::string& path, const std::function<bool()>& cancelled = {});

 private:
  const Document& document;
  std::string file;
};

}  // namespace sim
