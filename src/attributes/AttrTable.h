// AttrTable: the attribute table of the selection. Its rows are the union of
// the field lists of the layers that hold the selection, each with the value
// the selected objects share, or marked mixed when they differ, or conflict
// when two layers define the same name differently.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "formats/ShapeField.h"
#include "host/HostTypes.h"

struct AttrTableRow {
  ShapeField field;
  bool unset = true;      // no counted object has supplied a value yet
  bool conflict = false;  // another row has this name with another definition
  bool mixed = false;     // the counted objects differ in this field
};

class AttrTable {
 public:
  // Rebuilds layers, layer field lists, rows and values from the selection.
  void Refresh();
  // Rebuilds the rows from the field lists of the given layers alone (no
  // values, no growth of the lists): the merge that exports use.
  void MergeLayers(const std::vector<AILayerHandle>& layers);

  int32_t RowCount() const { return static_cast<int32_t>(rows.size()); }
  const AttrTableRow& Row(int32_t position) const { return rows.at(static_cast<size_t>(position)); }
  const std::vector<AILayerHandle>& Layers() const { return layers; }

  // Adds the definition to every layer of the table; false on a duplicate
  // name (after the alert) or a host failure.
  bool AddField(const ShapeField& definition);
  // Redefines the row's field in every layer of the table and every object on them.
  bool EditField(int32_t position, const ShapeField& definition);
  // Removes the row's field from every layer of the table and every object on them.
  bool DeleteField(int32_t position);
  // Writes the value, normalised, into every counted selected object.
  void SetValueOnSelection(int32_t position, const ai::UnicodeString& value);

 private:
  void Clear();
  void AddLayer(AILayerHandle layer);
  void FindLayers();
  void GrowLayerFieldLists();
  AIErr GrowLayerFieldList(AILayerHandle layer, AIArtSet selection, size_t count);
  void BuildRows();
  void MergeValues();
  void MergeValuesOf(AIArtHandle art);
  bool InRange(int32_t position) const { return position >= 0 && position < RowCount(); }
  bool NameTakenByOtherRow(const ai::UnicodeString& name, int32_t except) const;

  std::vector<AILayerHandle> layers;
  std::set<AILayerHandle> layerSet;
  std::vector<AttrTableRow> rows;
  std::multimap<ai::UnicodeString, int32_t> nameIndex;
};
