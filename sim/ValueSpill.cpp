#include "sim/ValueSpill.h"

#include <cstring>
#include <stdexcept>

namespace sim {

namespace {

enum class Tag : uint8_t { none, integer, boolean, real, text, list, rows, dictionary, nullArray, nullDictionary };

// Deeper than any file may nest, so a record that does is broken.
constexpr size_t kMaxDepth = 256;

void Put(std::string& out, const void* bytes, size_t size) { out.append(static_cast<const char*>(bytes), size); }

template <typename T>
void PutPlain(std::string& out, T value) {
  Put(out, &value, sizeof value);
}

void Take(ValueSpill::Input& in, void* bytes, size_t size) {
  if (static_cast<size_t>(in.end - in.cursor) < size) ValueSpill::Broken();
  std::memcpy(bytes, in.cursor, size);
  in.cursor += size;
}

template <typename T>
T TakePlain(ValueSpill::Input& in) {
  T value;
  Take(in, &value, sizeof value);
  return value;
}

}  // namespace

void ValueSpill::Broken() { throw std::runtime_error("art set aside on disk came back damaged"); }

void ValueSpill::PutCount(std::string& out, uint64_t value) {
  while (value >= 0x80) {
    out.push_back(static_cast<char>(value | 0x80));
    value >>= 7;
  }
  out.push_back(static_cast<char>(value));
}

uint64_t ValueSpill::TakeCount(Input& in) {
  uint64_t value = 0;
  for (int shift = 0; shift < 64; shift += 7) {
    const auto byte = TakePlain<uint8_t>(in);
    value |= static_cast<uint64_t>(byte & 0x7F) << shift;
    if (byte < 0x80) return value;
  }
  Broken();
}

ValueSpill::~ValueSpill() {
  for (Array::Schema* schema : schemas) Array::DropSchema(schema);
}

bool ValueSpill::HeldAlone(const Dictionary& dictionary) {
  if (dictionary.refs != 1) return false;
  for (const DictionaryEntry& entry : dictionary)
    if (!HeldAloneValue(entry.value)) return false;
  return true;
}

bool ValueSpill::HeldAloneValue(const Value& value) {
  if (value.IsArray()) {
    const Array* array = value.AsArray();
    if (!array) return true;
    if (array->refs != 1) return false;
    if (array->IsCompact()) return true;
    for (const Value& item : *array)
      if (!HeldAloneValue(item)) return false;
    return true;
  }
  if (value.IsDictionary()) {
    const Dictionary* dictionary = value.AsDictionary();
    return !dictionary || HeldAlone(*dictionary);
  }
  return true;
}

void ValueSpill::Write(const Dictionary* dictionary, std::string& out) {
  if (!dictionary) {
    PutPlain(out, Tag::nullDictionary);
    return;
  }
  PutPlain(out, Tag::dictionary);
  PutCount(out, dictionary->size());
  for (const DictionaryEntry& entry : *dictionary) {
    const void* identity = entry.key.View().data();
    auto [at, fresh] = keyIndex.try_emplace(identity, static_cast<uint32_t>(keys.size()));
    if (fresh) keys.push_back(entry.key);
    PutCount(out, at->second);
    WriteValue(entry.value, out);
  }
}

void ValueSpill::WriteValue(const Value& value, std::string& out) {
  if (value.IsInt()) {
    PutPlain(out, Tag::integer);
    PutPlain(out, value.Int());
  } else if (value.IsBool()) {
    PutPlain(out, Tag::boolean);
    PutPlain(out, static_cast<uint8_t>(value.Bool()));
  } else if (value.IsReal()) {
    PutPlain(out, Tag::real);
    PutPlain(out, value.Real());
  } else if (value.IsString()) {
    const std::u16string_view text = value.String();
    PutPlain(out, Tag::text);
    PutCount(out, text.size());
    Put(out, text.data(), text.size() * sizeof(char16_t));
  } else if (value.IsArray()) {
    const Array* array = value.AsArray();
    if (!array) {
      PutPlain(out, Tag::nullArray);
    } else if (array->IsCompact()) {
      auto [at, fresh] = schemaIndex.try_emplace(array->schema, static_cast<uint32_t>(schemas.size()));
      if (fresh) {
        Array::HoldSchema(array->schema);
        schemas.push_back(array->schema);
      }
      PutPlain(out, Tag::rows);
      PutCount(out, at->second);
      PutCount(out, array->size());
      for (const Value& last : static_cast<const Array::List&>(*array)) WriteValue(last, out);
    } else {
      PutPlain(out, Tag::list);
      PutCount(out, array->size());
      for (const Value& item : *array) WriteValue(item, out);
    }
  } else if (value.IsDictionary()) {
    Write(value.AsDictionary(), out);
  } else {
    PutPlain(out, Tag::none);
  }
}

DictPtr ValueSpill::Read(Input& in) {
  const auto tag = TakePlain<Tag>(in);
  if (tag == Tag::nullDictionary) return nullptr;
  if (tag != Tag::dictionary) Broken();
  return ReadDictionary(in, 0);
}

DictPtr ValueSpill::ReadDictionary(Input& in, size_t depth) {
  const uint64_t count = TakeCount(in);
  if (count > static_cast<uint64_t>(in.end - in.cursor)) Broken();
  DictPtr dictionary = NewDictionary();
  dictionary->Reserve(count);
  for (uint64_t i = 0; i < count; ++i) {
    const uint64_t key = TakeCount(in);
    if (key >= keys.size()) Broken();
    dictionary->Add(keys[key], ReadValue(in, depth + 1));
  }
  return dictionary;
}

Value ValueSpill::ReadValue(Input& in, size_t depth) {
  if (depth > kMaxDepth) Broken();
  switch (TakePlain<Tag>(in)) {
    case Tag::none: return Value();
    case Tag::integer: return Value(TakePlain<int32_t>(in));
    case Tag::boolean: return Value(TakePlain<uint8_t>(in) != 0);
    case Tag::real: return Value(TakePlain<double>(in));
    case Tag::text: {
      const uint64_t length = TakeCount(in);
      if (length > static_cast<uint64_t>(in.end - in.cursor) / sizeof(char16_t)) Broken();
      std::u16string text(length, u'\0');
      Take(in, text.data(), length * sizeof(char16_t));
      return Value(std::u16string_view(text));
    }
    case Tag::nullArray: return Value(ArrayPtr());
    case Tag::list: {
      const uint64_t count = TakeCount(in);
      if (count > static_cast<uint64_t>(in.end - in.cursor)) Broken();
      ArrayPtr array = NewArray();
      array->reserve(count);
      for (uint64_t i = 0; i < count; ++i) array->push_back(ReadValue(in, depth + 1));
      return Value(std::move(array));
    }
    case Tag::rows: {
      const uint64_t index = TakeCount(in);
      const uint64_t count = TakeCount(in);
      if (index >= schemas.size() || count > static_cast<uint64_t>(in.end - in.cursor)) Broken();
      ArrayPtr array = NewArray();
      array->List::reserve(count);
      for (uint64_t i = 0; i < count; ++i) array->List::push_back(ReadValue(in, depth + 1));
      Array::HoldSchema(schemas[index]);
      array->schema = schemas[index];
      return Value(std::move(array));
    }
    case Tag::nullDictionary: return Value(DictPtr());
    case Tag::dictionary: return Value(ReadDictionary(in, depth + 1));
  }
  Broken();
}

}  // namespace sim
