// Where a big document's art bodies wait while nobody needs them. A
// million-object map cannot keep every path's segments and every row of
// attributes in memory and still cost no more than a few times what a
// streaming converter costs, so the document keeps only the art nodes (the
// handles the plug-in holds) and a few recent chunks of bodies; older
// chunks go to an unlinked temporary file and come back, whole, the moment
// anything reaches into one of their objects.
//
// Bodies are only set aside at a safe point (Trim), where no caller holds a
// reference into one; bringing them back frees nothing, so a reference
// taken to one body stays good while others are read. A dictionary that the
// plug-in (or anything else) still holds stays where it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "sim/ArtArena.h"
#include "sim/ValueSpill.h"

namespace sim {

struct Art;

class ArtSpill {
 public:
  explicit ArtSpill(Arena<Art>& arts);
  ArtSpill(const ArtSpill&) = delete;
  ArtSpill& operator=(const ArtSpill&) = delete;
  // Takes what other set aside: its arena has just been moved into ours.
  ArtSpill& operator=(ArtSpill&& other) noexcept;
  ~ArtSpill();

  // A safe point: sets aside the oldest chunks beyond the ones kept. When
  // the temporary folder fails it, it keeps everything from then on and
  // Failure() says why.
  void Trim();
  const std::string& Failure() const { return failure; }
  // How many chunks of art (of up to a few thousand objects) keep their
  // bodies at a safe point; the default can be changed by the environment
  // variable KZMAP_RESIDENT_ART_CHUNKS (tests run with 1).
  void KeepChunks(size_t chunks) { keptChunks = chunks; }

  // At most how many objects keep their bodies in memory by default, and
  // the share of a document of so many objects that does.
  static uint64_t KeptObjects();
  static double ResidentShare(uint64_t objects) {
    return objects <= KeptObjects() ? 1.0 : static_cast<double>(KeptObjects()) / static_cast<double>(objects);
  }

  // Brings back the body of art set aside by whichever document holds it.
  static void BringBack(const Art& art);

  // Figures for tests and the tool's memory estimates.
  uint64_t BytesWritten() const { return written; }
  size_t ObjectsAway() const { return away; }

 private:
  struct Record {
    uint64_t offset;
    uint64_t length;
  };

  void BringBackChunk(size_t chunk);
  void SetAside(size_t chunk);
  void Append(const std::string& bytes, Record& record);
  void Open();

  Arena<Art>& arts;
  ValueSpill values;  // what records refer to; moves with them
  size_t keptChunks;
  int file = -1;
  uint64_t end = 0;
  uint64_t written = 0;
  size_t away = 0;
  size_t seen = 0;                            // chunks of the arena known here
  std::vector<std::vector<Record>> records;   // per chunk
  std::vector<uint8_t> queued;                // per chunk: in resident
  std::deque<size_t> resident;                // chunks with bodies, oldest first
  std::string scratch;
  std::string failure;
};

}  // namespace sim
