// The children of a container, topmost first. Imports place thousands of
// objects on top of a layer one by one and loading appends them at the
// bottom, so the list keeps room at both ends: either end takes an object
// at once, and the objects stay contiguous for walking and indexing. Most
// art holds no children, so an empty list is one null pointer. A layer's
// list may leave art in the map file until it is first used (LazyArt).
#pragma once

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <memory>
#include <span>
#include <vector>

namespace sim {

struct Art;
struct PendingArt;
class ArtList;

// Reads the art a list left in the map file into it, all of it or only the
// runs that hold selected art (LazyArt.cpp).
void ReadPendingArt(PendingArt& pending, ArtList& list, bool onlySelected);

class ArtList {
 public:
  using value_type = Art*;
  using iterator = Art**;
  using const_iterator = Art* const*;
  using reverse_iterator = std::reverse_iterator<iterator>;
  using const_reverse_iterator = std::reverse_iterator<const_iterator>;

  ArtList() = default;
  ArtList(const ArtList& other) : held((other.Ready(), other.held ? std::make_unique<Held>(*other.held) : nullptr)) {}
  ArtList& operator=(const ArtList& other) {
    other.Ready();
    held = other.held ? std::make_unique<Held>(*other.held) : nullptr;
    return *this;
  }
  ArtList(ArtList&&) noexcept = default;
  ArtList& operator=(ArtList&&) noexcept = default;

  iterator begin() { return Ready(), held ? held->slots.data() + held->head : nullptr; }
  iterator end() { return Ready(), held ? held->slots.data() + held->slots.size() : nullptr; }
  const_iterator begin() const { return Ready(), held ? held->slots.data() + held->head : nullptr; }
  const_iterator end() const { return Ready(), held ? held->slots.data() + held->slots.size() : nullptr; }
  reverse_iterator rbegin() { return reverse_iterator(end()); }
  reverse_iterator rend() { return reverse_iterator(begin()); }
  const_reverse_iterator rbegin() const { return const_reverse_iterator(end()); }
  const_reverse_iterator rend() const { return const_reverse_iterator(begin()); }

  size_t size() const { return Ready(), held ? held->slots.size() - held->head : 0; }
  bool empty() const { return size() == 0; }
  Art*& operator[](size_t index) { return Ready(), held->slots[held->head + index]; }
  Art* operator[](size_t index) const { return Ready(), held->slots[held->head + index]; }
  Art*& front() { return Ready(), held->slots[held->head]; }
  Art* front() const { return Ready(), held->slots[held->head]; }
  Art*& back() { return Ready(), held->slots.back(); }
  Art* back() const { return Ready(), held->slots.back(); }

  // Leaves art in the map file: the list reads it the first time it is used.
  void Leave(PendingArt* pending) {
    if (!held) held = std::make_unique<Held>();
    held->pending = pending;
  }
  // Reads only what it left in the file that holds selected art: the rest
  // stays there.
  void ReadSelected() const {
    if (held && held->pending) ReadPendingArt(*held->pending, const_cast<ArtList&>(*this), true);
  }
  // What the list left in the file and what it holds besides, without
  // reading anything.
  const PendingArt* Pending() const { return held ? held->pending : nullptr; }
  // Changes what the list holds besides what it left in the file, without
  // reading that (LazyArt).
  void InsertPresent(size_t index, Art* art) {
    if (!held) held = std::make_unique<Held>();
    held->slots.insert(held->slots.begin() + static_cast<std::ptrdiff_t>(held->head + index), art);
  }
  void ErasePresent(size_t index) {
    held->slots.erase(held->slots.begin() + static_cast<std::ptrdiff_t>(held->head + index));
  }
  std::span<Art* const> Present() const {
    if (!held) return {};
    return {held->slots.data() + held->head, held->slots.size() - held->head};
  }

  // Puts art before pos (pos == begin(): on top); returns where it went.
  iterator insert(const_iterator pos, Art* art) {
    const auto index = static_cast<size_t>(pos - begin());
    if (!held) held = std::make_unique<Held>();
    std::vector<Art*>& slots = held->slots;
    if (index > 0) {
      slots.insert(slots.begin() + static_cast<std::ptrdiff_t>(held->head + index), art);
      return begin() + index;
    }
    if (held->head == 0) MakeRoomInFront();
    held->slots[--held->head] = art;
    return begin();
  }
  void push_back(Art* art) {
    Ready();
    if (!held) held = std::make_unique<Held>();
    held->slots.push_back(art);
  }
  iterator erase(const_iterator pos) {
    const auto index = static_cast<size_t>(pos - begin());
    std::vector<Art*>& slots = held->slots;
    if (index == 0) {
      slots[held->head++] = nullptr;
    } else {
      slots.erase(slots.begin() + static_cast<std::ptrdiff_t>(held->head + index));
    }
    if (held->slots.size() == held->head) {
      held.reset();
      return nullptr;
    }
    return begin() + index;
  }

 private:
  void Ready() const {
    if (held && held->pending) [[unlikely]] ReadPending();
  }
  void ReadPending() const {
    PendingArt* pending = held->pending;
    held->pending = nullptr;
    ReadPendingArt(*pending, const_cast<ArtList&>(*this), false);
  }

  // As much room in front as the list holds (at least a few), so that
  // placing objects on top one by one costs a constant per object.
  void MakeRoomInFront() {
    const size_t room = std::max<size_t>(size(), 4);
    std::vector<Art*> grown(room + size(), nullptr);
    std::copy(begin(), end(), grown.begin() + static_cast<std::ptrdiff_t>(room));
    held->slots.swap(grown);
    held->head = room;
  }

  struct Held {
    std::vector<Art*> slots;  // [0, head) is room
    size_t head = 0;
    PendingArt* pending = nullptr;  // art still in the file
  };
  std::unique_ptr<Held> held;  // null while empty
};

}  // namespace sim
