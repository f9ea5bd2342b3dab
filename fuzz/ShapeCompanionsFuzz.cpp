// What a Shapefile's .prj and .cpg hold comes from anywhere: identifying the
// reference and the code page must never crash, and a reference said to be
// known must be one the converter takes.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "import/ShapeCompanions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;  // the largest .prj the import reads
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const FileEncoding encoding = EncodingOfCodePage(text);
  if (encoding.status == FileEncoding::Status::Known && encoding.code != 1 && encoding.code != 17) std::abort();
  const FileReference reference = IdentifyReference(text);
  if (reference.status == FileReference::Status::Known) {
    const CoordRef& ref = reference.ref;
    const bool datum = ref.datum == 1 || ref.datum == 2 || ref.datum == 4 || ref.datum == 5;
    const bool kind = (ref.kind == 1 && ref.system == 0 && ref.zone == 0) ||
                      (ref.kind == 2 && ref.zone >= 1 && ref.zone <= 60 && ref.system == 0) ||
                      (ref.kind == 3 && ref.system >= 1 && ref.system <= 19 && ref.zone == 0);
    if (!datum || !kind) std::abort();
  }
  return 0;
}
