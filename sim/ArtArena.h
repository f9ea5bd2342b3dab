// Where a document's art lives: in chunks that never move, so that handles
// stay valid pointers, each object costs its own size and no more, and
// telling whether a pointer names one of them is a search among a few
// chunks instead of a hash set with an entry per object.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace sim {

template <typename T>
class Arena {
 public:
  // A new default object.
  T* Make() {
    if (chunks.empty() || chunks.back().used == chunks.back().size) Grow();
    Chunk& last = chunks.back();
    return &last.items[last.used++];
  }

  bool Holds(const T* item) const { return ChunkOf(item) != kNone; }

  // The chunk that holds the item, kNone when none does. Chunks are
  // numbered in the order they were made, and each holds the objects made
  // while it was the last.
  size_t ChunkOf(const T* item) const {
    const auto address = reinterpret_cast<uintptr_t>(item);
    // The chunk starting last at or before the address.
    auto after = std::upper_bound(order.begin(), order.end(), address,
                                  [this](uintptr_t a, size_t index) { return a < Start(index); });
    if (after == order.begin()) return kNone;
    const Chunk& chunk = chunks[*(after - 1)];
    const uintptr_t offset = address - Start(*(after - 1));
    return offset % sizeof(T) == 0 && offset / sizeof(T) < chunk.used ? *(after - 1) : kNone;
  }
  size_t ChunkCount() const { return chunks.size(); }
  T* ChunkItems(size_t chunk) { return chunks[chunk].items.get(); }
  size_t ChunkUsed(size_t chunk) const { return chunks[chunk].used; }
  static constexpr size_t kNone = SIZE_MAX;
  static constexpr size_t kLargestChunk = 4096;

  size_t Count() const {
    size_t count = 0;
    for (const Chunk& chunk : chunks) count += chunk.used;
    return count;
  }

 private:
  struct Chunk {
    std::unique_ptr<T[]> items;
    size_t size = 0;
    size_t used = 0;
  };

  uintptr_t Start(size_t index) const { return reinterpret_cast<uintptr_t>(chunks[index].items.get()); }

  // Small documents stay small; big ones grow by chunks of a few thousand.
  void Grow() {
    const size_t size = chunks.empty() ? kFirstChunk : std::min(chunks.back().size * 2, kLargestChunk);
    chunks.push_back(Chunk{std::make_unique<T[]>(size), size, 0});
    const size_t index = chunks.size() - 1;
    order.insert(std::upper_bound(order.begin(), order.end(), Start(index),
                                  [this](uintptr_t a, size_t i) { return a < Start(i); }),
                 index);
  }

  static constexpr size_t kFirstChunk = 16;
  std::vector<Chunk> chunks;
  std::vector<size_t> order;  // chunk indices by address
};

}  // namespace sim
