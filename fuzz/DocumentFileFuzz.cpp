// Map documents are files users keep, edit and pass around: any bytes must
// load cleanly or fail with a DocumentFileError, and whatever loads must
// write out and read back to the same file.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sim/DocumentFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  sim::Document document;
  try {
    sim::DocumentFromJson(document, text, "fuzz.kzmap");
  } catch (const sim::DocumentFileError&) {
    return 0;
  }
  const std::string saved = sim::DocumentToJson(document);
  sim::Document again;
  sim::DocumentFromJson(again, saved, "again.kzmap");
  if (sim::DocumentToJson(again) != saved) std::abort();
  return 0;
}
