#include "import/KmlFieldLayout.h"

#include "attributes/FieldValues.h"
#include "import/FieldNameSet.h"

namespace {

constexpr size_t kNameField = 0;
constexpr size_t kDescField = 1;

// A field definition for a Schema type: whole numbers as integers, decimals
// as reals, everything else as text of the widest string field.
ShapeField FieldOfType(const std::string& type) {
  if (type == "int" || type == "uint" || type == "short" || type == "ushort") {
    return ShapeField{{}, kShapeFieldInteger, 10, 0, {}};
  }
  if (type == "float" || type == "double") return ShapeField{{}, kShapeFieldReal, 19, 9, {}};
  return ShapeField{{}, kShapeFieldString, 254, 0, {}};
}

}  // namespace

KmlFieldLayout::KmlFieldLayout() {
  fields.push_back(ShapeField{"Name", kShapeFieldString, 48, 0, {}});
  fields.push_back(ShapeField{"Desc", kShapeFieldString, 254, 0, {}});
  declared = {true, true};
}

void KmlFieldLayout::Add(const std::string& name, const std::string& type, bool declaring) {
  const auto found = byName.find(name);
  if (found != byName.end()) {
    // The first declaration types a field that placemarks named before it.
    if (!declaring || declared[found->second]) return;
    ShapeField& field = fields[found->second];
    const ShapeField typed = FieldOfType(type);
    field.type = typed.type;
    field.totalDigits = typed.totalDigits;
    field.decimals = typed.decimals;
    declared[found->second] = true;
    return;
  }
  FieldNameSet names;
  for (const ShapeField& field : fields) names.Take(field.name, 0);
  ShapeField field = FieldOfType(type);
  field.name = names.Take(ai::UnicodeString::FromUTF8(name), static_cast<int32_t>(fields.size() + 1));
  byName[name] = fields.size();
  fields.push_back(field);
  declared.push_back(declaring);
}

void KmlFieldLayout::Declare(const std::string& name, const std::string& type) { Add(name, type, true); }

void KmlFieldLayout::Note(const KmlPlacemark& placemark) {
  for (const auto& [name, value] : placemark.data) Add(name, "string", false);
}

std::vector<ShapeField> KmlFieldLayout::Row(const KmlPlacemark& placemark, int64_t* fitted) const {
  std::vector<ShapeField> row = fields;
  row[kNameField].value = ai::UnicodeString::FromUTF8(placemark.name);
  row[kDescField].value = ai::UnicodeString::FromUTF8(placemark.description);
  std::vector<bool> set(row.size(), false);
  for (const auto& [name, value] : placemark.data) {
    const auto found = byName.find(name);
    // The first value of a name counts; a field never noted has no column.
    if (found == byName.end() || set[found->second]) continue;
    set[found->second] = true;
    ShapeField& field = row[found->second];
    if (value.empty()) continue;
    bool changed = false;
    field.value = NormaliseValue(field, ai::UnicodeString::FromUTF8(value), changed);
    if (changed && fitted != nullptr) ++*fitted;
  }
  return row;
}
