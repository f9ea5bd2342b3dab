// Counted references that the stand-in host hands to plug-ins: the handle is
// the object's address, and the table keeps the object alive while any
// handed-out reference is unreleased.
#pragma once

#include <cstddef>
#include <memory>
#include <unordered_map>
#include <utility>

namespace sim {

template <typename T, typename Holder = std::shared_ptr<T>>
class RefTable {
 public:
  // One more reference to the object; returns its handle address.
  T* Add(Holder object) {
    T* raw = object.get();
    auto& slot = refs[raw];
    if (!slot.first) slot.first = std::move(object);
    ++slot.second;
    return raw;
  }
  Holder Find(const void* raw) const {
    auto found = refs.find(static_cast<T*>(const_cast<void*>(raw)));
    return found == refs.end() ? Holder() : found->second.first;
  }
  bool AddRef(const void* raw) {
    auto found = refs.find(static_cast<T*>(const_cast<void*>(raw)));
    if (found == refs.end()) return false;
    ++found->second.second;
    return true;
  }
  bool Release(const void* raw) {
    Holder last;
    return Release(raw, last);
  }
  // As Release; last is the object when that was its last reference.
  bool Release(const void* raw, Holder& last) {
    auto found = refs.find(static_cast<T*>(const_cast<void*>(raw)));
    if (found == refs.end()) return false;
    if (--found->second.second == 0) {
      last = std::move(found->second.first);
      refs.erase(found);
    }
    return true;
  }
  // Objects with at least one unreleased reference.
  size_t Outstanding() const { return refs.size(); }

 private:
  std::unordered_map<T*, std::pair<Holder, int>> refs;
};

}  // namespace sim
