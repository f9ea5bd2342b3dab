// Map documents are files users keep, edit and pass around: any bytes, packed
// or JSON, must load cleanly or fail with a DocumentFileError, and whatever
// loads must write out and read back to the same file in either form, and
// with every run's head filled in after its art. A summary load (stepping
// over every run, or over runs beyond a few bytes) must fail as cleanly, and
// on a map that loads whole must count the same art and the same largest
// coordinate as the whole map. Loaded from a file with every run left there
// until reached, a map the whole load refuses must fail when it is read (or
// before), and one it takes must find its selection reading only the runs
// that hold it, then save and read as the same map.
#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sim/DocumentFile.h"
#include "sim/Host.h"

namespace {

// Art and largest coordinate of a document, read and unread together.
struct Totals {
  uint64_t art = 0, segments = 0;
  float extent = 0;
  bool operator==(const Totals&) const = default;
};

void Walk(const sim::Art& art, Totals& totals) {
  ++totals.art;
  totals.segments += art.Segments().size();
  for (size_t i = 0; i < art.Segments().size(); ++i)
    totals.extent = std::max({totals.extent, std::fabs(art.Segments().Anchor(i).h), std::fabs(art.Segments().Anchor(i).v)});
  if (art.type == kTextFrameArt)
    totals.extent = std::max({totals.extent, std::fabs(art.Extras().text.anchor.h), std::fabs(art.Extras().text.anchor.v)});
  for (const sim::Art* child : art.children) Walk(*child, totals);
}

Totals TotalsOf(const sim::Document& document) {
  Totals totals;
  for (const sim::Layer* layer : document.layers) Walk(*layer->group, totals);
  for (const auto& [layer, unread] : document.unread) {
    totals.art += unread.Art();
    totals.segments += unread.segments;
    totals.extent = std::max(totals.extent, unread.extent);
  }
  return totals;
}

// Selected art under the document's layers (not their groups).
size_t SelectedIn(const sim::Document& document) {
  size_t count = 0;
  for (const sim::Layer* layer : document.layers) {
    document.Walk(layer->group, [&count](sim::Art* art) {
      count += !art->IsLayerGroup() && (art->userAttributes & kArtSelected) ? 1 : 0;
    });
  }
  return count;
}

// Loads a summary; nothing when the file is refused.
bool Summary(sim::Document& document, const std::string& bytes, const sim::SummaryReading& summary) {
  try {
    sim::DocumentSummaryFromBytes(document, bytes, "fuzz.kzmap", summary);
  } catch (const sim::DocumentFileError&) {
    return false;
  }
  try {
    sim::DocumentToBytes(document);
  } catch (const sim::DocumentFileError&) {
    return true;  // a summary is never saved
  }
  std::abort();
}

// The bytes as a file, loaded with every run left in it: null when refused.
struct LazyLoad {
  explicit LazyLoad(const std::string& bytes) : file(::memfd_create("fuzz.kzmap", 0)) {
    if (file < 0 || ::write(file, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) std::abort();
    sim::LazyArt::LeaveRunsOver(0);
    try {
      document = &sim::LoadDocumentFile(host, "/proc/self/fd/" + std::to_string(file));
    } catch (const sim::DocumentFileError&) {
    }
  }
  ~LazyLoad() { ::close(file); }
  LazyLoad(const LazyLoad&) = delete;
  LazyLoad& operator=(const LazyLoad&) = delete;

  int file;
  sim::Host host;
  sim::Document* document = nullptr;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  sim::Document skipped, partly;
  // Every run stepped over; or those beyond a few bytes, save the layer "L"'s.
  const bool skippedLoads = Summary(skipped, bytes, {0, {}});
  const bool partlyLoads = Summary(partly, bytes, {48, {u"L"}});
  LazyLoad lazy(bytes);
  sim::Document document;
  try {
    sim::DocumentFromBytes(document, bytes, "fuzz.kzmap");
  } catch (const sim::DocumentFileError&) {
    // What the whole load refuses fails, at the latest, once all is read.
    if (lazy.document) {
      TotalsOf(*lazy.document);
      if (lazy.document->lazy.Failure().empty()) std::abort();
    }
    return 0;
  }
  // What it takes loads, saves as the same map before anything is read, and
  // holds the same art.
  if (!lazy.document) std::abort();
  if (lazy.host.SelectedArt().size() != SelectedIn(document)) std::abort();
  const std::string copied = sim::DocumentToBytes(*lazy.document);
  if (!(TotalsOf(*lazy.document) == TotalsOf(document)) || !lazy.document->lazy.Failure().empty()) std::abort();
  sim::Document fromCopy;
  sim::DocumentFromBytes(fromCopy, copied, "copied.kzmap");
  if (sim::DocumentToBytes(fromCopy) != sim::DocumentToBytes(document)) std::abort();
  // Whatever loads whole has runs whose summaries are true.
  if (!skippedLoads || !partlyLoads) std::abort();
  const Totals whole = TotalsOf(document);
  if (!(TotalsOf(skipped) == whole) || !(TotalsOf(partly) == whole)) std::abort();

  const std::string packed = sim::DocumentToBytes(document);
  sim::Document again;
  sim::DocumentFromBytes(again, packed, "again.kzmap");
  if (sim::DocumentToBytes(again) != packed) std::abort();
  // Every run's head filled in after its art reads back the same.
  sim::Document padded;
  sim::DocumentFromBytes(padded, sim::DocumentToBytes(document, sim::kArtRunBytes, 1), "padded.kzmap");
  if (sim::DocumentToBytes(padded) != packed) std::abort();

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
