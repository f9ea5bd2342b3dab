#include "attributes/CKzShapeAttr.h"

#include "attributes/FieldValues.h"
#include "host/AIArtSuite.h"
#include "host/AIUnicodeStringSuite.h"

namespace {

enum EntryIndex : int32_t { kNameEntry = 0, kTypeEntry = 1, kDigitsEntry = 2, kDecimalsEntry = 3, kValueEntry = 4 };

AIErr ReadString(AIArrayRef array, int32_t index, ai::UnicodeString& out) {
  AIUnicodeStringRef text = nullptr;
  AIErr error = sAIArray->GetUnicodeStringEntry(array, index, &text);
  if (error != kNoErr) return error;
  out = ai::UnicodeString::Adopt(text);
  return kNoErr;
}

// Appends an entry made by make and releases it.
template <typename Make>
AIErr AppendMade(AIArrayRef array, Make make) {
  ai::EntryRef entry;
  AIErr error = make(entry.put());
  if (error != kNoErr) return error;
  return sAIArray->AppendEntry(array, entry.get());
}

AIErr AppendString(AIArrayRef array, const ai::UnicodeString& text) {
  return AppendMade(array, [&](AIEntryRef* entry) { return sAIEntry->FromUnicodeString(text.Ref(), entry); });
}

AIErr AppendInteger(AIArrayRef array, int32_t number) {
  return AppendMade(array, [&](AIEntryRef* entry) { return sAIEntry->FromInteger(number, entry); });
}

AIErr AppendArray(AIArrayRef array, AIArrayRef inner) {
  return AppendMade(array, [&](AIEntryRef* entry) { return sAIEntry->FromArray(inner, entry); });
}

}  // namespace

CKzShapeAttr::~CKzShapeAttr() { Release(); }

void CKzShapeAttr::Release() {
  art = nullptr;
  keyIndex.clear();
  fieldArray.reset();
  dictionary.reset();
}

AIErr CKzShapeAttr::FieldKeyOfDictionary(AIDictKey* key) const {
  return sAIDictionary->Key(kFieldDictionaryKey, key);
}

void CKzShapeAttr::Load(AIArtHandle object) {
  Release();
  if (object == nullptr || sAIArt->GetDictionary(object, dictionary.put()) != kNoErr || !dictionary) return;
  AIDictKey key = nullptr;
  AIBoolean known = false;
  if (FieldKeyOfDictionary(&key) != kNoErr) return;
  if (sAIDictionary->IsKnown(dictionary.get(), key, &known) != kNoErr || !known) return;
  if (sAIDictionary->GetArrayEntry(dictionary.get(), key, fieldArray.put()) != kNoErr) {
    fieldArray.reset();
    return;
  }
  const int32_t count = Count();
  for (int32_t position = 0; position < count; ++position) {
    ShapeField definition;
    // A later field with the same key wins.
    if (GetDefinition(position, definition)) keyIndex[FieldKey(definition)] = position;
  }
  art = object;
}

int32_t CKzShapeAttr::Count() const {
  if (!fieldArray) return 0;
  int32_t count = 0;
  if (sAIArray->Count(fieldArray.get(), &count) != kNoErr) return 0;
  return count;
}

AIErr CKzShapeAttr::EntryArray(int32_t position, ai::ArrayRef& entry) const {
  if (!InRange(position)) return kIndexOutOfRangeErr;
  return sAIArray->GetArrayEntry(fieldArray.get(), position, entry.put());
}

bool CKzShapeAttr::GetDefinition(int32_t position, ShapeField& field) const {
  ai::ArrayRef entry;
  if (EntryArray(position, entry) != kNoErr) return false;
  ShapeField read;
  if (ReadString(entry.get(), kNameEntry, read.name) != kNoErr) return false;
  if (sAIArray->GetIntegerEntry(entry.get(), kTypeEntry, &read.type) != kNoErr) return false;
  if (sAIArray->GetIntegerEntry(entry.get(), kDigitsEntry, &read.totalDigits) != kNoErr) return false;
  if (sAIArray->GetIntegerEntry(entry.get(), kDecimalsEntry, &read.decimals) != kNoErr) return false;
  field.name = read.name;
  field.type = read.type;
  field.totalDigits = read.totalDigits;
  field.decimals = read.decimals;
  return true;
}

bool CKzShapeAttr::GetValue(int32_t position, ai::UnicodeString& value) const {
  ai::ArrayRef entry;
  if (EntryArray(position, entry) != kNoErr) return false;
  return ReadString(entry.get(), kValueEntry, value) == kNoErr;
}

bool CKzShapeAttr::Get(int32_t position, ShapeField& field) const {
  ShapeField read;
  if (!GetDefinition(position, read) || !GetValue(position, read.value)) return false;
  field = read;
  return true;
}

bool CKzShapeAttr::Find(const ShapeField& definition, int32_t* position) const {
  auto found = keyIndex.find(FieldKey(definition));
  if (found == keyIndex.end()) return false;
  if (position != nullptr) *position = found->second;
  return true;
}

AIErr CKzShapeAttr::MakeEntryArray(const ShapeField& field, ai::ArrayRef& entry) {
  AIErr error = sAIArray->CreateArray(entry.put());
  if (error == kNoErr) error = AppendString(entry.get(), field.name);
  for (int32_t number : {field.type, field.totalDigits, field.decimals}) {
    if (error == kNoErr) error = AppendInteger(entry.get(), number);
  }
  if (error == kNoErr) error = AppendString(entry.get(), field.value);
  return error;
}

AIErr CKzShapeAttr::Append(const ShapeField& field) {
  if (Find(field)) return kNoErr;
  if (!fieldArray) return kBadParameterErr;
  ai::ArrayRef entry;
  AIErr error = MakeEntryArray(field, entry);
  if (error != kNoErr) return error;
  error = AppendArray(fieldArray.get(), entry.get());
  if (error != kNoErr) return error;
  keyIndex[FieldKey(field)] = Count() - 1;
  return kNoErr;
}

bool CKzShapeAttr::SetField(int32_t position, const ShapeField& definition) {
  ai::ArrayRef entry;
  if (EntryArray(position, entry) != kNoErr) return false;
  ai::UnicodeString oldValue;
  if (ReadString(entry.get(), kValueEntry, oldValue) != kNoErr) return false;
  ShapeField rewritten{definition.name, definition.type, definition.totalDigits, definition.decimals, {}};
  if (!oldValue.empty()) rewritten.value = NormaliseValue(rewritten, oldValue);
  // The key index keeps the old key until the next Load.
  return sAIArray->SetUnicodeStringEntry(entry.get(), kNameEntry, rewritten.name.Ref()) == kNoErr &&
         sAIArray->SetIntegerEntry(entry.get(), kTypeEntry, rewritten.type) == kNoErr &&
         sAIArray->SetIntegerEntry(entry.get(), kDigitsEntry, rewritten.totalDigits) == kNoErr &&
         sAIArray->SetIntegerEntry(entry.get(), kDecimalsEntry, rewritten.decimals) == kNoErr &&
         sAIArray->SetUnicodeStringEntry(entry.get(), kValueEntry, rewritten.value.Ref()) == kNoErr;
}

bool CKzShapeAttr::SetValue(int32_t position, const ai::UnicodeString& text) {
  ShapeField field;
  if (!Get(position, field)) return false;
  ai::ArrayRef entry;
  if (EntryArray(position, entry) != kNoErr) return false;
  const ai::UnicodeString value = NormaliseValue(field, text);
  return sAIArray->SetUnicodeStringEntry(entry.get(), kValueEntry, value.Ref()) == kNoErr;
}

bool CKzShapeAttr::Remove(int32_t position) {
  if (!InRange(position)) return false;
  // The key index keeps its positions until the next Load.
  return sAIArray->DeleteEntry(fieldArray.get(), position) == kNoErr;
}

AIErr CKzShapeAttr::StoreNewArray(ai::ArrayRef& array) {
  AIDictKey key = nullptr;
  AIErr error = FieldKeyOfDictionary(&key);
  if (error != kNoErr) return error;
  error = sAIDictionary->SetArrayEntry(dictionary.get(), key, array.get());
  if (error != kNoErr) return error;
  // Hold the array as the dictionary keeps it.
  return sAIDictionary->GetArrayEntry(dictionary.get(), key, fieldArray.put());
}

AIErr CKzShapeAttr::ReplaceAll(const std::vector<ShapeField>& fields) {
  keyIndex.clear();
  if (!dictionary) return kBadParameterErr;
  AIDictKey key = nullptr;
  AIErr error = FieldKeyOfDictionary(&key);
  if (error != kNoErr) return error;
  if (fieldArray) {
    fieldArray.reset();
    error = sAIDictionary->DeleteEntry(dictionary.get(), key);
    if (error != kNoErr) return error;
  }
  ai::ArrayRef array;
  error = sAIArray->CreateArray(array.put());
  if (error != kNoErr) return error;
  int32_t position = 0;
  for (const ShapeField& field : fields) {
    ai::ArrayRef entry;
    error = MakeEntryArray(field, entry);
    if (error != kNoErr) return error;
    error = AppendArray(array.get(), entry.get());
    if (error != kNoErr) return error;
    keyIndex[FieldKey(field)] = position++;
  }
  return StoreNewArray(array);
}

AIErr CKzShapeAttr::CreateEmpty() {
  if (!dictionary) return kBadParameterErr;
  ai::ArrayRef array;
  AIErr error = sAIArray->CreateArray(array.put());
  if (error != kNoErr) return error;
  keyIndex.clear();
  return StoreNewArray(array);
}

bool CKzShapeAttr::CopyTo(AIArtHandle target) const {
  CKzShapeAttr other;
  other.Load(target);
  if (!other.dictionary) return false;
  if (!fieldArray) return true;
  ai::ArrayRef copy;
  AIDictKey key = nullptr;
  if (sAIArray->Clone(fieldArray.get(), copy.put()) != kNoErr) return false;
  if (FieldKeyOfDictionary(&key) != kNoErr) return false;
  return sAIDictionary->SetArrayEntry(other.dictionary.get(), key, copy.get()) == kNoErr;
}
