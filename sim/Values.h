// Dictionary values of the stand-in document: typed entries, arrays and
// dictionaries. Arrays and dictionaries are shared by reference, as the host
// shares them; Clone makes independent copies.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "host/AIEntrySuite.h"

namespace sim {

struct Array;
struct Dictionary;
using ArrayPtr = std::shared_ptr<Array>;
using DictPtr = std::shared_ptr<Dictionary>;

struct Value {
  std::variant<std::monostate, int32_t, bool, double, std::u16string, ArrayPtr, DictPtr> data;

  AIEntryType Type() const;
};

struct Array {
  std::vector<Value> items;
};

struct Dictionary {
  std::map<std::string, Value> entries;  // ordered by key, so output is stable
};

// Deep copies.
Value CloneValue(const Value& value);
ArrayPtr CloneArray(const Array& array);
DictPtr CloneDictionary(const Dictionary& dictionary);

// True when the value is, or holds at any depth, the container at target.
// Storing such a value inside target would make a cycle.
bool Reaches(const Value& value, const void* target);

}  // namespace sim
