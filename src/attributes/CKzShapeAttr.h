// CKzShapeAttr: the working copy of one art object's attribute row, kept in
// the object's dictionary under "KartzmapField" as an array of five-entry
// arrays (name, type, total digits, decimals, value). Changes go straight
// into the host array; there is no separate save step.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "formats/ShapeField.h"
#include "host/HostRef.h"
#include "host/HostTypes.h"

inline constexpr const char* kFieldDictionaryKey = "KartzmapField";

class CKzShapeAttr {
 public:
  CKzShapeAttr() = default;
  virtual ~CKzShapeAttr();
  CKzShapeAttr(const CKzShapeAttr&) = delete;
  CKzShapeAttr& operator=(const CKzShapeAttr&) = delete;

  void Release();
  // Reads the object's row; an object without one leaves the record without
  // a field array (but with the object's dictionary known).
  void Load(AIArtHandle art);
  bool IsLoaded() const { return static_cast<bool>(fieldArray); }
  int32_t Count() const;

  bool Get(int32_t position, ShapeField& field) const;
  bool GetDefinition(int32_t position, ShapeField& field) const;
  bool GetValue(int32_t position, ai::UnicodeString& value) const;
  bool Find(const ShapeField& definition, int32_t* position = nullptr) const;

  // Adds the field at the end unless the same field is there; the value is
  // stored as given.
  AIErr Append(const ShapeField& field);
  // Rewrites the definition at the position and normalises its value anew.
  bool SetField(int32_t position, const ShapeField& definition);
  // Normalises the text for the field at the position and stores it.
  bool SetValue(int32_t position, const ai::UnicodeString& text);
  bool Remove(int32_t position);
  // Replaces the whole row; values are stored as given.
  AIErr ReplaceAll(const std::vector<ShapeField>& fields);
  AIErr CreateEmpty();
  // Gives target a copy of this row in place of its own.
  bool CopyTo(AIArtHandle target) const;

  AIArtHandle Art() const { return art; }

 private:
  bool InRange(int32_t position) const { return position >= 0 && position < Count(); }
  AIErr EntryArray(int32_t position, ai::ArrayRef& entry) const;
  AIErr FieldKeyOfDictionary(AIDictKey* key) const;
  AIErr StoreNewArray(ai::ArrayRef& array);
  static AIErr MakeEntryArray(const ShapeField& field, ai::ArrayRef& entry);

  ai::DictionaryRef dictionary;
  ai::ArrayRef fieldArray;
  AIArtHandle art = nullptr;
  std::map<std::string, int32_t> keyIndex;
};
