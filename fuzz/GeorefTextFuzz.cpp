// The texts a document keeps for its georeference (data frame parameters and
// marker coordinates) are user-editable: any bytes must read cleanly, and any
// record that reads must give a usable transform.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "georef/DataFrameText.h"
#include "georef/MapTransform.h"
#include "georef/MarkerText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  DataFrameParams params;
  if (ParseDataFrameText(text, params)) {
    MapTransform transform;
    if (!transform.SetFromDataFrame(params)) std::abort();
    double x = 0, y = 0;
    transform.ArtboardToMap(100, 200, x, y);
    float ax = 0, ay = 0;
    transform.MapToArtboard(params.originX, params.originY, ax, ay);
  }
  Point2D map;
  MarkerTextParts parts;
  if (ParseMarkerText(text, map, parts) && !(std::isfinite(map.x) && std::isfinite(map.y))) std::abort();
  return 0;
}
