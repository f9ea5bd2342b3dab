#include "app/StoredRow.h"

#include "attributes/CKzShapeAttr.h"
#include "sim/TextCodec.h"

namespace kzmap {

namespace {

const sim::Value* RowEntry(const sim::Art& art) {
  if (!art.dictionary) return nullptr;
  const auto found = art.dictionary->entries.find(kFieldDictionaryKey);
  return found == art.dictionary->entries.end() ? nullptr : &found->second;
}

// One field as the plug-in reads it: every part present and of its type.
std::optional<StoredField> FieldOf(const sim::Value& item) {
  const auto* entry = std::get_if<sim::ArrayPtr>(&item.data);
  if (!entry || !*entry || (*entry)->items.size() < 5) return std::nullopt;
  const auto& parts = (*entry)->items;
  const auto* name = std::get_if<std::u16string>(&parts[0].data);
  const auto* type = std::get_if<int32_t>(&parts[1].data);
  const auto* digits = std::get_if<int32_t>(&parts[2].data);
  const auto* decimals = std::get_if<int32_t>(&parts[3].data);
  const auto* value = std::get_if<std::u16string>(&parts[4].data);
  if (!name || !type || !digits || !decimals || !value) return std::nullopt;
  return StoredField{sim::Utf16ToUtf8(*name), *type, *digits, *decimals, sim::Utf16ToUtf8(*value)};
}

}  // namespace

std::optional<StoredRow> StoredRow::Of(const sim::Art& art) {
  const sim::Value* entry = RowEntry(art);
  if (!entry) return std::nullopt;
  const auto* array = std::get_if<sim::ArrayPtr>(&entry->data);
  if (!array || !*array) return std::nullopt;
  StoredRow row;
  for (const sim::Value& item : (*array)->items) {
    if (auto field = FieldOf(item)) {
      row.fields.push_back(std::move(*field));
    } else {
      ++row.skipped;
    }
  }
  return row;
}

bool StoredRow::Unreadable(const sim::Art& art) {
  const sim::Value* entry = RowEntry(art);
  if (!entry) return false;
  const auto* array = std::get_if<sim::ArrayPtr>(&entry->data);
  return !array || !*array;
}

bool StoredRow::Has(const std::string& name) const {
  for (const StoredField& field : fields)
    if (field.name == name) return true;
  return false;
}

}  // namespace kzmap
