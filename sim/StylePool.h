// The paint styles of a document, each distinct one kept once: a million
// marks drawn alike hold one style. Kept styles never change or move, so
// art points at them and setting a style swaps the pointer.
#pragma once

#include <deque>
#include <string>
#include <unordered_map>

#include "host/AIPathStyleSuite.h"

namespace sim {

class StylePool {
 public:
  // The kept style equal to style (every field, bit for bit), kept now if new.
  const AIPathStyle* Intern(const AIPathStyle& style);
  size_t Count() const { return kept.size(); }

  // The style of art that was never given one.
  static const AIPathStyle& Default();

 private:
  std::deque<AIPathStyle> kept;  // a deque never moves what it holds
  std::unordered_map<std::string, const AIPathStyle*> byBits;
};

}  // namespace sim
