// A list that keeps its first few items inside itself and moves them to the
// heap only when it grows past them. Dictionary values are kept by the
// million in rows of a few items, so a small list costs one allocation (its
// owner's) and no spare slots; a large one grows by half its size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <new>
#include <stdexcept>
#include <utility>

namespace sim {

template <typename T, uint32_t N>
class SmallList {
  static_assert(N > 0);

 public:
  using value_type = T;
  using iterator = T*;
  using const_iterator = const T*;

  SmallList() noexcept {}
  SmallList(const SmallList&) = delete;
  SmallList& operator=(const SmallList&) = delete;
  ~SmallList() {
    clear();
    if (OnHeap()) ::operator delete(storage.heap.items);
  }

  SmallList& operator=(std::initializer_list<T> items) {
    clear();
    reserve(items.size());
    for (const T& item : items) push_back(item);
    return *this;
  }

  size_t size() const noexcept { return count & kCountMask; }
  bool empty() const noexcept { return size() == 0; }
  size_t capacity() const noexcept { return OnHeap() ? storage.heap.capacity : N; }
  T* data() noexcept { return OnHeap() ? storage.heap.items : storage.inlineItems; }
  const T* data() const noexcept { return OnHeap() ? storage.heap.items : storage.inlineItems; }
  T* begin() noexcept { return data(); }
  T* end() noexcept { return data() + size(); }
  const T* begin() const noexcept { return data(); }
  const T* end() const noexcept { return data() + size(); }
  T& operator[](size_t index) noexcept { return data()[index]; }
  const T& operator[](size_t index) const noexcept { return data()[index]; }
  T& at(size_t index) {
    if (index >= size()) throw std::out_of_range("list index out of range");
    return data()[index];
  }
  const T& at(size_t index) const {
    if (index >= size()) throw std::out_of_range("list index out of range");
    return data()[index];
  }

  void reserve(size_t wanted) {
    if (wanted <= capacity()) return;
    if (wanted > kCountMask) throw std::length_error("list too long");
    T* items = static_cast<T*>(::operator new(wanted * sizeof(T)));
    const size_t n = size();
    T* old = data();
    for (size_t i = 0; i < n; ++i) {
      new (items + i) T(std::move(old[i]));
      old[i].~T();
    }
    if (OnHeap()) ::operator delete(storage.heap.items);
    storage.heap.items = items;
    storage.heap.capacity = wanted;
    count = static_cast<uint32_t>(n) | kOnHeap;
  }

  template <typename... Args>
  T& emplace_back(Args&&... args) {
    // Built first: an argument may refer to an item that growing moves.
    T item(std::forward<Args>(args)...);
    MakeRoomForOne();
    T* slot = new (data() + size()) T(std::move(item));
    ++count;
    return *slot;
  }
  void push_back(T item) { emplace_back(std::move(item)); }

  T* insert(const T* at, T item) {
    const size_t index = static_cast<size_t>(at - data());
    MakeRoomForOne();
    T* items = data();
    const size_t n = size();
    if (index == n) {
      new (items + n) T(std::move(item));
    } else {
      new (items + n) T(std::move(items[n - 1]));
      for (size_t i = n - 1; i > index; --i) items[i] = std::move(items[i - 1]);
      items[index] = std::move(item);
    }
    ++count;
    return items + index;
  }

  T* erase(const T* at) {
    const size_t index = static_cast<size_t>(at - data());
    T* items = data();
    const size_t n = size();
    // The item leaves the list before it is destroyed, so whatever its
    // destruction releases sees a whole list.
    T gone(std::move(items[index]));
    for (size_t i = index; i + 1 < n; ++i) items[i] = std::move(items[i + 1]);
    items[n - 1].~T();
    --count;
    return items + index;
  }

  void clear() noexcept {
    T* items = data();
    for (size_t n = size(); n > 0; --n) {
      --count;
      items[n - 1].~T();
    }
  }

 protected:
  // The owner's reference count, kept here where it fills the header.
  uint32_t refs = 0;

 private:
  static constexpr uint32_t kOnHeap = 0x80000000u;
  static constexpr uint32_t kCountMask = 0x7FFFFFFFu;
  static constexpr size_t kExactGrowthLimit = 16;

  bool OnHeap() const noexcept { return count & kOnHeap; }

  void MakeRoomForOne() {
    const size_t n = size();
    if (n < capacity()) return;
    reserve(n + (n < kExactGrowthLimit ? 1 : n / 2));
  }

  uint32_t count = 0;  // items held, and kOnHeap when they are on the heap
  union Storage {
    Storage() noexcept {}
    ~Storage() {}
    T inlineItems[N];
    struct {
      T* items;
      size_t capacity;
    } heap;
  } storage;
};

}  // namespace sim
