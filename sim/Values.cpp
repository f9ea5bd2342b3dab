#include "sim/Values.h"

namespace sim {

AIEntryType Value::Type() const {
  switch (data.index()) {
    case 1: return kIntegerEntryType;
    case 2: return kBooleanEntryType;
    case 3: return kRealEntryType;
    case 4: return kUnicodeStringEntryType;
    case 5: return kArrayEntryType;
    case 6: return kDictionaryEntryType;
    default: return kNoEntryType;
  }
}

Value CloneValue(const Value& value) {
  if (const auto* array = std::get_if<ArrayPtr>(&value.data)) {
    return Value{*array ? CloneArray(**array) : ArrayPtr()};
  }
  if (const auto* dictionary = std::get_if<DictPtr>(&value.data)) {
    return Value{*dictionary ? CloneDictionary(**dictionary) : DictPtr()};
  }
  return value;
}

ArrayPtr CloneArray(const Array& array) {
  auto copy = std::make_shared<Array>();
  copy->items.reserve(array.items.size());
  for (const Value& item : array.items) copy->items.push_back(CloneValue(item));
  return copy;
}

DictPtr CloneDictionary(const Dictionary& dictionary) {
  auto copy = std::make_shared<Dictionary>();
  for (const auto& [key, value] : dictionary.entries) copy->entries.emplace(key, CloneValue(value));
  return copy;
}

bool Reaches(const Value& value, const void* target) {
  if (const auto* array = std::get_if<ArrayPtr>(&value.data)) {
    if (!*array) return false;
    if (array->get() == target) return true;
    for (const Value& item : (*array)->items) {
      if (Reaches(item, target)) return true;
    }
    return false;
  }
  if (const auto* dictionary = std::get_if<DictPtr>(&value.data)) {
    if (!*dictionary) return false;
    if (dictionary->get() == target) return true;
    for (const auto& entry : (*dictionary)->entries) {
      if (Reaches(entry.second, target)) return true;
    }
  }
  return false;
}

}  // namespace sim
