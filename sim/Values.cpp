#include "sim/Values.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <unordered_map>
#include <vector>

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

// --- Compact arrays ----------------------------------------------------------

// The entries that every row of a compact array holds before its last one,
// row after row; one per distinct content in the process, found by content
// and forgotten when its last array goes.
struct Array::Schema {
  uint32_t refs;
  uint32_t rows;
  uint32_t length;  // entries of each row, the last one kept in the array
  size_t hash;
  size_t HeadCount() const { return length - 1; }
  Value* Heads() { return reinterpret_cast<Value*>(this + 1); }
};

namespace {

static_assert(sizeof(Array::Schema) % alignof(Value) == 0);

using SchemaTable = std::unordered_multimap<size_t, Array::Schema*>;

// Never destroyed, as the table of keys.
SchemaTable& Schemas() {
  static SchemaTable* schemas = new SchemaTable();
  return *schemas;
}

// The schema found last: rows come layer by layer, most of a layer's rows
// alike, so it is tried before any look-up. Not counted; forgotten when the
// schema goes.
Array::Schema* recentSchema = nullptr;

bool IsScalar(const Value& value) { return !value.IsArray() && !value.IsDictionary(); }

size_t Mix(size_t seed, size_t hash) { return seed ^ (hash + 0x9E3779B97F4A7C15ull + (seed << 6) + (seed >> 2)); }

size_t HashScalar(const Value& value) {
  size_t hash = static_cast<size_t>(value.Type());
  if (value.IsInt()) return Mix(hash, std::hash<int32_t>()(value.Int()));
  if (value.IsBool()) return Mix(hash, value.Bool() ? 1 : 0);
  // Hashed by value, compared by bits: 0 and -0 meet and are told apart.
  if (value.IsReal()) return Mix(hash, std::hash<double>()(value.Real()));
  if (value.IsString()) return Mix(hash, std::hash<std::u16string_view>()(value.String()));
  return hash;
}

// Equal as the plug-in could tell: numbers bit for bit (0 and -0 differ),
// text by its units.
bool SameScalar(const Value& a, const Value& b) {
  if (a.Type() != b.Type()) return false;
  if (a.IsInt()) return a.Int() == b.Int();
  if (a.IsBool()) return a.Bool() == b.Bool();
  if (a.IsReal()) return std::bit_cast<uint64_t>(a.Real()) == std::bit_cast<uint64_t>(b.Real());
  if (a.IsString()) return a.String() == b.String();
  return true;
}

void ReleaseSchema(Array::Schema* schema) noexcept {
  if (--schema->refs > 0) return;
  if (recentSchema == schema) recentSchema = nullptr;
  SchemaTable& schemas = Schemas();
  for (auto [at, end] = schemas.equal_range(schema->hash); at != end; ++at) {
    if (at->second == schema) {
      schemas.erase(at);
      break;
    }
  }
  std::destroy_n(schema->Heads(), static_cast<size_t>(schema->rows) * schema->HeadCount());
  schema->~Schema();
  ::operator delete(schema);
}

}  // namespace

void Array::HoldSchema(Schema* schema) noexcept { ++schema->refs; }
void Array::DropSchema(Schema* schema) noexcept { ReleaseSchema(schema); }

Array::~Array() {
  if (schema) ReleaseSchema(schema);
}

void Array::clear() noexcept {
  List::clear();
  if (schema) ReleaseSchema(std::exchange(schema, nullptr));
  opened = false;
}

size_t Array::SchemaCount() { return Schemas().size(); }

std::optional<RowEntries> Array::Entries(size_t index) const {
  const Value& item = List::operator[](index);
  if (IsCompact()) {
    const size_t heads = schema->HeadCount();
    return RowEntries(schema->Heads() + index * heads, heads, &item);
  }
  if (!item.IsArray() || !item.AsArray()) return std::nullopt;
  const Array& row = item.AsArray()->Expanded();
  if (row.empty()) return RowEntries();
  const Value* entries = row.List::data();
  return RowEntries(entries, row.size() - 1, entries + row.size() - 1);
}

void Array::Expand() {
  if (!IsCompact()) return;
  const size_t rows = size();
  const size_t heads = schema->HeadCount();
  const Value* head = schema->Heads();
  std::vector<ArrayPtr> made;
  made.reserve(rows);
  for (size_t i = 0; i < rows; ++i) {
    ArrayPtr row = NewArray();
    row->List::reserve(heads + 1);
    for (size_t j = 0; j < heads; ++j) row->List::push_back(head[i * heads + j]);
    made.push_back(std::move(row));
  }
  // Nothing below allocates: the rows have room for their last entries.
  for (size_t i = 0; i < rows; ++i) {
    made[i]->List::push_back(std::move(List::operator[](i)));
    List::operator[](i) = Value{std::move(made[i])};
  }
  opened = true;
}

bool Array::Compact() {
  if (IsCompact()) return true;
  const size_t rows = size();
  if (rows == 0) return false;
  const Value* items = List::data();
  size_t length = 0;
  for (size_t i = 0; i < rows; ++i) {
    if (!items[i].IsArray()) return false;
    const Array* row = items[i].AsArray();
    // A row held anywhere else must stay the object it is.
    if (!row || row->refs != 1 || row->IsCompact()) return false;
    if (i == 0) length = row->size();
    if (length == 0 || row->size() != length) return false;
    const Value* entries = row->List::data();
    for (size_t j = 0; j < length; ++j)
      if (!IsScalar(entries[j])) return false;
  }
  const size_t heads = length - 1;
  const auto headOf = [&](size_t i, size_t j) -> const Value& { return items[i].AsArray()->List::operator[](j); };
  const auto holds = [&](Schema* candidate) {
    if (candidate->rows != rows || candidate->length != length) return false;
    for (size_t i = 0; i < rows; ++i)
      for (size_t j = 0; j < heads; ++j)
        if (!SameScalar(candidate->Heads()[i * heads + j], headOf(i, j))) return false;
    return true;
  };

  // Most often the rows were only read since they were compact.
  Schema* found = schema && holds(schema) ? schema : nullptr;
  if (found) return Shrink(found);
  if (recentSchema && holds(recentSchema)) {
    ++recentSchema->refs;
    if (schema) ReleaseSchema(schema);
    schema = recentSchema;
    return Shrink(schema);
  }
  size_t hash = rows;
  for (size_t i = 0; i < rows; ++i)
    for (size_t j = 0; j < heads; ++j) hash = Mix(hash, HashScalar(headOf(i, j)));
  hash = Mix(hash, length);
  SchemaTable& schemas = Schemas();
  for (auto [at, end] = schemas.equal_range(hash); at != end && !found; ++at)
    if (holds(at->second)) found = at->second;
  if (found) {
    ++found->refs;
  } else {
    void* memory = ::operator new(sizeof(Schema) + rows * heads * sizeof(Value));
    found = new (memory) Schema{1, static_cast<uint32_t>(rows), static_cast<uint32_t>(length), hash};
    Value* head = found->Heads();
    for (size_t i = 0; i < rows; ++i)
      for (size_t j = 0; j < heads; ++j) new (head + i * heads + j) Value(headOf(i, j));
    try {
      schemas.emplace(hash, found);
    } catch (...) {
      --found->refs;
      std::destroy_n(head, rows * heads);
      ::operator delete(memory);
      throw;
    }
  }
  if (schema) ReleaseSchema(schema);
  schema = found;
  recentSchema = found;
  return Shrink(schema);
}

bool Array::Shrink(Schema* kept) noexcept {
  // Each row gives up its last entry and goes.
  const size_t last = kept->length - 1;
  for (size_t i = 0; i < size(); ++i) {
    Value entry = std::move(List::operator[](i).AsArray()->List::operator[](last));
    List::operator[](i) = std::move(entry);
  }
  opened = false;
  return true;
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
  if (array.IsCompact()) {
    // A clone of a compact array is compact: its last entries are scalars.
    copy->List::reserve(array.size());
    for (const Value& last : static_cast<const Array::List&>(array)) copy->List::push_back(last);
    copy->schema = array.schema;
    ++copy->schema->refs;
    return copy;
  }
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
    // The rows of a compact array hold no containers and are no objects.
    if (array->IsCompact()) return false;
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
