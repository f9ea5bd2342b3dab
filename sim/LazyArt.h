// Art a document leaves in its map file until something reaches it. A
// command that changes a few objects of a million-object map should not
// read the million: a loaded layer's long runs of art stay in the file, the
// layer group's list of children reads them the first time it is used, and
// a save copies the runs of layers never reached from the old file as they
// stand (a run refers to nothing outside itself). Finding the selection
// reads only the runs whose heads count selected objects.
//
// The file stays open from the load on, so a save that replaces it (by
// renaming a new file over it) still reads the old one. Reading can still
// fail (a file changed in place by another program, a disk error); what was
// not read is then missing from the document, so Failure() says why and
// saving is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sim/UnreadArt.h"

namespace sim {

struct Art;
struct Document;
struct Layer;
class ArtList;
class LazyArt;

// A layer's art left in the file: its runs, among the objects its list
// holds already (sublayers, and runs short enough to read at once).
struct PendingArt {
  struct Run {
    uint64_t before = 0;   // how many of the list's objects come before the run
    uint64_t at = 0;       // where the run's length starts, just after its tag
    uint64_t bytes = 0;    // from at to the run's end
    uint64_t objects = 0;  // how many objects it puts in the list
    UnreadArt summary;
  };
  // From the top, the runs still in the file.
  LazyArt* owner = nullptr;
  Layer* layer = nullptr;
  size_t depth = 0;  // the layer's, as the reader counts nesting
  std::vector<Run> runs;
};

class LazyArt {
 public:
  explicit LazyArt(Document& document) : document(document) {}
  LazyArt(const LazyArt&) = delete;
  LazyArt& operator=(const LazyArt&) = delete;
  // Takes what other left in its file: its layers have just been moved into
  // our document.
  LazyArt& operator=(LazyArt&& other) noexcept;
  ~LazyArt();

  // Runs longer than this are left in the file by a load; the default can
  // be changed by the environment variable KZMAP_LAZY_RUN_BYTES (tests
  // leave every run with 0).
  static uint64_t LazyRunBytes() { return Threshold(); }
  static void LeaveRunsOver(uint64_t bytes) { Threshold() = bytes; }

  // The map file being loaded, open as descriptor file (taken over); runs
  // of its layers may be left in it from now on.
  void Keep(int file, const std::string& path, uint64_t size);
  bool Keeping() const { return kept.file >= 0; }
  // The load is over: a file nothing was left in is closed.
  void Loaded();
  // Leaves runs of the layer's art in the file (of that format version).
  void Leave(Layer& layer, size_t depth, uint64_t version, std::vector<PendingArt::Run> runs);
  // Reads what was left into the list (ArtList's hook): every run, or only
  // those that hold selected art; what is not read stays pending.
  void Read(PendingArt& pending, ArtList& list, bool onlySelected);
  // Puts art on top of a list that left art in the file, or takes art
  // the list holds besides out of it, without reading what it left (a new
  // shape goes on top of the current layer before it is moved to its own).
  void PlaceOnTop(ArtList& list, Art* art);
  // False when the list does not hold the art besides what it left.
  bool TakeOut(ArtList& list, const Art* art);
  // Hands a run's bytes, from its length to its end, to out as the file
  // holds them; throws what stops it.
  void Copy(const PendingArt::Run& run, const std::function<void(const char*, size_t)>& out) const;

  // How many layers still have art in the file, how many runs they have
  // there, and what went wrong reading one.
  size_t Waiting() const { return kept.pending.size(); }
  size_t RunsWaiting() const;
  const std::string& Failure() const { return kept.failure; }
  const std::string& Path() const { return kept.path; }

 private:
  static uint64_t& Threshold();
  void CheckUnchanged() const;
  void Close();

  Document& document;
  // What moves with the document's layers.
  struct Kept {
    int file = -1;
    std::string path;
    uint64_t size = 0;
    uint64_t version = 0;
    int64_t modified = 0;  // the file's modification time at the load, nanoseconds
    std::vector<std::unique_ptr<PendingArt>> pending;
    std::string failure;
  } kept;
};

}  // namespace sim
