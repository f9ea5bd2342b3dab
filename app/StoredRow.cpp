#include "app/StoredRow.h"

#include "attributes/CKzShapeAttr.h"
#include "sim/TextCodec.h"

namespace kzmap {

namespace {

const sim::Value* RowEntry(const sim::Art& art) {
  if (!art.Dict()) return nullptr;
  return art.Dict()->Find(kFieldDictionaryKey);
}

// One field as the plug-in reads it: every part present and of its type.
// Read in place, so a compact row stays compact.
std::optional<StoredField> FieldOf(const std::optional<sim::RowEntries>& parts) {
  if (!parts || parts->size() < 5) return std::nullopt;
  const sim::RowEntries& p = *parts;
  if (!p[0].IsString() || !p[1].IsInt() || !p[2].IsInt() || !p[3].IsInt() || !p[4].IsString()) return std::nullopt;
  return StoredField{sim::Utf16ToUtf8(p[0].String()), p[1].Int(), p[2].Int(), p[3].Int(), sim::Utf16ToUtf8(p[4].String())};
}

}  // namespace

std::optional<StoredRow> StoredRow::Of(const sim::Art& art) {
  const sim::Value* entry = RowEntry(art);
  if (!entry) return std::nullopt;
  const sim::Array* array = entry->IsArray() ? entry->AsArray() : nullptr;
  if (!array) return std::nullopt;
  StoredRow row;
  for (size_t i = 0; i < array->size(); ++i) {
    if (auto field = FieldOf(array->Entries(i))) {
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
  return !entry->IsArray() || !entry->AsArray();
}

bool StoredRow::Has(const std::string& name) const {
  for (const StoredField& field : fields)
    if (field.name == name) return true;
  return false;
}

}  // namespace kzmap
