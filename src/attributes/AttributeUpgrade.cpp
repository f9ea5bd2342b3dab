// The upgrade of attribute data kept in the older tag format.
#include <cstdint>
#include <vector>

#include "attributes/AttributeCommands.h"
#include "attributes/CKzShapeAttr.h"
#include "attributes/LayerWalk.h"
#include "attributes/OldAttributeTag.h"
#include "host/AIArtSuite.h"
#include "host/AIUserSuite.h"
#include "host/SuitePointers.h"

namespace {

using namespace attribute_texts;

constexpr int32_t kShiftJis = 17;

void ShowMessage(const char* text) { sAIUser->MessageAlert(ai::UnicodeString(text).Ref()); }

bool UserCancelled() {
  AIBoolean cancelled = false;
  return sAIUser->Cancelled(&cancelled) == kNoErr && cancelled;
}

int32_t ProgressValue(size_t value) { return value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value); }

// Counts every object and tells whether any of them holds an entry of the
// older format.
AIErr Scan(const std::vector<AILayerHandle>& layers, size_t* objects, bool* found) {
  *objects = 0;
  *found = false;
  for (size_t i = 0; i < layers.size(); ++i) {
    if (UserCancelled()) return kCanceledErr;
    std::vector<AIArtHandle> art;
    if (AIErr error = ArtOfLayer(layers[i], art)) return error;
    *objects += art.size();
    for (AIArtHandle object : art) {
      if (*found) break;
      std::vector<OldAttributeEntry> entries;
      if (AIErr error = ReadOldAttributeEntries(object, entries, true)) return error;
      *found = !entries.empty();
    }
    sAIUser->UpdateProgress(ProgressValue(i + 1), ProgressValue(layers.size()));
  }
  return UserCancelled() ? kCanceledErr : kNoErr;
}

// Appends each entry's field unless the row already has that definition, so
// a second run adds nothing.
AIErr Convert(AIArtHandle object) {
  std::vector<OldAttributeEntry> entries;
  if (AIErr error = ReadOldAttributeEntries(object, entries)) return error;
  if (entries.empty()) return kNoErr;
  CKzShapeAttr record;
  record.Load(object);
  if (!record.IsLoaded()) {
    if (AIErr error = record.CreateEmpty()) return error;
  }
  for (const OldAttributeEntry& entry : entries) {
    const ShapeField field = FieldFromDbaseColumn(entry.descriptor, entry.value, kShiftJis);
    if (AIErr error = record.Append(field)) return error;
  }
  return kNoErr;
}

AIErr ConvertAll(const std::vector<AILayerHandle>& layers, size_t objects) {
  sAIUser->SetProgressText(ai::UnicodeString(kUpgrading).Ref());
  size_t done = 0;
  sAIUser->UpdateProgress(0, ProgressValue(objects));
  for (AILayerHandle layer : layers) {
    std::vector<AIArtHandle> art;
    if (AIErr error = ArtOfLayer(layer, art)) return error;
    for (AIArtHandle object : art) {
      if (UserCancelled()) return kCanceledErr;
      AIBoolean skip = false;
      if (AIErr error = sAIArt->IsArtSkipped(object, &skip)) return error;
      if (!skip) {
        if (AIErr error = Convert(object)) return error;
      }
      sAIUser->UpdateProgress(ProgressValue(++done), ProgressValue(objects));
    }
  }
  return kNoErr;
}

}  // namespace

AIErr UpgradeOldAttributes(bool* found) {
  *found = false;
  std::vector<AILayerHandle> layers;
  if (AIErr error = TopLevelLayers(layers)) return error;
  size_t objects = 0;
  if (AIErr error = Scan(layers, &objects, found)) return error;
  if (!*found) {
    ShowMessage(kNoOldData);
    return kNoErr;
  }
  if (AIErr error = ConvertAll(layers, objects)) return error;
  ShowMessage(kUpgraded);
  return kNoErr;
}
