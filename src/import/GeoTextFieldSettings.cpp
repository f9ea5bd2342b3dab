#include "import/GeoTextFieldSettings.h"

#include <string>

#include "formats/DelimitedFields.h"
#include "import/FieldNameSet.h"

namespace {

constexpr int32_t kStringDigits = 48;

bool IsCoordinate(int32_t type) { return type == kShapeFieldLatitude || type == kShapeFieldLongitude; }

}  // namespace

std::vector<ai::UnicodeString> GeoTextFieldSettings::Split(const ai::UnicodeString& line) const {
  std::vector<ai::UnicodeString> fields;
  for (const std::u16string& field : SplitDelimitedFields(line.as_UTF16(), delimiter)) {
    fields.push_back(ai::UnicodeString::FromUTF16(field));
  }
  return fields;
}

void GeoTextFieldSettings::BuildColumns() {
  if (!columns.empty() || firstLines.empty()) return;
  const std::vector<ai::UnicodeString> fields = Split(firstLines[0]);
  if (fields.size() < 2) return;
  const bool named = headerFlag && firstLines.size() >= 2;
  for (size_t i = 0; i < fields.size(); ++i) {
    ShapeField column;
    // Unnamed columns count 1, 2 for the coordinates and again from 1 for the rest.
    column.name = named ? fields[i] : NumberedFieldName(static_cast<int32_t>(i < 2 ? i + 1 : i - 1));
    column.type = i == 0 ? kShapeFieldLatitude : i == 1 ? kShapeFieldLongitude : kShapeFieldString;
    column.totalDigits = i < 2 ? 0 : kStringDigits;
    columns.push_back(column);
  }
}

void GeoTextFieldSettings::RenameColumns() {
  if (headerFlag && !firstLines.empty()) {
    const std::vector<ai::UnicodeString> fields = Split(firstLines[0]);
    for (size_t i = 0; i < columns.size(); ++i) columns[i].name = i < fields.size() ? fields[i] : ai::UnicodeString();
    return;
  }
  for (size_t i = 0; i < columns.size(); ++i) columns[i].name = NumberedFieldName(static_cast<int32_t>(i + 1));
}

void GeoTextFieldSettings::SetDelimiter(uint8_t newDelimiter) {
  delimiter = newDelimiter;
  columns.clear();
  BuildColumns();
}

std::vector<std::vector<ai::UnicodeString>> GeoTextFieldSettings::SampleRows() const {
  std::vector<std::vector<ai::UnicodeString>> rows;
  for (size_t i = headerFlag ? 1 : 0; i < firstLines.size() && rows.size() < 2; ++i) rows.push_back(Split(firstLines[i]));
  return rows;
}

bool GeoTextFieldSettings::IsValid() const {
  if (columns.size() < 2) return false;
  size_t latitude = 0, longitude = 0;
  for (const ShapeField& column : columns) {
    latitude += column.type == kShapeFieldLatitude;
    longitude += column.type == kShapeFieldLongitude;
  }
  return latitude == 1 && longitude == 1;
}

bool GeoTextFieldSettings::FindCoordinateColumns() {
  if (!IsValid()) return false;
  for (size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].type == kShapeFieldLatitude) yColumn = static_cast<int32_t>(i);
    if (columns[i].type == kShapeFieldLongitude) xColumn = static_cast<int32_t>(i);
  }
  return true;
}

std::vector<ShapeField> GeoTextFieldSettings::AttributeFields(std::vector<size_t>& columnsOut) const {
  std::vector<ShapeField> fields;
  columnsOut.clear();
  FieldNameSet names;
  for (size_t i = 0; i < columns.size(); ++i) {
    if (IsCoordinate(columns[i].type)) continue;
    ShapeField field = columns[i];
    field.value = ai::UnicodeString();
    field.name = names.Take(field.name, static_cast<int32_t>(i + 1));
    fields.push_back(field);
    columnsOut.push_back(i);
  }
  return fields;
}
