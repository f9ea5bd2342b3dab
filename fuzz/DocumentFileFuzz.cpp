// Map documents are files users keep, edit and pass around: any bytes, packed
// or JSON, must load cleanly or fail with a DocumentFileError, and whatever
// loads must write out and read back to the same file in either form.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sim/DocumentFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  sim::Document document;
  try {
    sim::DocumentFromBytes(document, bytes, "fuzz.kzmap");
  } catch (const sim::DocumentFileError&) {
    return 0;
  }
  const std::string packed = sim::DocumentToBytes(document);
  sim::Document again;
  sim::DocumentFromBytes(again, packed, "again.kzmap");
  if (sim::DocumentToBytes(again) != packed) std::abort();

  std::string json;
  try {
    json = sim::DocumentToJson(document);
  } catch (const sim::DocumentFileError&) {
    return 0;  // keys that are not UTF-8 have no JSON form
  }
  sim::Document fromJson;
  sim::DocumentFromJson(fromJson, json, "again.json");
  if (sim::DocumentToJson(fromJson) != json) std::abort();
  return 0;
}
