// Counted references that the stand-in host hands to plug-ins: the handle is
// the object's address, and the table keeps the object alive while any
// handed-out reference is unreleased.
//
// A plug-in takes and releases a reference for every dictionary and array it
// reads, a few million times in an export, and holds only a few at a time:
// the table is one open-addressed block that allocates only when it grows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace sim {

template <typename T, typename Holder = std::shared_ptr<T>>
class RefTable {
 public:
  // One more reference to the object; returns its handle address.
  T* Add(Holder object) {
    T* raw = object.get();
    if (Slot* slot = Lookup(raw)) {
      ++slot->count;
      return raw;
    }
    if ((used + 1) * 4 > slots.size() * 3) Grow();
    Slot& slot = slots[FreeSlotFor(raw)];
    slot.object = std::move(object);
    slot.count = 1;
    ++used;
    return raw;
  }
  Holder Find(const void* raw) const {
    const Slot* slot = Lookup(raw);
    return slot ? slot->object : Holder();
  }
  bool AddRef(const void* raw) {
    Slot* slot = Lookup(raw);
    if (!slot) return false;
    ++slot->count;
    return true;
  }
  bool Release(const void* raw) {
    Holder last;
    return Release(raw, last);
  }
  // As Release; last is the object when that was its last reference.
  bool Release(const void* raw, Holder& last) {
    Slot* slot = Lookup(raw);
    if (!slot) return false;
    if (--slot->count == 0) {
      last = std::move(slot->object);
      Erase(static_cast<size_t>(slot - slots.data()));
    }
    return true;
  }
  // Objects with at least one unreleased reference.
  size_t Outstanding() const { return used; }

 private:
  struct Slot {
    Holder object;  // empty for a free slot
    int count = 0;
  };

  size_t Mask() const { return slots.size() - 1; }
  size_t Home(const void* raw) const {
    // Addresses are aligned: mix the bits so that neighbours spread.
    uint64_t bits = reinterpret_cast<uintptr_t>(raw);
    bits ^= bits >> 33;
    bits *= 0xff51afd7ed558ccdULL;
    bits ^= bits >> 33;
    return static_cast<size_t>(bits) & Mask();
  }

  Slot* Lookup(const void* raw) const {
    if (slots.empty() || !raw) return nullptr;
    for (size_t i = Home(raw);; i = (i + 1) & Mask()) {
      const Slot& slot = slots[i];
      if (!slot.object) return nullptr;
      if (slot.object.get() == raw) return const_cast<Slot*>(&slot);
    }
  }

  size_t FreeSlotFor(const void* raw) const {
    size_t i = Home(raw);
    while (slots[i].object) i = (i + 1) & Mask();
    return i;
  }

  void Grow() {
    std::vector<Slot> old(slots.empty() ? 16 : slots.size() * 2);
    old.swap(slots);
    for (Slot& slot : old)
      if (slot.object) slots[FreeSlotFor(slot.object.get())] = std::move(slot);
  }

  // Backward-shift deletion: later members of the probe run move up into the
  // hole, so lookups never need tombstones.
  void Erase(size_t hole) {
    slots[hole] = Slot();  // its object may have been moved out already
    --used;
    for (size_t i = (hole + 1) & Mask(); slots[i].object; i = (i + 1) & Mask()) {
      const size_t home = Home(slots[i].object.get());
      // The member may move to the hole only if the hole lies on its probe
      // path, between its home and where it stands (cyclically).
      const bool movable = hole <= i ? (home <= hole || home > i) : (home <= hole && home > i);
      if (!movable) continue;
      slots[hole] = std::move(slots[i]);
      slots[i] = Slot();
      hole = i;
    }
  }

  std::vector<Slot> slots;  // a power of two in size, at most three quarters used
  size_t used = 0;
};

}  // namespace sim
