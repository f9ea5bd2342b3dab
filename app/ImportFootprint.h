// ImportFootprint: how much memory an import will take, estimated from its
// files before anything is read into the map, so that an import the
// machine cannot hold stops at once with a message naming the size and the
// file, instead of running out of memory half-way (or being killed).
//
// The counts come cheaply from the files themselves: a Shapefile's records
// from its index (.shx), its vertices from the size of its .shp, its cells
// from its .dbf header; a text file's lines by one pass over it; a KML
// file's coordinates from its size. The cost per object, vertex and cell
// is what the document holds for each.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kzmap {

class ImportFootprint {
 public:
  struct Source {
    std::string file;
    uint64_t objects = 0;   // records, lines or placemarks
    uint64_t vertices = 0;  // points of the geometry
    uint64_t cells = 0;     // attribute values
    uint64_t bytes = 0;     // the memory these take once imported
  };

  // Counts each file; a file that cannot be read counts as empty here (the
  // import itself says what is wrong with it).
  static ImportFootprint Of(const std::vector<std::string>& files, const std::string& map);

  // The estimate for one file, from what it holds.
  static Source Estimate(const std::string& file);

  // Empty when the import fits in `available` bytes; otherwise the message
  // that stops it, naming the sizes and the largest file.
  std::string Problem(uint64_t available) const;

  // The memory the system can still give without swapping (MemAvailable
  // from /proc/meminfo), or nothing when it cannot be told.
  // KZMAP_MEMORY_AVAILABLE (bytes) stands in for it.
  static std::optional<uint64_t> Available();
  // MemAvailable from the text of /proc/meminfo, in bytes.
  static std::optional<uint64_t> AvailableFrom(const std::string& meminfo);

  uint64_t Total() const;
  const std::vector<Source>& Sources() const { return sources; }
  uint64_t MapBytes() const { return mapBytes; }

 private:
  std::vector<Source> sources;
  uint64_t mapBytes = 0;  // the open map's own memory (from its file size)
  uint64_t fixedBytes = 0;
};

}  // namespace kzmap
