#include "export/ExportSettings.h"

#include "host/AIPreferenceSuite.h"
#include "host/SuitePointers.h"

namespace {

void GetInteger(const char* key, int32_t& member) {
  int32_t value = 0;
  if (sAIPreference->GetIntegerPreference(kPreferencePrefix, key, &value) == kNoErr) member = value;
}

void GetBoolean(const char* key, bool& member) {
  AIBoolean value = 0;
  if (sAIPreference->GetBooleanPreference(kPreferencePrefix, key, &value) == kNoErr) member = value != 0;
}

void PutInteger(const char* key, int32_t value) { sAIPreference->PutIntegerPreference(kPreferencePrefix, key, value); }

void PutBoolean(const char* key, bool value) { sAIPreference->PutBooleanPreference(kPreferencePrefix, key, value); }

// One table for both directions, so that a key can never be loaded and not saved.
template <typename Settings, typename Integer, typename Boolean>
void ForEachPreference(Settings& s, Integer integer, Boolean boolean) {
  integer("exportDataType", s.dataType);
  integer("exportEncoding", s.encoding);
  integer("exportObjectSpec", s.objectKinds);
  boolean("exportAddTextField", s.addTextField);
  boolean("exportAddLayerField", s.addLayerField);
  boolean("exportExpandBezier", s.expandBezier);
  integer("exportBezierAccuracy", s.bezierAccuracy);
  integer("exportMarkerGeoSys", s.marker.datum);
  integer("exportMarkerProjection", s.marker.kind);
  integer("exportMarkerXYKei", s.marker.system);
  boolean("exportConvertCoords", s.convertCoords);
  integer("exportOutGeoSys", s.output.datum);
  integer("exportOutProjection", s.output.kind);
  integer("exportOutXYKei", s.output.system);
  integer("exportOutUTMZone", s.output.zone);
}

}  // namespace

void LoadPreferences(ExportSettings& settings) {
  ForEachPreference(settings, GetInteger, GetBoolean);
  int32_t delimiter = settings.delimiter;
  GetInteger("exportDelimiter", delimiter);
  settings.delimiter = static_cast<char>(delimiter);
}

void SavePreferences(const ExportSettings& settings) {
  ForEachPreference(
      settings, [](const char* key, int32_t value) { PutInteger(key, value); },
      [](const char* key, bool value) { PutBoolean(key, value); });
  PutInteger("exportDelimiter", settings.delimiter);
}

ai::FilePath LoadExportPath() {
  AIFilePathRef path = nullptr;
  if (sAIPreference->GetFilePathPreference(kPreferencePrefix, kExportPathKey, &path) != kNoErr || path == nullptr)
    return {};
  return ai::FilePath::Adopt(path);
}

void SaveExportPath(const ai::FilePath& location) {
  sAIPreference->PutFilePathPreference(kPreferencePrefix, kExportPathKey, location.Ref());
}
