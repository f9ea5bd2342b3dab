// Dictionaries of art set aside on disk and read back in the same process.
// A compact array keeps its shared schema here while its rows are away, so
// a row costs only its last entries on disk and the schema is found again
// without a look-up; keys are kept the same way.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "sim/Values.h"

namespace sim {

class ValueSpill {
 public:
  // Bytes being read back; a record that ends early is a broken store.
  struct Input {
    const uint8_t* cursor;
    const uint8_t* end;
  };

  ValueSpill() = default;
  ValueSpill(const ValueSpill&) = delete;
  ValueSpill& operator=(const ValueSpill&) = delete;
  ValueSpill& operator=(ValueSpill&& other) noexcept {
    std::swap(keys, other.keys);
    std::swap(keyIndex, other.keyIndex);
    std::swap(schemas, other.schemas);
    std::swap(schemaIndex, other.schemaIndex);
    return *this;
  }
  ~ValueSpill();

  // Whether nothing but its art holds the dictionary or anything in it, so
  // that taking it away and making it again cannot be told.
  static bool HeldAlone(const Dictionary& dictionary);

  // Appends the dictionary (which may be null).
  void Write(const Dictionary* dictionary, std::string& out);
  DictPtr Read(Input& in);

  // Counts as the records write them (7 bits a byte), and the failure of
  // a record that does not read back.
  static void PutCount(std::string& out, uint64_t value);
  static uint64_t TakeCount(Input& in);
  [[noreturn]] static void Broken();

  // Schemas held while their rows are away; for tests.
  size_t SchemasKept() const { return schemas.size(); }

 private:
  static bool HeldAloneValue(const Value& value);
  void WriteValue(const Value& value, std::string& out);
  Value ReadValue(Input& in, size_t depth);
  DictPtr ReadDictionary(Input& in, size_t depth);

  std::vector<Key> keys;
  std::unordered_map<const void*, uint32_t> keyIndex;
  std::vector<Array::Schema*> schemas;  // one reference each
  std::unordered_map<const void*, uint32_t> schemaIndex;
};

}  // namespace sim
