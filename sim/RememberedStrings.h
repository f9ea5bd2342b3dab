// The strings a map writer has remembered, found by their stored form.
// Saving a big map looks up every string it writes, and most values of a
// big table are seen once (names, numbers), so a lookup that misses must
// be cheap: an open-addressed table of numbers over one block of bytes
// touches a slot and at most a string or two, where a node-based map
// walks a chain of nodes spread over the heap.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

class RememberedStrings {
 public:
  // The number a stored form was remembered as.
  std::optional<uint64_t> Find(std::string_view stored) const {
    if (slots.empty()) return std::nullopt;
    const size_t hash = Hash(stored);
    for (size_t at = hash & (slots.size() - 1);; at = (at + 1) & (slots.size() - 1)) {
      const uint32_t held = slots[at];
      if (held == 0) return std::nullopt;
      const Entry& entry = entries[held - 1];
      if (entry.hash == hash && View(entry) == stored) return held - 1;
    }
  }

  // Remembers a stored form not remembered yet, as the next number.
  void Add(std::string_view stored) {
    if ((entries.size() + 1) * 2 > slots.size()) Grow();
    const size_t hash = Hash(stored);
    entries.push_back({hash, bytes.size(), stored.size()});
    bytes.append(stored);
    Place(hash, static_cast<uint32_t>(entries.size()));
  }

  size_t size() const { return entries.size(); }
  void clear() {
    entries.clear();
    bytes.clear();
    std::fill(slots.begin(), slots.end(), 0);
  }

 private:
  struct Entry {
    size_t hash;
    size_t at, length;  // in bytes
  };

  static size_t Hash(std::string_view stored) { return std::hash<std::string_view>{}(stored); }
  std::string_view View(const Entry& entry) const { return std::string_view(bytes).substr(entry.at, entry.length); }

  void Place(size_t hash, uint32_t number) {
    size_t at = hash & (slots.size() - 1);
    while (slots[at] != 0) at = (at + 1) & (slots.size() - 1);
    slots[at] = number;
  }

  void Grow() {
    slots.assign(slots.empty() ? 64 : slots.size() * 2, 0);
    for (size_t i = 0; i < entries.size(); ++i) Place(entries[i].hash, static_cast<uint32_t>(i + 1));
  }

  std::vector<uint32_t> slots;  // 0: empty; else an entry's number + 1
  std::vector<Entry> entries;
  std::string bytes;  // the stored forms, one after another
};

}  // namespace sim
