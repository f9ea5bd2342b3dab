// The segments of a path. Most paths of a map are straight corners only
// (in == p == out, bit for bit, corner), so such a path keeps its anchors
// alone, 8 bytes a vertex; a path with any other segment keeps them whole.
// Reading gives the same segments either way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <vector>

#include "host/AIPathSuite.h"

namespace sim {

class PathSegments {
 public:
  // Reads segments by value (a straight path has no segment to point at).
  class const_iterator {
   public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = AIPathSegment;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = AIPathSegment;

    const_iterator() = default;
    const_iterator(const PathSegments* owner, size_t index) : owner(owner), index(index) {}
    AIPathSegment operator*() const { return (*owner)[index]; }
    AIPathSegment operator[](difference_type n) const { return (*owner)[Offset(n)]; }
    const_iterator& operator++() { ++index; return *this; }
    const_iterator operator++(int) { const_iterator before = *this; ++index; return before; }
    const_iterator& operator--() { --index; return *this; }
    const_iterator operator--(int) { const_iterator before = *this; --index; return before; }
    const_iterator& operator+=(difference_type n) { index = Offset(n); return *this; }
    const_iterator& operator-=(difference_type n) { index = Offset(-n); return *this; }
    const_iterator operator+(difference_type n) const { return const_iterator(owner, Offset(n)); }
    friend const_iterator operator+(difference_type n, const const_iterator& at) { return at + n; }
    const_iterator operator-(difference_type n) const { return const_iterator(owner, Offset(-n)); }
    difference_type operator-(const const_iterator& other) const {
      return static_cast<difference_type>(index) - static_cast<difference_type>(other.index);
    }
    bool operator==(const const_iterator& other) const { return index == other.index; }
    bool operator!=(const const_iterator& other) const { return index != other.index; }
    bool operator<(const const_iterator& other) const { return index < other.index; }
    bool operator>(const const_iterator& other) const { return index > other.index; }
    bool operator<=(const const_iterator& other) const { return index <= other.index; }
    bool operator>=(const const_iterator& other) const { return index >= other.index; }

   private:
    size_t Offset(difference_type n) const { return static_cast<size_t>(static_cast<difference_type>(index) + n); }
    const PathSegments* owner = nullptr;
    size_t index = 0;
  };

  PathSegments() = default;
  PathSegments(const std::vector<AIPathSegment>& segments) { Assign(segments.data(), segments.size()); }  // NOLINT: reads as the vector it holds
  PathSegments(std::initializer_list<AIPathSegment> segments) { Assign(segments.begin(), segments.size()); }
  PathSegments(const PathSegments& other);
  PathSegments(PathSegments&& other) noexcept;
  PathSegments& operator=(const PathSegments& other);
  PathSegments& operator=(PathSegments&& other) noexcept;
  PathSegments& operator=(const std::vector<AIPathSegment>& segments) {
    Assign(segments.data(), segments.size());
    return *this;
  }
  ~PathSegments() { Release(); }

  size_t size() const { return count; }
  bool empty() const { return count == 0; }
  AIPathSegment operator[](size_t index) const {
    if (curved == 0) {
      const AIRealPoint p = static_cast<const AIRealPoint*>(data)[index];
      return AIPathSegment{p, p, p, true};
    }
    return static_cast<const AIPathSegment*>(data)[index];
  }
  AIPathSegment front() const { return (*this)[0]; }
  AIPathSegment back() const { return (*this)[count - 1]; }
  const_iterator begin() const { return const_iterator(this, 0); }
  const_iterator end() const { return const_iterator(this, count); }

  // Whether every segment is a straight corner, so that only anchors are kept.
  bool Straight() const { return curved == 0; }
  // The anchor of a segment, without making the segment.
  AIRealPoint Anchor(size_t index) const {
    return curved == 0 ? static_cast<const AIRealPoint*>(data)[index] : static_cast<const AIPathSegment*>(data)[index].p;
  }

  void Assign(const AIPathSegment* segments, size_t n);
  // Straight corners at the anchors.
  void AssignCorners(const AIRealPoint* anchors, size_t n);
  // Replaces segments [first, first + n), growing the path when they reach past its end.
  void Set(size_t first, const AIPathSegment* segments, size_t n);
  // Cuts the path short or lengthens it with copies of filler.
  void Resize(size_t n, const AIPathSegment& filler);
  void clear() { Release(); }
  std::vector<AIPathSegment> ToVector() const;

  // The segments as they lie in memory, and back: for a store that sets
  // them aside in this process.
  uint32_t CurvedCount() const { return curved; }
  const void* Raw() const { return data; }
  size_t RawSize() const { return count * (curved == 0 ? sizeof(AIRealPoint) : sizeof(AIPathSegment)); }
  void AssignRaw(const void* bytes, uint32_t n, uint32_t curves);

  // A straight corner: anchor and both handles the same bits, and a corner.
  static bool IsStraightCorner(const AIPathSegment& segment);

 private:
  void Release();
  // The segments whole, leaving the path empty.
  std::unique_ptr<AIPathSegment[]> TakeWhole();
  // Holds n whole segments, curves of them not straight corners: anchors
  // alone when there are none.
  void Adopt(std::unique_ptr<AIPathSegment[]> whole, size_t n, uint32_t curves);

  void* data = nullptr;  // AIRealPoint[count] when curved == 0, else AIPathSegment[count]
  uint32_t count = 0;
  uint32_t curved = 0;   // segments that are not straight corners
};

}  // namespace sim
