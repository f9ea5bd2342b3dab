// What a run of a layer's art holds, counted by kind: what its head in
// the map file says, what a summary load leaves unread of a layer, and what
// a layer's art left in the file holds.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

namespace sim {

// What a summary load left unread of a layer's own art (not its
// sublayers'), from the summaries of the runs it skipped.
struct UnreadArt {
  // Art by kind, indexed as the packed file's kinds (group, path, compound,
  // text, symbol, other); paths inside compound paths count only in members.
  std::array<uint64_t, 6> kinds{};
  uint64_t members = 0;
  uint64_t segments = 0, values = 0, textUnits = 0;
  float extent = 0;  // the largest |coordinate| of path and text anchors
  uint64_t selected = 0;  // objects marked selected (from version 6)

  uint64_t Art() const {
    uint64_t total = members;
    for (uint64_t count : kinds) total += count;
    return total;
  }
  void Add(const UnreadArt& other) {
    for (size_t i = 0; i < kinds.size(); ++i) kinds[i] += other.kinds[i];
    members += other.members;
    segments += other.segments;
    values += other.values;
    textUnits += other.textUnits;
    extent = std::max(extent, other.extent);
    selected += other.selected;
  }
  bool operator==(const UnreadArt&) const = default;
};

}  // namespace sim
