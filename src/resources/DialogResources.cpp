#include "resources/DialogResources.h"

#include <iterator>

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
