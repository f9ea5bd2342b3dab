#include "resources/DialogResources.h"

#include <iterator>

#include "host/AIContextSuite.h"
#include "host/SPPluginsSuite.h"
#include "host/SuitePointers.h"

extern const DialogTemplate* const kDialogTemplates[];
extern const size_t kDialogTemplateCount;

const DialogTemplate* const* AllDialogTemplates(size_t* count) {
  *count = kDialogTemplateCount;
  return kDialogTemplates;
}

const DialogTemplate* FindDialogTemplate(ModuleHandle module, int32_t id) {
  if (module == 0 || module != ModuleOfAddress(kDialogTemplates)) return nullptr;
  for (size_t i = 0; i < kDialogTemplateCount; ++i) {
    if (kDialogTemplates[i]->id == id) return kDialogTemplates[i];
  }
  return nullptr;
}

AIErr RunPluginDialog(const ai::FilePath& pluginFile, AIWindowRef owner, int32_t id, ModalDialog& dialog,
                      int32_t* result) {
  ModuleHandle module = pluginFile.IsEmpty() ? 0 : FindLoadedModule(pluginFile.GetPlatformPath());
  const DialogTemplate* dialogTemplate = FindDialogTemplate(module, id);
  if (dialogTemplate == nullptr) return kResourceNotFoundErr;
  return dialog.Run(*dialogTemplate, owner, result);
}

AIErr RunPluginDialog(SPPluginRef plugin, int32_t id, ModalDialog& dialog, int32_t* result) {
  AIFilePathRef file = nullptr;
  AIErr error = sSPPlugins->GetPluginFilePath(plugin, &file);
  if (error != kNoErr) return error;
  const ai::FilePath pluginFile = ai::FilePath::Adopt(file);
  AIWindowRef owner = nullptr;
  error = sAIContext->GetPlatformAppWindow(&owner);
  if (error != kNoErr) return error;
  return RunPluginDialog(pluginFile, owner, id, dialog, result);
}

AIErr FindPluginDialogTemplate(SPPluginRef plugin, int32_t id, ModuleHandle& module, const DialogTemplate*& found) {
  module = 0;
  found = nullptr;
  AIFilePathRef file = nullptr;
  if (AIErr error = sSPPlugins->GetPluginFilePath(plugin, &file)) return error;
  const ai::FilePath pluginFile = ai::FilePath::Adopt(file);
  module = pluginFile.IsEmpty() ? 0 : FindLoadedModule(pluginFile.GetPlatformPath());
  found = FindDialogTemplate(module, id);
  return found != nullptr ? kNoErr : kResourceNotFoundErr;
}
