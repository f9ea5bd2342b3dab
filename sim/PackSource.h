// Bytes of a packed document, from memory or from a file read a megabyte at
// a time, with the count of bytes left always known so that no count read
// from the file makes the reader allocate more than the file can hold.
#pragma once

#include <cstdint>
#include <cstdio>
#include <sys/types.h>
#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace sim {

class PackSource {
 public:
  explicit PackSource(std::string_view bytes)
      : start(reinterpret_cast<const uint8_t*>(bytes.data())), cursor(start), limit(start + bytes.size()),
        size(bytes.size()) {}
  // size: the file's length now; a file that turns out shorter fails the read.
  // at: where the stream stands in the file.
  PackSource(std::FILE* stream, uint64_t size, uint64_t at = 0)
      : stream(stream), buffer(kChunk), consumed(at), size(size) {
    start = cursor = limit = buffer.data();
    // A short run is read in one go of its own size.
    nextRead = static_cast<size_t>(std::clamp<uint64_t>(size > at ? size - at : 1, 1, kChunk));
  }

  uint64_t Offset() const { return consumed + static_cast<uint64_t>(cursor - start); }
  uint64_t Remaining() const { return size > Offset() ? size - Offset() : 0; }

  // False when the input ends first.
  bool Take(void* out, size_t count) {
    auto* target = static_cast<uint8_t*>(out);
    while (count > 0) {
      if (cursor == limit && !Refill()) return false;
      const size_t piece = std::min(count, static_cast<size_t>(limit - cursor));
      std::memcpy(target, cursor, piece);
      cursor += piece;
      target += piece;
      count -= piece;
    }
    return true;
  }
  bool Byte(uint8_t& out) {
    if (cursor == limit && !Refill()) return false;
    out = *cursor++;
    return true;
  }
  // Steps over count bytes without reading them (a file is sought); false
  // when fewer are left.
  bool Skip(uint64_t count) {
    if (count > Remaining()) return false;
    const auto buffered = static_cast<uint64_t>(limit - cursor);
    if (count <= buffered || !stream) {
      cursor += static_cast<size_t>(std::min(count, buffered));
      return count <= buffered;
    }
    const uint64_t target = Offset() + count;
    if (::fseeko(stream, static_cast<off_t>(target), SEEK_SET) != 0) return false;
    consumed = target;
    start = cursor = limit = buffer.data();
    // Only the next run's head is wanted after a seek, most often.
    nextRead = kAfterSeek;
    return true;
  }
  // Whether every byte was read, up to the file's true end.
  bool AtEnd() {
    return cursor == limit && !Refill();
  }

 private:
  static constexpr size_t kChunk = 1 << 20;
  static constexpr size_t kAfterSeek = 4096;

  bool Refill() {
    if (!stream) return false;
    consumed += static_cast<uint64_t>(limit - start);
    const size_t got = std::fread(buffer.data(), 1, nextRead, stream);
    nextRead = std::min(nextRead * 16, buffer.size());
    cursor = buffer.data();
    limit = cursor + got;
    return got > 0;
  }

  std::FILE* stream = nullptr;
  std::vector<uint8_t> buffer;
  size_t nextRead = kChunk;
  const uint8_t* start = nullptr;
  const uint8_t* cursor = nullptr;
  const uint8_t* limit = nullptr;
  uint64_t consumed = 0;  // bytes before the buffer's first
  uint64_t size = 0;
};

}  // namespace sim
