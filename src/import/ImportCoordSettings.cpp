#include "import/ImportCoordSettings.h"

#include "host/AIPreferenceSuite.h"
#include "host/SuitePointers.h"
#include "import/ImportCoordDialog.h"
#include "resources/DialogIds.h"
#include "resources/DialogResources.h"

namespace {

namespace keys = import_preferences;

void LoadInteger(const char* key, int32_t& field) {
  int32_t value = field;
  if (sAIPreference->GetIntegerPreference(kPreferencePrefix, key, &value) == kNoErr) field = value;
}

}  // namespace

void ImportCoordSettings::SetExtent(double xmin, double xmax, double ymin, double ymax) {
  extentXmin = areaXmin = xmin;
  extentXmax = areaXmax = xmax;
  extentYmin = areaYmin = ymin;
  extentYmax = areaYmax = ymax;
}

void LoadImportPreferences(ImportCoordSettings& settings) {
  AIBoolean limit = settings.limitArea != 0;
  if (sAIPreference->GetBooleanPreference(kPreferencePrefix, keys::kLimitArea, &limit) == kNoErr) {
    settings.limitArea = limit ? 1 : 0;
  }
  LoadInteger(keys::kSourceDatum, settings.sourceDatum);
  LoadInteger(keys::kSourceKind, settings.sourceKind);
  LoadInteger(keys::kSourceSystem, settings.sourceSystem);
  LoadInteger(keys::kSourceZone, settings.sourceZone);
}

void SaveImportPreferences(const ImportCoordSettings& settings) {
  sAIPreference->PutBooleanPreference(kPreferencePrefix, keys::kLimitArea, settings.limitArea != 0);
  sAIPreference->PutIntegerPreference(kPreferencePrefix, keys::kSourceDatum, settings.sourceDatum);
  sAIPreference->PutIntegerPreference(kPreferencePrefix, keys::kSourceKind, settings.sourceKind);
  sAIPreference->PutIntegerPreference(kPreferencePrefix, keys::kSourceSystem, settings.sourceSystem);
  sAIPreference->PutIntegerPreference(kPreferencePrefix, keys::kSourceZone, settings.sourceZone);
}

AIErr RunImportCoordDialog(SPPluginRef plugin, ImportCoordSettings& settings) {
  ImportCoordDialog dialog(settings);
  int32_t result = kCanceledErr;
  const AIErr error = RunPluginDialog(plugin, dialog_ids::kImportCoordSettings, dialog, &result);
  return error != kNoErr ? error : result;
}
