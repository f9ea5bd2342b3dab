// ShapeRewrite: reads every record of a Shapefile and writes it again, the
// work of kzmap shp rewrite. Geometry is written flat (Z and M dropped),
// Null records keep their rows, and every column keeps its type letter, so
// that GDAL reads from the output the values it reads from the input; where
// the format cannot hold a value the user is told which column and how many.
#pragma once

#include <cstdint>
#include <string>

namespace kzmap {

struct RewriteRequest {
  std::string input;
  std::string output;
  int32_t from = 0;  // 0: as the input's .cpg says, else Shift-JIS
  int32_t to = 0;    // 0: the input's encoding
};

// Messages go to standard error, prefixed with `name`. Returns the exit
// code: 0 when every record was written, 1 otherwise (nothing is left at
// the output when nothing could be written).
int RewriteShapefile(const RewriteRequest& request, const char* name);

}  // namespace kzmap
