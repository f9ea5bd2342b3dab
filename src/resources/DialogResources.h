// The plug-in's dialog resources and the running of a dialog from them.
#pragma once

#include <cstdint>

#include "host/DialogTemplate.h"
#include "host/FilePath.h"
#include "host/HostTypes.h"
#include "host/ModalDialog.h"
#include "host/PluginModule.h"

// The module that holds no such resource.
constexpr AIErr kResourceNotFoundErr = FourCC("!Res");

// The dialog template with the id in module; null when the module is not the
// one that holds the plug-in's resources or has no such dialog.
const DialogTemplate* FindDialogTemplate(ModuleHandle module, int32_t id);

// Every dialog template of the plug-in, for inspection.
const DialogTemplate* const* AllDialogTemplates(size_t* count);

// Runs dialog id of the plug-in whose library file is pluginFile, owned by
// owner. Returns kResourceNotFoundErr when the file is not a loaded module
// holding that template, else what ModalDialog::Run returns.
AIErr RunPluginDialog(const ai::FilePath& pluginFile, AIWindowRef owner, int32_t id, ModalDialog& dialog,
                      int32_t* result);

// Runs dialog id of the plug-in, found through its file as the host reports
// it, owned by the host's main window.
AIErr RunPluginDialog(SPPluginRef plugin, int32_t id, ModalDialog& dialog, int32_t* result);

// The template with the id in the plug-in's own module, found through the
// plug-in's file as the host reports it; module receives that module.
// kResourceNotFoundErr when the module holds no such template.
AIErr FindPluginDialogTemplate(SPPluginRef plugin, int32_t id, ModuleHandle& module, const DialogTemplate*& found);
