#include "sim/ArtSpill.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "sim/Document.h"

namespace sim {

namespace {

// Eight chunks: the last 32,768 objects made or read, a few MB of points.
constexpr size_t kKeptChunks = 8;

std::vector<ArtSpill*>& Stores() {
  static std::vector<ArtSpill*> stores;
  return stores;
}

size_t KeptChunksByDefault() {
  const char* text = std::getenv("KZMAP_RESIDENT_ART_CHUNKS");
  if (!text || !*text) return kKeptChunks;
  char* rest = nullptr;
  const unsigned long long chunks = std::strtoull(text, &rest, 10);
  return *rest == '\0' && chunks > 0 ? static_cast<size_t>(chunks) : kKeptChunks;
}

std::string TemporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  return folder && *folder ? folder : "/tmp";
}

[[noreturn]] void Failed(const char* what, int error) {
  throw std::runtime_error(std::string("could not ") + what + " art set aside in " + TemporaryFolder() + ": " +
                           std::strerror(error));
}

}  // namespace

uint64_t ArtSpill::KeptObjects() { return KeptChunksByDefault() * Arena<Art>::kLargestChunk; }

ArtSpill::ArtSpill(Arena<Art>& arts) : arts(arts), keptChunks(KeptChunksByDefault()) { Stores().push_back(this); }

ArtSpill::~ArtSpill() {
  std::erase(Stores(), this);
  if (file >= 0) ::close(file);
}

ArtSpill& ArtSpill::operator=(ArtSpill&& other) noexcept {
  values = std::move(other.values);
  std::swap(keptChunks, other.keptChunks);
  std::swap(file, other.file);
  std::swap(end, other.end);
  std::swap(written, other.written);
  std::swap(away, other.away);
  std::swap(seen, other.seen);
  std::swap(records, other.records);
  std::swap(queued, other.queued);
  std::swap(resident, other.resident);
  std::swap(failure, other.failure);
  return *this;
}

void ArtSpill::Trim() {
  for (; seen < arts.ChunkCount(); ++seen) {
    records.emplace_back();
    queued.push_back(1);
    resident.push_back(seen);
  }
  while (resident.size() > keptChunks && failure.empty()) {
    const size_t chunk = resident.front();
    try {
      SetAside(chunk);
    } catch (const std::exception& error) {
      // Nothing was let go: the document carries on in memory, and says why.
      failure = error.what();
      return;
    }
    resident.pop_front();
    queued[chunk] = 0;
  }
}

void ArtSpill::BringBack(const Art& art) {
  for (ArtSpill* store : Stores()) {
    const size_t chunk = store->arts.ChunkOf(&art);
    if (chunk != Arena<Art>::kNone) return store->BringBackChunk(chunk);
  }
  throw std::logic_error("art set aside by no document");
}

void ArtSpill::SetAside(size_t chunk) {
  Art* items = arts.ChunkItems(chunk);
  const size_t used = arts.ChunkUsed(chunk);
  std::vector<uint32_t> going;
  scratch.clear();
  for (size_t i = 0; i < used; ++i) {
    const Art& art = items[i];
    if (art.setAside || art.disposed || (art.segments.empty() && !art.dictionary)) continue;
    if (art.dictionary && !ValueSpill::HeldAlone(*art.dictionary)) continue;
    ValueSpill::PutCount(scratch, i);
    ValueSpill::PutCount(scratch, art.segments.size());
    ValueSpill::PutCount(scratch, art.segments.CurvedCount());
    scratch.append(static_cast<const char*>(art.segments.Raw()), art.segments.RawSize());
    values.Write(art.dictionary.get(), scratch);
    going.push_back(static_cast<uint32_t>(i));
  }
  if (going.empty()) return;
  // Written before anything is let go: a full disk loses nothing.
  Record record{};
  Append(scratch, record);
  records[chunk].push_back(record);
  for (uint32_t i : going) {
    Art& art = items[i];
    art.segments.clear();
    art.dictionary = nullptr;
    art.setAside = true;
  }
  away += going.size();
}

void ArtSpill::BringBackChunk(size_t chunk) {
  Art* items = arts.ChunkItems(chunk);
  const size_t used = arts.ChunkUsed(chunk);
  for (const Record& record : records[chunk]) {
    scratch.resize(record.length);
    for (uint64_t done = 0; done < record.length;) {
      const ssize_t got = ::pread(file, scratch.data() + done, record.length - done,
                                  static_cast<off_t>(record.offset + done));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) Failed("read back", got < 0 ? errno : EIO);
      done += static_cast<uint64_t>(got);
    }
    ValueSpill::Input in{reinterpret_cast<const uint8_t*>(scratch.data()),
                         reinterpret_cast<const uint8_t*>(scratch.data()) + scratch.size()};
    while (in.cursor < in.end) {
      const uint64_t index = ValueSpill::TakeCount(in);
      const uint64_t count = ValueSpill::TakeCount(in);
      const uint64_t curves = ValueSpill::TakeCount(in);
      if (index >= used || count > UINT32_MAX || curves > count) ValueSpill::Broken();
      const uint64_t size = count * (curves == 0 ? sizeof(AIRealPoint) : sizeof(AIPathSegment));
      if (size > static_cast<uint64_t>(in.end - in.cursor)) ValueSpill::Broken();
      Art& art = items[index];
      art.segments.AssignRaw(in.cursor, static_cast<uint32_t>(count), static_cast<uint32_t>(curves));
      in.cursor += size;
      art.dictionary = values.Read(in);
      art.setAside = false;
      --away;
    }
    // The bytes are no longer wanted: give the disk back.
    ::fallocate(file, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, static_cast<off_t>(record.offset),
                static_cast<off_t>(record.length));
  }
  records[chunk].clear();
  if (!queued[chunk]) {
    queued[chunk] = 1;
    resident.push_back(chunk);
  }
}

void ArtSpill::Open() {
  std::string name = TemporaryFolder() + "/kzmap-art-XXXXXX";
  file = ::mkstemp(name.data());
  if (file < 0) Failed("make a file for", errno);
  ::unlink(name.c_str());
}

void ArtSpill::Append(const std::string& bytes, Record& record) {
  if (file < 0) Open();
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t put = ::pwrite(file, bytes.data() + done, bytes.size() - done, static_cast<off_t>(end + done));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) Failed("write", put < 0 ? errno : EIO);
    done += static_cast<size_t>(put);
  }
  record = {end, bytes.size()};
  end += bytes.size();
  written += bytes.size();
}

void Art::BringBack() const { ArtSpill::BringBack(*this); }

}  // namespace sim
