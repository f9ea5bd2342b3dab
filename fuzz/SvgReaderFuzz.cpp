// SVG files come from drawing applications and from people: any bytes must
// read cleanly or fail with a DocumentFileError, and a document read from
// one must write as SVG and read back to the same document.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sim/DocumentFile.h"
#include "sim/SvgDocumentReader.h"
#include "sim/SvgDocumentWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  sim::Document document;
  try {
    sim::SvgDocumentReader("fuzz.svg").Read(document, text);
  } catch (const sim::DocumentFileError&) {
    return 0;
  }
  const std::string svg = sim::SvgDocumentWriter(document, "fuzz.svg").Text();
  sim::Document again;
  sim::SvgDocumentReader("again.svg").Read(again, svg);
  if (sim::DocumentToJson(again) != sim::DocumentToJson(document)) std::abort();
  return 0;
}
