#include "geodesy/GeodesyHost.h"

#include "host/AIUserSuite.h"
#include "host/SPPluginsSuite.h"
#include "host/SuitePointers.h"
#include "host/UnicodeString.h"

ai::FilePath FileBesidePlugin(SPPluginRef owner, const char* name) {
  if (!sSPPlugins || !owner) return {};
  AIFilePathRef pluginFile = nullptr;
  if (sSPPlugins->GetPluginFilePath(owner, &pluginFile) != kNoErr || !pluginFile) return {};
  const ai::FilePath plugin = ai::FilePath::Adopt(pluginFile);
  return plugin.GetParent().AddComponent(ai::UnicodeString(name));
}

void ShowGeodesyAlert(const char* text) {
  if (!sAIUser) return;
  const ai::UnicodeString message(text);
  sAIUser->ErrorAlert(message.Ref());
}

void ShowGeodesyNote(const char* text) {
  if (!sAIUser) return;
  const ai::UnicodeString message(text);
  sAIUser->MessageAlert(message.Ref());
}
