#include "attributes/AttrTable.h"

#include <functional>

#include "attributes/CKzShapeAttr.h"
#include "attributes/CountedArt.h"
#include "attributes/FieldValues.h"
#include "host/AIArtSetSuite.h"
#include "host/AIArtSuite.h"
#include "host/AILayerSuite.h"
#include "host/AIUserSuite.h"
#include "host/HostRef.h"

namespace {

constexpr const char* kDuplicateNameAlert = "指定されたフィールド名が重複しています";

void ShowMessage(const ai::UnicodeString& message) { sAIUser->MessageAlert(message.Ref()); }

AIErr NewArtSet(ai::ArtSetRef& set) { return sAIArtSet->NewArtSet(set.put()); }

AIErr Count(AIArtSet set, size_t* count) { return sAIArtSet->CountArtSet(set, count); }

// The selection as a new art set.
AIErr SelectedArt(ai::ArtSetRef& set, size_t* count) {
  AIErr error = NewArtSet(set);
  if (error == kNoErr) error = sAIArtSet->SelectedArtSet(set.get());
  if (error == kNoErr) error = Count(set.get(), count);
  return error;
}

AIErr LayerArt(AILayerHandle layer, ai::ArtSetRef& set, size_t* count) {
  AIErr error = NewArtSet(set);
  if (error == kNoErr) error = sAIArtSet->LayerArtSet(layer, set.get());
  if (error == kNoErr) error = Count(set.get(), count);
  return error;
}

ShapeField DefinitionOf(const ShapeField& field) {
  return ShapeField{field.name, field.type, field.totalDigits, field.decimals, {}};
}

// Every object of the layer that counts by type; a failed query ends the walk
// with false.
bool ForEachCountedObject(AILayerHandle layer, const std::function<void(AIArtHandle)>& visit) {
  ai::ArtSetRef set;
  size_t count = 0;
  if (LayerArt(layer, set, &count) != kNoErr) return false;
  for (size_t i = 0; i < count; ++i) {
    AIArtHandle art = nullptr;
    bool counts = false;
    if (sAIArtSet->IndexArtSet(set.get(), i, &art) != kNoErr) return false;
    if (CountsByType(art, &counts) != kNoErr) return false;
    if (counts) visit(art);
  }
  return true;
}

}  // namespace

void AttrTable::Clear() {
  layers.clear();
  layerSet.clear();
  rows.clear();
  nameIndex.clear();
}

void AttrTable::AddLayer(AILayerHandle layer) {
  if (layer != nullptr && layerSet.insert(layer).second) layers.push_back(layer);
}

void AttrTable::Refresh() {
  Clear();
  FindLayers();
  GrowLayerFieldLists();
  BuildRows();
  MergeValues();
}

void AttrTable::MergeLayers(const std::vector<AILayerHandle>& chosen) {
  Clear();
  for (AILayerHandle layer : chosen) AddLayer(layer);
  BuildRows();
}

void AttrTable::FindLayers() {
  ai::ArtSetRef selection;
  size_t count = 0;
  if (SelectedArt(selection, &count) != kNoErr) return;
  for (size_t i = 0; i < count; ++i) {
    AIArtHandle art = nullptr;
    AILayerHandle layer = nullptr;
    if (sAIArtSet->IndexArtSet(selection.get(), i, &art) != kNoErr) return;
    if (sAIArt->GetLayerOfArt(art, &layer) != kNoErr) return;
    AddLayer(layer);
  }
  if (count == 0) {
    AILayerHandle current = nullptr;
    if (sAILayer->GetCurrentLayer(&current) == kNoErr) AddLayer(current);
  }
}

void AttrTable::GrowLayerFieldLists() {
  ai::ArtSetRef selection;
  size_t count = 0;
  if (SelectedArt(selection, &count) != kNoErr) return;
  for (AILayerHandle layer : layers) {
    // A host failure on one layer ends the growth for all of them.
    if (GrowLayerFieldList(layer, selection.get(), count) != kNoErr) return;
  }
}

AIErr AttrTable::GrowLayerFieldList(AILayerHandle layer, AIArtSet selection, size_t count) {
  AIArtHandle group = nullptr;
  AIErr error = sAIArt->GetFirstArtOfLayer(layer, &group);
  if (error != kNoErr) return error;
  CKzShapeAttr list;
  list.Load(group);
  if (!list.IsLoaded()) {
    error = list.CreateEmpty();
    if (error != kNoErr) return error;
  }
  for (size_t i = 0; i < count; ++i) {
    AIArtHandle art = nullptr;
    AILayerHandle artLayer = nullptr;
    bool counts = false;
    if ((error = sAIArtSet->IndexArtSet(selection, i, &art)) != kNoErr) return error;
    if ((error = CountsByType(art, &counts)) != kNoErr) return error;
    if (!counts) continue;
    if ((error = sAIArt->GetLayerOfArt(art, &artLayer)) != kNoErr) return error;
    if (artLayer != layer) continue;
    CKzShapeAttr record;
    record.Load(art);
    for (int32_t position = 0; position < record.Count(); ++position) {
      ShapeField definition;
      if (!record.GetDefinition(position, definition)) return kBadParameterErr;
      if (list.Find(definition)) continue;
      if ((error = list.Append(DefinitionOf(definition))) != kNoErr) return error;
    }
  }
  return kNoErr;
}

void AttrTable::BuildRows() {
  for (AILayerHandle layer : layers) {
    AIArtHandle group = nullptr;
    if (sAIArt->GetFirstArtOfLayer(layer, &group) != kNoErr || group == nullptr) continue;
    CKzShapeAttr list;
    list.Load(group);
    for (int32_t position = 0; position < list.Count(); ++position) {
      ShapeField field;
      if (!list.Get(position, field)) continue;
      auto [first, last] = nameIndex.equal_range(field.name);
      bool same = false;
      for (auto it = first; it != last && !same; ++it) same = rows[static_cast<size_t>(it->second)].field.IsSameField(field);
      if (same) continue;
      AttrTableRow row{field};
      if (first != last) {
        // The same name with another definition: both rows are marked.
        rows[static_cast<size_t>(std::prev(last)->second)].conflict = true;
        row.conflict = true;
      }
      nameIndex.emplace(field.name, RowCount());
      rows.push_back(std::move(row));
    }
  }
}

void AttrTable::MergeValues() {
  ai::ArtSetRef selection;
  size_t count = 0;
  if (SelectedArt(selection, &count) != kNoErr) return;
  for (size_t i = 0; i < count; ++i) {
    AIArtHandle art = nullptr;
    bool counts = false;
    if (sAIArtSet->IndexArtSet(selection.get(), i, &art) != kNoErr) return;
    if (CountsInSelection(art, &counts) != kNoErr || !counts) continue;
    MergeValuesOf(art);
  }
}

void AttrTable::MergeValuesOf(AIArtHandle art) {
  CKzShapeAttr record;
  record.Load(art);
  for (AttrTableRow& row : rows) {
    if (row.mixed) continue;
    int32_t position = 0;
    if (!record.Find(row.field, &position)) {
      // A missing field counts as an empty value.
      if (row.unset) {
        row.unset = false;
      } else if (!row.field.value.empty()) {
        row.mixed = true;
      }
      continue;
    }
    ai::UnicodeString value;
    if (!record.GetValue(position, value)) continue;
    if (row.unset) {
      row.field.value = value;
      row.unset = false;
    } else if (value != row.field.value) {
      row.mixed = true;
    }
  }
}

bool AttrTable::NameTakenByOtherRow(const ai::UnicodeString& name, int32_t except) const {
  auto [first, last] = nameIndex.equal_range(name);
  for (auto it = first; it != last; ++it) {
    if (it->second != except) return true;
  }
  return false;
}

bool AttrTable::AddField(const ShapeField& definition) {
  if (NameTakenByOtherRow(definition.name, -1)) {
    ShowMessage(kDuplicateNameAlert);
    return false;
  }
  const ShapeField field = DefinitionOf(definition);
  for (AILayerHandle layer : layers) {
    AIArtHandle group = nullptr;
    if (sAIArt->GetFirstArtOfLayer(layer, &group) != kNoErr) return false;
    CKzShapeAttr list;
    list.Load(group);
    // A layer whose list could not be made at Refresh gets one now.
    if (!list.IsLoaded() && list.CreateEmpty() != kNoErr) return false;
    if (list.Append(field) != kNoErr) return false;
  }
  return true;
}

bool AttrTable::EditField(int32_t position, const ShapeField& definition) {
  if (!InRange(position)) return false;
  if (!definition.name.empty() && NameTakenByOtherRow(definition.name, position)) {
    ShowMessage(kDuplicateNameAlert);
    return false;
  }
  const ShapeField old = rows[static_cast<size_t>(position)].field;
  for (AILayerHandle layer : layers) {
    AIArtHandle group = nullptr;
    if (sAIArt->GetFirstArtOfLayer(layer, &group) != kNoErr) return false;
    CKzShapeAttr list;
    list.Load(group);
    int32_t found = 0;
    if (list.Find(old, &found) && !list.SetField(found, definition)) return false;
  }
  for (AILayerHandle layer : layers) {
    const bool walked = ForEachCountedObject(layer, [&](AIArtHandle art) {
      CKzShapeAttr record;
      record.Load(art);
      int32_t found = 0;
      if (record.Find(old, &found)) record.SetField(found, definition);
    });
    if (!walked) return false;
  }
  return true;
}

bool AttrTable::DeleteField(int32_t position) {
  if (!InRange(position)) return false;
  const ShapeField old = rows[static_cast<size_t>(position)].field;
  for (AILayerHandle layer : layers) {
    AIArtHandle group = nullptr;
    if (sAIArt->GetFirstArtOfLayer(layer, &group) != kNoErr) return false;
    CKzShapeAttr list;
    list.Load(group);
    int32_t found = 0;
    if (list.Find(old, &found) && !list.Remove(found)) return false;
  }
  for (AILayerHandle layer : layers) {
    const bool walked = ForEachCountedObject(layer, [&](AIArtHandle art) {
      CKzShapeAttr record;
      record.Load(art);
      int32_t found = 0;
      if (record.Find(old, &found)) record.Remove(found);
    });
    if (!walked) return false;
  }
  return true;
}

void AttrTable::SetValueOnSelection(int32_t position, const ai::UnicodeString& value) {
  if (!InRange(position)) return;
  const ShapeField definition = DefinitionOf(rows[static_cast<size_t>(position)].field);
  ai::ArtSetRef selection;
  size_t count = 0;
  if (SelectedArt(selection, &count) != kNoErr) return;
  for (size_t i = 0; i < count; ++i) {
    AIArtHandle art = nullptr;
    bool counts = false;
    if (sAIArtSet->IndexArtSet(selection.get(), i, &art) != kNoErr) return;
    if (CountsInSelection(art, &counts) != kNoErr || !counts) continue;
    CKzShapeAttr record;
    record.Load(art);
    int32_t found = 0;
    if (record.Find(definition, &found)) {
      record.SetValue(found, value);
      continue;
    }
    if (!record.IsLoaded() && record.CreateEmpty() != kNoErr) continue;
    ShapeField field = definition;
    field.value = NormaliseValue(definition, value);
    record.Append(field);
  }
}
