// The attribute fields of a KML import: "Name" and "Desc" for every
// placemark, then one field per extended-data name the file uses, typed by
// its Schema declaration when there is one, in the order first met.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "formats/KmlRecords.h"
#include "formats/ShapeField.h"

class KmlFieldLayout {
 public:
  KmlFieldLayout();

  // A SimpleField of a Schema: name and type as written ("int", "double"...).
  // It types the field also when placemarks used the name before it (GDAL
  // writes a layer's Schema after the layer's placemarks).
  void Declare(const std::string& name, const std::string& type);
  // The extended data of a placemark: names not met before become fields.
  void Note(const KmlPlacemark& placemark);

  // Definitions with empty values, names unique.
  const std::vector<ShapeField>& Fields() const { return fields; }
  // The attribute row of a placemark, each value normalised for its field;
  // a value that is empty or missing stays empty.
  // fitted, when given, counts the values changed to fit their field.
  std::vector<ShapeField> Row(const KmlPlacemark& placemark, int64_t* fitted = nullptr) const;

 private:
  void Add(const std::string& name, const std::string& type, bool declared);

  std::vector<ShapeField> fields;
  std::map<std::string, size_t> byName;  // extended-data name -> field index
  std::vector<bool> declared;            // typed by a Schema, per field
};
