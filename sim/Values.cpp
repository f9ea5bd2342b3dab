#include "sim/Values.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <unordered_map>

namespace sim {

// --- Key ---------------------------------------------------------------------

// Shared bytes of a key; the process's table of keys finds them by their text
// and forgets each when its last key goes.
struct Key::Block {
  uint32_t refs;
  uint32_t length;
  char* Bytes() { return reinterpret_cast<char*>(this + 1); }
};

namespace {

using KeyTable = std::unordered_map<std::string_view, Key::Block*>;

// Never destroyed: keys held by objects that outlive the end of main still
// find it.
KeyTable& Keys() {
  static KeyTable* keys = new KeyTable();
  return *keys;
}

}  // namespace

Key::Key(std::string_view text) {
  KeyTable& keys = Keys();
  if (const auto found = keys.find(text); found != keys.end()) {
    block = found->second;
    ++block->refs;
    return;
  }
  if (text.size() > std::numeric_limits<uint32_t>::max()) throw std::length_error("dictionary key too long");
  void* memory = ::operator new(sizeof(Block) + text.size());
  block = new (memory) Block{1, static_cast<uint32_t>(text.size())};
  std::memcpy(block->Bytes(), text.data(), text.size());
  try {
    keys.emplace(std::string_view(block->Bytes(), text.size()), block);
  } catch (...) {
    ::operator delete(memory);
    throw;
  }
}

Key::Key(const Key& other) noexcept : block(other.block) {
  if (block) ++block->refs;
}

Key::~Key() {
  if (!block || --block->refs > 0) return;
  Keys().erase(View());
  block->~Block();
  ::operator delete(block);
}

std::string_view Key::View() const noexcept {
  return block ? std::string_view(block->Bytes(), block->length) : std::string_view();
}

// --- Value -------------------------------------------------------------------

// Shared UTF-16 units of a long string; never changed once made.
struct Value::TextBlock {
  uint32_t refs;
  uint32_t length;
  char16_t* Units() { return reinterpret_cast<char16_t*>(this + 1); }
};

Value::Value(std::u16string_view text) {
  if (text.size() <= kInlineUnits) {
    bits.shortText.kind = Kind::shortText;
    bits.shortText.length = static_cast<uint8_t>(text.size());
    std::copy(text.begin(), text.end(), bits.shortText.units);
    std::fill(bits.shortText.units + text.size(), bits.shortText.units + kInlineUnits, u'\0');
    return;
  }
  if (text.size() > std::numeric_limits<uint32_t>::max()) throw std::length_error("string value too long");
  void* memory = ::operator new(sizeof(TextBlock) + text.size() * sizeof(char16_t));
  TextBlock* block = new (memory) TextBlock{1, static_cast<uint32_t>(text.size())};
  std::uninitialized_copy(text.begin(), text.end(), block->Units());
  bits.longText = {Kind::longText, block};
}

Value::Value(ArrayPtr array) noexcept {
  bits.array = {Kind::array, array.get()};
  Retain();
}

Value::Value(DictPtr dictionary) noexcept {
  bits.dictionary = {Kind::dictionary, dictionary.get()};
  Retain();
}

void Value::Retain() noexcept {
  switch (KindOf()) {
    case Kind::longText: ++bits.longText.block->refs; break;
    case Kind::array:
      if (bits.array.array) ++bits.array.array->refs;
      break;
    case Kind::dictionary:
      if (bits.dictionary.dictionary) ++bits.dictionary.dictionary->refs;
      break;
    default: break;
  }
}

void Value::Release() noexcept {
  switch (KindOf()) {
    case Kind::longText:
      if (--bits.longText.block->refs == 0) {
        bits.longText.block->~TextBlock();
        ::operator delete(bits.longText.block);
      }
      break;
    case Kind::array:
      if (bits.array.array && --bits.array.array->refs == 0) delete bits.array.array;
      break;
    case Kind::dictionary:
      if (bits.dictionary.dictionary && --bits.dictionary.dictionary->refs == 0) delete bits.dictionary.dictionary;
      break;
    default: break;
  }
}

AIEntryType Value::Type() const noexcept {
  switch (KindOf()) {
    case Kind::integer: return kIntegerEntryType;
    case Kind::boolean: return kBooleanEntryType;
    case Kind::real: return kRealEntryType;
    case Kind::shortText:
    case Kind::longText: return kUnicodeStringEntryType;
    case Kind::array: return kArrayEntryType;
    case Kind::dictionary: return kDictionaryEntryType;
    default: return kNoEntryType;
  }
}

void Value::Mismatch(const char* wanted) const {
  throw std::logic_error(std::string("the value is not ") + wanted);
}

int32_t Value::Int() const {
  if (!IsInt()) Mismatch("an integer");
  return bits.integer.number;
}

bool Value::Bool() const {
  if (!IsBool()) Mismatch("a boolean");
  return bits.boolean.flag;
}

double Value::Real() const {
  if (!IsReal()) Mismatch("a real number");
  return bits.real.number;
}

std::u16string_view Value::String() const {
  if (KindOf() == Kind::shortText) return {bits.shortText.units, bits.shortText.length};
  if (KindOf() != Kind::longText) Mismatch("a string");
  return {bits.longText.block->Units(), bits.longText.block->length};
}

Array* Value::AsArray() const {
  if (!IsArray()) Mismatch("an array");
  return bits.array.array;
}

Dictionary* Value::AsDictionary() const {
  if (!IsDictionary()) Mismatch("a dictionary");
  return bits.dictionary.dictionary;
}

ArrayPtr Value::SharedArray() const { return ArrayPtr(AsArray()); }
DictPtr Value::SharedDictionary() const { return DictPtr(AsDictionary()); }

bool Value::SharesTextWith(const Value& other) const noexcept {
  return KindOf() == Kind::longText && other.KindOf() == Kind::longText &&
         bits.longText.block == other.bits.longText.block;
}

// --- Dictionary --------------------------------------------------------------

const DictionaryEntry* Dictionary::LowerBound(std::string_view key) const {
  return std::lower_bound(begin(), end(), key,
                          [](const DictionaryEntry& entry, std::string_view k) { return entry.key.View() < k; });
}

Value* Dictionary::Find(std::string_view key) {
  return const_cast<Value*>(std::as_const(*this).Find(key));
}

const Value* Dictionary::Find(std::string_view key) const {
  const DictionaryEntry* at = LowerBound(key);
  return at != end() && at->key.View() == key ? &at->value : nullptr;
}

Value& Dictionary::operator[](const Key& key) {
  const DictionaryEntry* at = LowerBound(key.View());
  if (at != end() && at->key == key) return const_cast<DictionaryEntry*>(at)->value;
  return List::insert(at, DictionaryEntry{key, Value()})->value;
}

void Dictionary::Add(const Key& key, Value value) {
  if (empty() || (end() - 1)->key.View() < key.View()) {
    List::emplace_back(DictionaryEntry{key, std::move(value)});
    return;
  }
  (*this)[key] = std::move(value);
}

bool Dictionary::Erase(std::string_view key) {
  const DictionaryEntry* at = LowerBound(key);
  if (at == end() || at->key.View() != key) return false;
  List::erase(at);
  return true;
}

// --- Making and copying ------------------------------------------------------

ArrayPtr NewArray() { return ArrayPtr(new Array()); }
DictPtr NewDictionary() { return DictPtr(new Dictionary()); }

Value CloneValue(const Value& value) {
  if (value.IsArray()) {
    const Array* array = value.AsArray();
    return Value{array ? CloneArray(*array) : ArrayPtr()};
  }
  if (value.IsDictionary()) {
    const Dictionary* dictionary = value.AsDictionary();
    return Value{dictionary ? CloneDictionary(*dictionary) : DictPtr()};
  }
  return value;
}

ArrayPtr CloneArray(const Array& array) {
  ArrayPtr copy = NewArray();
  copy->reserve(array.size());
  for (const Value& item : array) copy->push_back(CloneValue(item));
  return copy;
}

DictPtr CloneDictionary(const Dictionary& dictionary) {
  DictPtr copy = NewDictionary();
  copy->Reserve(dictionary.size());
  for (const auto& [key, value] : dictionary) copy->Add(key, CloneValue(value));
  return copy;
}

bool Reaches(const Value& value, const void* target) {
  if (value.IsArray()) {
    const Array* array = value.AsArray();
    if (!array) return false;
    if (array == target) return true;
    for (const Value& item : *array) {
      if (Reaches(item, target)) return true;
    }
    return false;
  }
  if (value.IsDictionary()) {
    const Dictionary* dictionary = value.AsDictionary();
    if (!dictionary) return false;
    if (dictionary == target) return true;
    for (const auto& entry : *dictionary) {
      if (Reaches(entry.value, target)) return true;
    }
  }
  return false;
}

}  // namespace sim
