// The children of a container, topmost first. Imports place thousands of
// objects on top of a layer one by one and loading appends them at the
// bottom, so the list keeps room at both ends: either end takes an object
// at once, and the objects stay contiguous for walking and indexing.
#pragma once

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <vector>

namespace sim {

struct Art;

class ArtList {
 public:
  using value_type = Art*;
  using iterator = Art**;
  using const_iterator = Art* const*;
  using reverse_iterator = std::reverse_iterator<iterator>;
  using const_reverse_iterator = std::reverse_iterator<const_iterator>;

  iterator begin() { return slots.data() + head; }
  iterator end() { return slots.data() + slots.size(); }
  const_iterator begin() const { return slots.data() + head; }
  const_iterator end() const { return slots.data() + slots.size(); }
  reverse_iterator rbegin() { return reverse_iterator(end()); }
  reverse_iterator rend() { return reverse_iterator(begin()); }
  const_reverse_iterator rbegin() const { return const_reverse_iterator(end()); }
  const_reverse_iterator rend() const { return const_reverse_iterator(begin()); }

  size_t size() const { return slots.size() - head; }
  bool empty() const { return size() == 0; }
  Art*& operator[](size_t index) { return slots[head + index]; }
  Art* operator[](size_t index) const { return slots[head + index]; }
  Art*& front() { return slots[head]; }
  Art* front() const { return slots[head]; }
  Art*& back() { return slots.back(); }
  Art* back() const { return slots.back(); }

  // Puts art before pos (pos == begin(): on top); returns where it went.
  iterator insert(const_iterator pos, Art* art) {
    const auto index = static_cast<size_t>(pos - begin());
    if (index > 0) {
      slots.insert(slots.begin() + static_cast<std::ptrdiff_t>(head + index), art);
      return begin() + index;
    }
    if (head == 0) MakeRoomInFront();
    slots[--head] = art;
    return begin();
  }
  void push_back(Art* art) { slots.push_back(art); }
  iterator erase(const_iterator pos) {
    const auto index = static_cast<size_t>(pos - begin());
    if (index == 0) {
      slots[head++] = nullptr;
      if (empty()) Clear();
    } else {
      slots.erase(slots.begin() + static_cast<std::ptrdiff_t>(head + index));
    }
    return begin() + index;
  }

 private:
  // As much room in front as the list holds (at least a few), so that
  // placing objects on top one by one costs a constant per object.
  void MakeRoomInFront() {
    const size_t room = std::max<size_t>(size(), 4);
    std::vector<Art*> grown(room + size(), nullptr);
    std::copy(begin(), end(), grown.begin() + static_cast<std::ptrdiff_t>(room));
    slots.swap(grown);
    head = room;
  }
  void Clear() {
    slots.clear();
    head = 0;
  }

  std::vector<Art*> slots;  // [0, head) is room
  size_t head = 0;
};

}  // namespace sim
