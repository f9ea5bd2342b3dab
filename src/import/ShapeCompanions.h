// What the companion files of a Shapefile say about it: the coordinate
// reference in its .prj, identified through PROJ, and the code page in its
// .cpg.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "geodesy/CoordRef.h"
#include "host/FilePath.h"

struct FileReference {
  enum class Status {
    Missing,      // no .prj
    Known,        // a reference this system converts: ref holds it
    Unsupported,  // a reference it does not: name says which
    Unreadable,   // a .prj that is no coordinate reference
  };
  Status status = Status::Missing;
  CoordRef ref;
  std::string name;  // the reference's own name, UTF-8
};

// The reference a WKT text (or any definition PROJ reads, such as
// "EPSG:6677") describes: latitude/longitude, a plane rectangular system or
// a UTM zone on JGD2000, JGD2011, WGS 84 (datum kDatumWgs84) or the Tokyo
// datum.
FileReference IdentifyReference(std::string_view definition);
// The .prj beside the Shapefile (same name, extension prj or PRJ).
FileReference ReadPrjBeside(const ai::FilePath& shapefile);

struct FileEncoding {
  enum class Status { Missing, Known, Unsupported };
  Status status = Status::Missing;
  int32_t code = 0;  // host encoding code when known
  std::string name;  // the text of the .cpg, trimmed
};

// The encoding a code-page text names: UTF-8 or Shift-JIS under their usual names.
FileEncoding EncodingOfCodePage(std::string_view text);
FileEncoding ReadCpgBeside(const ai::FilePath& shapefile);
