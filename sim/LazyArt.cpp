#include "sim/LazyArt.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sim/Document.h"
#include "sim/DocumentFile.h"
#include "sim/DocumentPackReader.h"
#include "sim/PackSource.h"

namespace sim {

namespace {

int64_t ModifiedAt(const struct stat& info) {
  return static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

}  // namespace

void ReadPendingArt(PendingArt& pending, ArtList& list, bool onlySelected) {
  pending.owner->Read(pending, list, onlySelected);
}

uint64_t& LazyArt::Threshold() {
  static uint64_t bytes = [] {
    if (const char* given = std::getenv("KZMAP_LAZY_RUN_BYTES"); given && *given) {
      char* end = nullptr;
      const unsigned long long value = std::strtoull(given, &end, 10);
      if (end && *end == '\0') return static_cast<uint64_t>(value);
    }
    return kSummaryReadsRunsUpTo;
  }();
  return bytes;
}

LazyArt& LazyArt::operator=(LazyArt&& other) noexcept {
  std::swap(kept, other.kept);
  for (const auto& art : kept.pending) art->owner = this;
  for (const auto& art : other.kept.pending) art->owner = &other;
  return *this;
}

LazyArt::~LazyArt() { Close(); }

void LazyArt::Close() {
  if (kept.file >= 0) ::close(kept.file);
  kept.file = -1;
}

void LazyArt::Keep(int descriptor, const std::string& name, uint64_t bytes) {
  Close();
  struct stat info {};
  if (descriptor < 0 || ::fstat(descriptor, &info) != 0) {
    if (descriptor >= 0) ::close(descriptor);
    return;
  }
  kept.file = descriptor;
  kept.path = name;
  kept.size = bytes;
  kept.modified = ModifiedAt(info);
}

void LazyArt::Loaded() {
  if (kept.pending.empty()) Close();
}

void LazyArt::Leave(Layer& layer, size_t depth, uint64_t fileVersion, std::vector<PendingArt::Run> runs) {
  kept.version = fileVersion;
  auto art = std::make_unique<PendingArt>();
  art->owner = this;
  art->layer = &layer;
  art->depth = depth;
  art->runs = std::move(runs);
  layer.group->children.Leave(art.get());
  kept.pending.push_back(std::move(art));
}

void LazyArt::CheckUnchanged() const {
  struct stat info {};
  if (::fstat(kept.file, &info) != 0) throw DocumentFileError(kept.path, {}, std::string("cannot read: ") + std::strerror(errno));
  if (static_cast<uint64_t>(info.st_size) != kept.size || ModifiedAt(info) != kept.modified)
    throw DocumentFileError(kept.path, {}, "the file was changed by another program since it was opened");
}

size_t LazyArt::RunsWaiting() const {
  size_t runs = 0;
  for (const auto& art : kept.pending) runs += art->runs.size();
  return runs;
}

void LazyArt::Read(PendingArt& art, ArtList& list, bool onlySelected) {
  const auto wanted = [onlySelected](const PendingArt::Run& run) { return !onlySelected || run.summary.selected > 0; };
  if (std::none_of(art.runs.begin(), art.runs.end(), wanted)) return;
  const std::span<Art* const> held = list.Present();
  const std::vector<Art*> present(held.begin(), held.end());
  list = ArtList();
  size_t next = 0;
  std::vector<PendingArt::Run> left;
  bool failed = false;
  try {
    CheckUnchanged();
    const int copy = ::dup(kept.file);
    std::FILE* stream = copy >= 0 ? ::fdopen(copy, "rb") : nullptr;
    if (!stream) {
      if (copy >= 0) ::close(copy);
      throw DocumentFileError(kept.path, {}, std::string("cannot read: ") + std::strerror(errno));
    }
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> closing(stream, std::fclose);
    uint64_t added = 0;  // objects of runs read so far
    for (PendingArt::Run& run : art.runs) {
      if (!wanted(run)) {
        left.push_back(run);
        left.back().before += added;
        continue;
      }
      for (; next < run.before && next < present.size(); ++next) list.push_back(present[next]);
      if (::fseeko(stream, static_cast<off_t>(run.at), SEEK_SET) != 0)
        throw DocumentFileError(kept.path, {}, std::string("cannot read: ") + std::strerror(errno));
      PackSource source(stream, run.at + run.bytes, run.at);
      ReadPackRun(document, source, kept.path, *art.layer, art.depth, kept.version, run.summary, run.objects);
      added += run.objects;
    }
  } catch (const std::exception& error) {
    // What could not be read is missing: the document must not be saved.
    if (kept.failure.empty()) kept.failure = error.what();
    failed = true;
  }
  for (; next < present.size(); ++next) list.push_back(present[next]);
  if (!failed && !left.empty()) {
    art.runs = std::move(left);
    list.Leave(&art);
    return;
  }
  std::erase_if(kept.pending, [&art](const std::unique_ptr<PendingArt>& held) { return held.get() == &art; });
  if (kept.pending.empty()) Close();
}

void LazyArt::PlaceOnTop(ArtList& list, Art* art) {
  auto* pending = const_cast<PendingArt*>(list.Pending());
  list.InsertPresent(0, art);
  for (PendingArt::Run& run : pending->runs) ++run.before;
}

bool LazyArt::TakeOut(ArtList& list, const Art* art) {
  auto* pending = const_cast<PendingArt*>(list.Pending());
  const std::span<Art* const> present = list.Present();
  const auto found = std::find(present.begin(), present.end(), art);
  if (found == present.end()) return false;
  const auto index = static_cast<uint64_t>(found - present.begin());
  list.ErasePresent(static_cast<size_t>(index));
  for (PendingArt::Run& run : pending->runs)
    if (run.before > index) --run.before;
  return true;
}

void LazyArt::Copy(const PendingArt::Run& run, const std::function<void(const char*, size_t)>& out) const {
  CheckUnchanged();
  std::vector<char> buffer(std::min<uint64_t>(run.bytes, kPackPieceBytes));
  for (uint64_t done = 0; done < run.bytes;) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(buffer.size(), run.bytes - done));
    const ssize_t got = ::pread(kept.file, buffer.data(), want, static_cast<off_t>(run.at + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0)
      throw DocumentFileError(kept.path, {}, got < 0 ? std::string("cannot read: ") + std::strerror(errno)
                                                : std::string("the file ends early"));
    out(buffer.data(), static_cast<size_t>(got));
    done += static_cast<uint64_t>(got);
  }
}

}  // namespace sim
