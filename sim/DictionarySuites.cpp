// The stand-in Dictionary, Array and Entry suites.
#include "sim/HostSuites.h"
#include "sim/SuiteSupport.h"

namespace sim {

namespace {

using namespace support;

DictPtr DictOf(AIDictionaryRef ref) { return H() ? H()->Refs().dictionaries.Find(ref) : nullptr; }
ArrayPtr ArrayOf(AIArrayRef ref) { return H() ? H()->Refs().arrays.Find(ref) : nullptr; }
std::shared_ptr<EntryBox> EntryOf(AIEntryRef ref) { return H() ? H()->Refs().entries.Find(ref) : nullptr; }
const std::string* KeyName(AIDictKey key) { return reinterpret_cast<const std::string*>(key); }

AIDictionaryRef Hand(DictPtr dictionary) {
  return HandleTo<AIDictionaryRef>(H()->Refs().dictionaries.Add(std::move(dictionary)));
}
// The items of an array as objects, for the plug-in to read or change; a
// compact array is opened, and the host compacts it again once its rows are
// let go.
Array& Open(const ArrayPtr& array) {
  if (array->IsCompact()) {
    array->Expand();
    H()->NoteOpenedRows(array);
  }
  return *array;
}

AIArrayRef Hand(ArrayPtr array) { return HandleTo<AIArrayRef>(H()->Refs().arrays.Add(std::move(array))); }
AIEntryRef Hand(Value value) {
  return HandleTo<AIEntryRef>(H()->Refs().entries.Add(std::make_shared<EntryBox>(EntryBox{std::move(value)})));
}

// Typed reads of a value slot, shared by arrays, dictionaries and entries.
AIErr ReadInteger(const Value& slot, int32_t* out) {
  SIM_REQUIRE(out, kBadParameterErr);
  SIM_REQUIRE(slot.IsInt(), kWrongEntryTypeErr);
  *out = slot.Int();
  return kNoErr;
}

AIErr ReadReal(const Value& slot, AIReal* out) {
  SIM_REQUIRE(out, kBadParameterErr);
  SIM_REQUIRE(slot.IsReal(), kWrongEntryTypeErr);
  *out = static_cast<AIReal>(slot.Real());
  return kNoErr;
}

AIErr ReadBoolean(const Value& slot, AIBoolean* out) {
  SIM_REQUIRE(out, kBadParameterErr);
  SIM_REQUIRE(slot.IsBool(), kWrongEntryTypeErr);
  *out = slot.Bool();
  return kNoErr;
}

AIErr ReadString(const Value& slot, AIUnicodeStringRef* out) {
  SIM_REQUIRE(out, kBadParameterErr);
  SIM_REQUIRE(slot.IsString(), kWrongEntryTypeErr);
  *out = NewString(std::u16string(slot.String()));
  return kNoErr;
}

// A null array or dictionary is handed out as it was before: a handle to nothing.
AIErr ReadArray(const Value& slot, AIArrayRef* out) {
  SIM_REQUIRE(out, kBadParameterErr);
  SIM_REQUIRE(slot.IsArray(), kWrongEntryTypeErr);
  *out = Hand(slot.SharedArray());
  return kNoErr;
}

AIErr ReadDict(const Value& slot, AIDictionaryRef* out) {
  SIM_REQUIRE(out, kBadParameterErr);
  SIM_REQUIRE(slot.IsDictionary(), kWrongEntryTypeErr);
  *out = Hand(slot.SharedDictionary());
  return kNoErr;
}

// The value an entry, array or dictionary handle stands for, to be stored
// in the container at target; cycles are refused.
AIErr ValueOfEntry(AIEntryRef entry, const void* target, Value* value) {
  auto box = EntryOf(entry);
  SIM_REQUIRE(box, kBadParameterErr);
  SIM_REQUIRE(!Reaches(box->value, target), kBadParameterErr);
  *value = box->value;
  return kNoErr;
}

AIErr ValueOfArray(AIArrayRef array, const void* target, Value* value) {
  auto stored = ArrayOf(array);
  SIM_REQUIRE(stored, kBadParameterErr);
  *value = Value{stored};
  SIM_REQUIRE(!Reaches(*value, target), kBadParameterErr);
  return kNoErr;
}

AIErr ValueOfDict(AIDictionaryRef dictionary, const void* target, Value* value) {
  auto stored = DictOf(dictionary);
  SIM_REQUIRE(stored, kBadParameterErr);
  *value = Value{stored};
  SIM_REQUIRE(!Reaches(*value, target), kBadParameterErr);
  return kNoErr;
}

// --- Dictionary --------------------------------------------------------------

AIErr DictKey(const char* name, AIDictKey* key) {
  SIM_REQUIRE(name && key, kBadParameterErr);
  SIM_REQUIRE(H(), kCantHappenErr);
  *key = H()->Key(name);
  return kNoErr;
}

AIErr GetKeyString(AIDictKey key, const char** name) {
  SIM_REQUIRE(key && name, kBadParameterErr);
  *name = KeyName(key)->c_str();
  return kNoErr;
}

AIErr CreateDictionary(AIDictionaryRef* dictionary) {
  SIM_REQUIRE(dictionary, kBadParameterErr);
  SIM_REQUIRE(H(), kCantHappenErr);
  *dictionary = Hand(NewDictionary());
  return kNoErr;
}

AIErr DictAddRef(AIDictionaryRef dictionary) {
  return H() && H()->Refs().dictionaries.AddRef(dictionary) ? kNoErr : kBadParameterErr;
}

AIErr DictRelease(AIDictionaryRef dictionary) {
  return H() && H()->Refs().dictionaries.Release(dictionary) ? kNoErr : kBadParameterErr;
}

AIErr DictClone(AIDictionaryRef source, AIDictionaryRef* copy) {
  SIM_REQUIRE(copy, kBadParameterErr);
  auto dictionary = DictOf(source);
  SIM_REQUIRE(dictionary, kBadParameterErr);
  *copy = Hand(CloneDictionary(*dictionary));
  return kNoErr;
}

AIErr DictSize(AIDictionaryRef ref, int32_t* count) {
  SIM_REQUIRE(count, kBadParameterErr);
  auto dictionary = DictOf(ref);
  SIM_REQUIRE(dictionary, kBadParameterErr);
  *count = static_cast<int32_t>(dictionary->size());
  return kNoErr;
}

AIErr IsKnown(AIDictionaryRef ref, AIDictKey key, AIBoolean* known) {
  SIM_REQUIRE(key && known, kBadParameterErr);
  auto dictionary = DictOf(ref);
  SIM_REQUIRE(dictionary, kBadParameterErr);
  *known = dictionary->Has(*KeyName(key));
  return kNoErr;
}

AIErr DictDeleteEntry(AIDictionaryRef ref, AIDictKey key) {
  SIM_REQUIRE(key, kBadParameterErr);
  auto dictionary = DictOf(ref);
  SIM_REQUIRE(dictionary, kBadParameterErr);
  return dictionary->Erase(*KeyName(key)) ? kNoErr : kNoSuchKeyErr;
}

// The slot under the key, or an error.
AIErr Slot(AIDictionaryRef ref, AIDictKey key, Value** slot) {
  SIM_REQUIRE(key, kBadParameterErr);
  auto dictionary = DictOf(ref);
  SIM_REQUIRE(dictionary, kBadParameterErr);
  Value* found = dictionary->Find(*KeyName(key));
  SIM_REQUIRE(found, kNoSuchKeyErr);
  *slot = found;
  return kNoErr;
}

AIErr Store(AIDictionaryRef ref, AIDictKey key, Value value) {
  SIM_REQUIRE(key, kBadParameterErr);
  auto dictionary = DictOf(ref);
  SIM_REQUIRE(dictionary, kBadParameterErr);
  dictionary->Set(*KeyName(key), std::move(value));
  return kNoErr;
}

AIErr DictGetEntryType(AIDictionaryRef ref, AIDictKey key, AIEntryType* type) {
  SIM_REQUIRE(type, kBadParameterErr);
  Value* slot = nullptr;
  if (const AIErr error = Slot(ref, key, &slot)) return error;
  *type = slot->Type();
  return kNoErr;
}

AIErr DictGetEntry(AIDictionaryRef ref, AIDictKey key, AIEntryRef* entry) {
  SIM_REQUIRE(entry, kBadParameterErr);
  Value* slot = nullptr;
  if (const AIErr error = Slot(ref, key, &slot)) return error;
  *entry = Hand(*slot);
  return kNoErr;
}

AIErr DictSetEntry(AIDictionaryRef ref, AIDictKey key, AIEntryRef entry) {
  Value value;
  if (const AIErr error = ValueOfEntry(entry, DictOf(ref).get(), &value)) return error;
  return Store(ref, key, std::move(value));
}

template <typename Out, AIErr (*Reader)(const Value&, Out*)>
AIErr DictGet(AIDictionaryRef ref, AIDictKey key, Out* out) {
  SIM_REQUIRE(out, kBadParameterErr);
  Value* slot = nullptr;
  if (const AIErr error = Slot(ref, key, &slot)) return error;
  return Reader(*slot, out);
}

AIErr DictGetInteger(AIDictionaryRef ref, AIDictKey key, int32_t* value) {
  return DictGet<int32_t, ReadInteger>(ref, key, value);
}
AIErr DictSetInteger(AIDictionaryRef ref, AIDictKey key, int32_t value) { return Store(ref, key, Value{value}); }
AIErr DictGetBoolean(AIDictionaryRef ref, AIDictKey key, AIBoolean* value) {
  return DictGet<AIBoolean, ReadBoolean>(ref, key, value);
}
AIErr DictSetBoolean(AIDictionaryRef ref, AIDictKey key, AIBoolean value) { return Store(ref, key, Value{value != 0}); }
AIErr DictGetReal(AIDictionaryRef ref, AIDictKey key, AIReal* value) { return DictGet<AIReal, ReadReal>(ref, key, value); }
AIErr DictSetReal(AIDictionaryRef ref, AIDictKey key, AIReal value) {
  return Store(ref, key, Value{static_cast<double>(value)});
}
AIErr DictGetString(AIDictionaryRef ref, AIDictKey key, AIUnicodeStringRef* value) {
  return DictGet<AIUnicodeStringRef, ReadString>(ref, key, value);
}
AIErr DictSetString(AIDictionaryRef ref, AIDictKey key, AIUnicodeStringRef value) {
  SIM_REQUIRE(value, kBadParameterErr);
  return Store(ref, key, Value{UnitsOf(value)});
}
AIErr DictGetArray(AIDictionaryRef ref, AIDictKey key, AIArrayRef* value) {
  return DictGet<AIArrayRef, ReadArray>(ref, key, value);
}
AIErr DictSetArray(AIDictionaryRef ref, AIDictKey key, AIArrayRef array) {
  Value value;
  if (const AIErr error = ValueOfArray(array, DictOf(ref).get(), &value)) return error;
  return Store(ref, key, std::move(value));
}
AIErr DictGetDict(AIDictionaryRef ref, AIDictKey key, AIDictionaryRef* value) {
  return DictGet<AIDictionaryRef, ReadDict>(ref, key, value);
}
AIErr DictSetDict(AIDictionaryRef ref, AIDictKey key, AIDictionaryRef dictionary) {
  Value value;
  if (const AIErr error = ValueOfDict(dictionary, DictOf(ref).get(), &value)) return error;
  return Store(ref, key, std::move(value));
}

const AIDictionarySuite dictionarySuite = {
    DictKey,        GetKeyString,   CreateDictionary, DictAddRef,     DictRelease,    DictClone,
    DictSize,       IsKnown,        DictDeleteEntry,  DictGetEntryType, DictGetEntry, DictSetEntry,
    DictGetInteger, DictSetInteger, DictGetBoolean,   DictSetBoolean, DictGetReal,    DictSetReal,
    DictGetString,  DictSetString,  DictGetArray,     DictSetArray,   DictGetDict,    DictSetDict,
};

// --- Array -----------------------------------------------------------------

AIErr CreateArray(AIArrayRef* array) {
  SIM_REQUIRE(array, kBadParameterErr);
  SIM_REQUIRE(H(), kCantHappenErr);
  *array = Hand(NewArray());
  return kNoErr;
}

AIErr ArrayAddRef(AIArrayRef array) { return H() && H()->Refs().arrays.AddRef(array) ? kNoErr : kBadParameterErr; }
// The plug-in's last handle to an array going is when its rows are most
// likely let go as well.
AIErr ArrayRelease(AIArrayRef array) {
  ArrayPtr last;
  if (!H() || !H()->Refs().arrays.Release(array, last)) return kBadParameterErr;
  if (last) last->Compact();
  return kNoErr;
}

AIErr ArrayClone(AIArrayRef source, AIArrayRef* copy) {
  SIM_REQUIRE(copy, kBadParameterErr);
  auto array = ArrayOf(source);
  SIM_REQUIRE(array, kBadParameterErr);
  *copy = Hand(CloneArray(*array));
  return kNoErr;
}

AIErr Count(AIArrayRef ref, int32_t* count) {
  SIM_REQUIRE(count, kBadParameterErr);
  auto array = ArrayOf(ref);
  SIM_REQUIRE(array, kBadParameterErr);
  *count = static_cast<int32_t>(array->size());
  return kNoErr;
}

AIErr Item(AIArrayRef ref, int32_t index, Value** slot) {
  auto array = ArrayOf(ref);
  SIM_REQUIRE(array, kBadParameterErr);
  SIM_REQUIRE(index >= 0 && static_cast<size_t>(index) < array->size(), kIndexOutOfRangeErr);
  *slot = &Open(array)[static_cast<size_t>(index)];
  return kNoErr;
}

AIErr ArrayDeleteEntry(AIArrayRef ref, int32_t index) {
  Value* slot = nullptr;
  if (const AIErr error = Item(ref, index, &slot)) return error;
  Array& array = Open(ArrayOf(ref));
  array.erase(array.begin() + index);
  return kNoErr;
}

AIErr InsertInto(Array& array, int32_t index, AIEntryRef entry) {
  SIM_REQUIRE(index >= 0 && static_cast<size_t>(index) <= array.size(), kIndexOutOfRangeErr);
  Value value;
  if (const AIErr error = ValueOfEntry(entry, &array, &value)) return error;
  array.insert(array.begin() + index, std::move(value));
  return kNoErr;
}

AIErr InsertEntry(AIArrayRef ref, int32_t index, AIEntryRef entry) {
  auto array = ArrayOf(ref);
  SIM_REQUIRE(array, kBadParameterErr);
  return InsertInto(Open(array), index, entry);
}

AIErr AppendEntry(AIArrayRef ref, AIEntryRef entry) {
  auto array = ArrayOf(ref);
  SIM_REQUIRE(array, kBadParameterErr);
  return InsertInto(Open(array), static_cast<int32_t>(array->size()), entry);
}

AIErr ArrayGetEntry(AIArrayRef ref, int32_t index, AIEntryRef* entry) {
  SIM_REQUIRE(entry, kBadParameterErr);
  Value* slot = nullptr;
  if (const AIErr error = Item(ref, index, &slot)) return error;
  *entry = Hand(*slot);
  return kNoErr;
}

AIErr Replace(AIArrayRef ref, int32_t index, Value value) {
  Value* slot = nullptr;
  if (const AIErr error = Item(ref, index, &slot)) return error;
  *slot = std::move(value);
  return kNoErr;
}

AIErr ArraySetEntry(AIArrayRef ref, int32_t index, AIEntryRef entry) {
  Value value;
  if (const AIErr error = ValueOfEntry(entry, ArrayOf(ref).get(), &value)) return error;
  return Replace(ref, index, std::move(value));
}

AIErr ArrayGetEntryType(AIArrayRef ref, int32_t index, AIEntryType* type) {
  SIM_REQUIRE(type, kBadParameterErr);
  Value* slot = nullptr;
  if (const AIErr error = Item(ref, index, &slot)) return error;
  *type = slot->Type();
  return kNoErr;
}

template <typename Out, AIErr (*Reader)(const Value&, Out*)>
AIErr ArrayGet(AIArrayRef ref, int32_t index, Out* out) {
  SIM_REQUIRE(out, kBadParameterErr);
  Value* slot = nullptr;
  if (const AIErr error = Item(ref, index, &slot)) return error;
  return Reader(*slot, out);
}

AIErr GetInteger(AIArrayRef ref, int32_t index, int32_t* value) { return ArrayGet<int32_t, ReadInteger>(ref, index, value); }
AIErr SetInteger(AIArrayRef ref, int32_t index, int32_t value) { return Replace(ref, index, Value{value}); }
AIErr GetBoolean(AIArrayRef ref, int32_t index, AIBoolean* value) {
  return ArrayGet<AIBoolean, ReadBoolean>(ref, index, value);
}
AIErr SetBoolean(AIArrayRef ref, int32_t index, AIBoolean value) { return Replace(ref, index, Value{value != 0}); }
AIErr GetReal(AIArrayRef ref, int32_t index, AIReal* value) { return ArrayGet<AIReal, ReadReal>(ref, index, value); }
AIErr SetReal(AIArrayRef ref, int32_t index, AIReal value) {
  return Replace(ref, index, Value{static_cast<double>(value)});
}
AIErr GetString(AIArrayRef ref, int32_t index, AIUnicodeStringRef* value) {
  return ArrayGet<AIUnicodeStringRef, ReadString>(ref, index, value);
}
AIErr SetString(AIArrayRef ref, int32_t index, AIUnicodeStringRef value) {
  SIM_REQUIRE(value, kBadParameterErr);
  return Replace(ref, index, Value{UnitsOf(value)});
}
AIErr GetArray(AIArrayRef ref, int32_t index, AIArrayRef* value) {
  return ArrayGet<AIArrayRef, ReadArray>(ref, index, value);
}
AIErr SetArray(AIArrayRef ref, int32_t index, AIArrayRef array) {
  Value value;
  if (const AIErr error = ValueOfArray(array, ArrayOf(ref).get(), &value)) return error;
  return Replace(ref, index, std::move(value));
}

const AIArraySuite arraySuite = {
    CreateArray, ArrayAddRef, ArrayRelease,  ArrayClone,    Count,      ArrayDeleteEntry, InsertEntry,
    AppendEntry, ArrayGetEntry, ArraySetEntry, ArrayGetEntryType, GetInteger, SetInteger,  GetBoolean,
    SetBoolean,  GetReal,     SetReal,       GetString,     SetString,  GetArray,         SetArray,
};

// --- Entry -----------------------------------------------------------------

AIErr EntryAddRef(AIEntryRef entry) { return H() && H()->Refs().entries.AddRef(entry) ? kNoErr : kBadParameterErr; }
AIErr EntryRelease(AIEntryRef entry) { return H() && H()->Refs().entries.Release(entry) ? kNoErr : kBadParameterErr; }

AIErr EntryGetType(AIEntryRef ref, AIEntryType* type) {
  SIM_REQUIRE(type, kBadParameterErr);
  auto box = EntryOf(ref);
  SIM_REQUIRE(box, kBadParameterErr);
  *type = box->value.Type();
  return kNoErr;
}

AIErr Make(Value value, AIEntryRef* entry) {
  SIM_REQUIRE(entry, kBadParameterErr);
  SIM_REQUIRE(H(), kCantHappenErr);
  *entry = Hand(std::move(value));
  return kNoErr;
}

AIErr FromInteger(int32_t value, AIEntryRef* entry) { return Make(Value{value}, entry); }
AIErr FromBoolean(AIBoolean value, AIEntryRef* entry) { return Make(Value{value != 0}, entry); }
AIErr FromReal(AIReal value, AIEntryRef* entry) { return Make(Value{static_cast<double>(value)}, entry); }
AIErr FromUnicodeString(AIUnicodeStringRef value, AIEntryRef* entry) {
  SIM_REQUIRE(value, kBadParameterErr);
  return Make(Value{UnitsOf(value)}, entry);
}
AIErr FromArray(AIArrayRef value, AIEntryRef* entry) {
  auto array = ArrayOf(value);
  SIM_REQUIRE(array, kBadParameterErr);
  return Make(Value{array}, entry);
}
AIErr FromDictionary(AIDictionaryRef value, AIEntryRef* entry) {
  auto dictionary = DictOf(value);
  SIM_REQUIRE(dictionary, kBadParameterErr);
  return Make(Value{dictionary}, entry);
}

template <typename Out, AIErr (*Reader)(const Value&, Out*)>
AIErr EntryGet(AIEntryRef ref, Out* out) {
  auto box = EntryOf(ref);
  SIM_REQUIRE(box && out, kBadParameterErr);
  return Reader(box->value, out);
}

AIErr ToInteger(AIEntryRef ref, int32_t* value) { return EntryGet<int32_t, ReadInteger>(ref, value); }
AIErr ToBoolean(AIEntryRef ref, AIBoolean* value) { return EntryGet<AIBoolean, ReadBoolean>(ref, value); }
AIErr ToReal(AIEntryRef ref, AIReal* value) { return EntryGet<AIReal, ReadReal>(ref, value); }
AIErr ToUnicodeString(AIEntryRef ref, AIUnicodeStringRef* value) {
  return EntryGet<AIUnicodeStringRef, ReadString>(ref, value);
}
AIErr ToArray(AIEntryRef ref, AIArrayRef* value) { return EntryGet<AIArrayRef, ReadArray>(ref, value); }
AIErr ToDictionary(AIEntryRef ref, AIDictionaryRef* value) { return EntryGet<AIDictionaryRef, ReadDict>(ref, value); }

AIErr EntryClone(AIEntryRef ref, AIEntryRef* copy) {
  auto box = EntryOf(ref);
  SIM_REQUIRE(box && copy, kBadParameterErr);
  *copy = Hand(CloneValue(box->value));
  return kNoErr;
}

const AIEntrySuite entrySuite = {
    EntryAddRef, EntryRelease,    EntryGetType, FromInteger, FromBoolean,     FromReal,
    FromUnicodeString, FromArray, FromDictionary, ToInteger, ToBoolean,       ToReal,
    ToUnicodeString, ToArray,     ToDictionary, EntryClone,
};

}  // namespace

const AIDictionarySuite* DictionarySuite() { return &dictionarySuite; }
const AIArraySuite* ArraySuite() { return &arraySuite; }
const AIEntrySuite* EntrySuite() { return &entrySuite; }

}  // namespace sim
