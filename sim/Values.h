// Dictionary values of the stand-in document: typed entries, arrays and
// dictionaries. Arrays and dictionaries are shared by reference, as the host
// shares them; Clone makes independent copies.
//
// A map holds a row of values for each of a million objects, so a value is
// 16 bytes: short text lies inside it, longer text in one shared block that
// copies of the value point to; an array keeps a few values inside itself;
// dictionary keys are interned. Reference counts are plain integers: the
// stand-in host runs the plug-in on one thread.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "host/AIEntrySuite.h"
#include "sim/SmallList.h"

namespace sim {

class Array;
class Dictionary;
class ValueSpill;

// A counted reference to an array or a dictionary; the count lives in the
// object, which is deleted when the last reference goes.
template <typename T>
class Ref {
 public:
  Ref() noexcept = default;
  Ref(std::nullptr_t) noexcept {}
  explicit Ref(T* object) noexcept : object(object) {
    if (object) ++object->refs;
  }
  Ref(const Ref& other) noexcept : Ref(other.object) {}
  Ref(Ref&& other) noexcept : object(std::exchange(other.object, nullptr)) {}
  Ref& operator=(Ref other) noexcept {
    std::swap(object, other.object);
    return *this;
  }
  ~Ref() {
    if (object && --object->refs == 0) delete object;
  }

  T* get() const noexcept { return object; }
  T& operator*() const noexcept { return *object; }
  T* operator->() const noexcept { return object; }
  explicit operator bool() const noexcept { return object != nullptr; }
  friend bool operator==(const Ref& a, const Ref& b) noexcept { return a.object == b.object; }
  friend bool operator==(const Ref& a, std::nullptr_t) noexcept { return a.object == nullptr; }

 private:
  T* object = nullptr;
};

using ArrayPtr = Ref<Array>;
using DictPtr = Ref<Dictionary>;

// A dictionary key: any bytes, one shared copy per distinct key in the process.
class Key {
 public:
  Key() : Key(std::string_view()) {}
  Key(std::string_view text);
  Key(const std::string& text) : Key(std::string_view(text)) {}
  Key(const char* text) : Key(std::string_view(text)) {}
  Key(const Key& other) noexcept;
  Key(Key&& other) noexcept : block(std::exchange(other.block, nullptr)) {}
  Key& operator=(Key other) noexcept {
    std::swap(block, other.block);
    return *this;
  }
  ~Key();

  std::string_view View() const noexcept;
  operator std::string_view() const noexcept { return View(); }
  friend bool operator==(const Key& a, const Key& b) noexcept { return a.block == b.block; }

  struct Block;

 private:
  Block* block;
};

class Value {
 public:
  Value() noexcept { bits.none = {Kind::none}; }
  Value(int32_t number) noexcept { bits.integer = {Kind::integer, number}; }
  // Only a bool: a pointer or a number must not become one unasked.
  template <typename B, std::enable_if_t<std::is_same_v<B, bool>, int> = 0>
  Value(B flag) noexcept {
    bits.boolean = {Kind::boolean, flag};
  }
  Value(double number) noexcept { bits.real = {Kind::real, number}; }
  Value(std::u16string_view text);
  Value(const std::u16string& text) : Value(std::u16string_view(text)) {}
  Value(const char16_t* text) : Value(std::u16string_view(text)) {}
  Value(ArrayPtr array) noexcept;
  Value(DictPtr dictionary) noexcept;
  Value(const Value& other) noexcept : bits(other.bits) { Retain(); }
  Value(Value&& other) noexcept : bits(other.bits) { other.bits.none = {Kind::none}; }
  Value& operator=(Value other) noexcept {
    std::swap(bits, other.bits);
    return *this;
  }
  ~Value() { Release(); }

  AIEntryType Type() const noexcept;
  bool IsNone() const noexcept { return KindOf() == Kind::none; }
  bool IsInt() const noexcept { return KindOf() == Kind::integer; }
  bool IsBool() const noexcept { return KindOf() == Kind::boolean; }
  bool IsReal() const noexcept { return KindOf() == Kind::real; }
  bool IsString() const noexcept { return KindOf() == Kind::shortText || KindOf() == Kind::longText; }
  bool IsArray() const noexcept { return KindOf() == Kind::array; }
  bool IsDictionary() const noexcept { return KindOf() == Kind::dictionary; }

  // Each throws std::logic_error when the value is of another type.
  int32_t Int() const;
  bool Bool() const;
  double Real() const;
  std::u16string_view String() const;  // valid while this value is alive and unchanged
  Array* AsArray() const;              // null for a null array
  Dictionary* AsDictionary() const;    // null for a null dictionary
  ArrayPtr SharedArray() const;
  DictPtr SharedDictionary() const;

  // Whether two string values share one block of text (copies of a long
  // string do); for tests of sharing.
  bool SharesTextWith(const Value& other) const noexcept;

  // Code units of text that fit inside a value.
  static constexpr size_t kInlineUnits = 7;

 private:
  enum class Kind : uint8_t { none, integer, boolean, real, shortText, longText, array, dictionary };
  struct TextBlock;

  // Every form starts with its kind, so the kind reads through any of them.
  union Bits {
    struct {
      Kind kind;
    } none;
    struct {
      Kind kind;
      int32_t number;
    } integer;
    struct {
      Kind kind;
      bool flag;
    } boolean;
    struct {
      Kind kind;
      double number;
    } real;
    struct {
      Kind kind;
      uint8_t length;
      char16_t units[kInlineUnits];
    } shortText;
    struct {
      Kind kind;
      TextBlock* block;
    } longText;
    struct {
      Kind kind;
      Array* array;
    } array;
    struct {
      Kind kind;
      Dictionary* dictionary;
    } dictionary;
  } bits;

  Kind KindOf() const noexcept { return bits.none.kind; }
  void Retain() noexcept;
  void Release() noexcept;
  [[noreturn]] void Mismatch(const char* wanted) const;
};

static_assert(sizeof(Value) == 16);

// The entries of one item of an array, read in place: a row of a compact
// array is not made into an array object to be read.
class RowEntries {
 public:
  RowEntries() noexcept = default;
  RowEntries(const Value* head, size_t headCount, const Value* last) noexcept
      : head(head), headCount(headCount), last(last) {}
  size_t size() const noexcept { return headCount + (last ? 1 : 0); }
  const Value& operator[](size_t index) const noexcept { return index < headCount ? head[index] : *last; }

 private:
  const Value* head = nullptr;
  size_t headCount = 0;
  const Value* last = nullptr;
};

// A list of values. A map keeps one array of fields per object, each field
// an array of a name, its type, digits, decimals and value, and all but the
// value are the same on every object of a layer. Such an array is kept
// compact while nobody holds its items: the shared entries once per process
// (an interned schema), the last entry of each item inline. Anything that
// needs the items as objects makes them first, in place, so every reference
// to the array stays valid; compacting happens only when no item is held
// anywhere else, so nobody can tell the two forms apart.
class Array : private SmallList<Value, 5> {
  friend class Ref<Array>;
  friend class Value;
  friend class ValueSpill;
  using List = SmallList<Value, 5>;

 public:
  struct Schema;

  Array() noexcept = default;
  ~Array();

  Array& operator=(std::initializer_list<Value> items) {
    clear();
    List::operator=(items);
    return *this;
  }

  size_t size() const noexcept { return List::size(); }
  bool empty() const noexcept { return List::empty(); }

  // Access to the items as values makes a compact array's items first.
  Value* begin() { return Expanded().List::begin(); }
  Value* end() { return Expanded().List::end(); }
  const Value* begin() const { return Expanded().List::begin(); }
  const Value* end() const { return Expanded().List::end(); }
  Value& operator[](size_t index) { return Expanded().List::operator[](index); }
  const Value& operator[](size_t index) const { return Expanded().List::operator[](index); }
  Value& at(size_t index) { return Expanded().List::at(index); }
  const Value& at(size_t index) const { return Expanded().List::at(index); }
  void reserve(size_t count) { Expanded().List::reserve(count); }
  void push_back(Value value) { Expanded().List::push_back(std::move(value)); }
  // The position comes from begin(), which has made the items already.
  Value* insert(const Value* at, Value value) { return Expanded().List::insert(at, std::move(value)); }
  Value* erase(const Value* at) { return Expanded().List::erase(at); }
  void clear() noexcept;

  // Reads that never make items: the entries of the item at index when it is
  // an array (nothing when it is not, or a null array).
  std::optional<RowEntries> Entries(size_t index) const;
  bool IsCompact() const noexcept { return schema && !opened; }
  // Makes the items of a compact array; does nothing to others.
  void Expand();
  // Keeps the array compact when every item is an array held only here, all
  // of one length, holding only numbers, booleans, text and nothing; true
  // when the array is compact afterwards.
  bool Compact();
  // Whether two compact arrays share their schema; for tests of sharing.
  bool SharesSchemaWith(const Array& other) const noexcept {
    return IsCompact() && other.IsCompact() && schema == other.schema;
  }
  // Schemas alive in the process.
  static size_t SchemaCount();

 private:
  Array& Expanded() const {
    if (IsCompact()) const_cast<Array*>(this)->Expand();
    return *const_cast<Array*>(this);
  }

  // Keeps the rows compact under the schema, which holds their shared entries.
  bool Shrink(Schema* kept) noexcept;
  // A reference to a schema more or less, for holders outside arrays.
  static void HoldSchema(Schema* schema) noexcept;
  static void DropSchema(Schema* schema) noexcept;

  friend ArrayPtr CloneArray(const Array& array);
  friend bool Reaches(const Value& value, const void* target);

  Schema* schema = nullptr;
  // The items are made; schema is the one they had while compact, kept so
  // that compacting them again, unchanged, needs no look-up.
  bool opened = false;
};

struct DictionaryEntry {
  Key key;
  Value value;
};

// Entries kept in the order of their keys' bytes, so output is stable.
class Dictionary : private SmallList<DictionaryEntry, 1> {
  friend class Ref<Dictionary>;
  friend class Value;
  friend class ValueSpill;
  using List = SmallList<DictionaryEntry, 1>;

 public:
  using List::begin;
  using List::empty;
  using List::end;
  using List::size;

  Value* Find(std::string_view key);
  const Value* Find(std::string_view key) const;
  bool Has(std::string_view key) const { return Find(key) != nullptr; }
  // The value under the key, added as none when the key is new.
  Value& operator[](const Key& key);
  // Adds or replaces.
  void Set(const Key& key, Value value) { (*this)[key] = std::move(value); }
  // Adds a key known not to be there yet, quickly when keys come in order.
  void Add(const Key& key, Value value);
  bool Erase(std::string_view key);
  void Reserve(size_t count) { List::reserve(count); }

 private:
  const DictionaryEntry* LowerBound(std::string_view key) const;
};

ArrayPtr NewArray();
DictPtr NewDictionary();

// Deep copies.
Value CloneValue(const Value& value);
ArrayPtr CloneArray(const Array& array);
DictPtr CloneDictionary(const Dictionary& dictionary);

// True when the value is, or holds at any depth, the container at target.
// Storing such a value inside target would make a cycle.
bool Reaches(const Value& value, const void* target);

}  // namespace sim
