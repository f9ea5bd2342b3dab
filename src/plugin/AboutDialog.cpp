#include "plugin/AboutDialog.h"

#include "resources/DialogIds.h"
#include "resources/DialogResources.h"

AIErr AboutDialog::Show(SPPluginRef plugin) {
  AboutDialog dialog;
  int32_t result = 0;
  return RunPluginDialog(plugin, dialog_ids::kAbout, dialog, &result);
}

// The site opens in the browser; the dialog stays.
void AboutDialog::OnCommand(int32_t id, int32_t code) {
  if (id != dialog_ids::about::kWebSite || code != kCommandClicked) return;
  Platform()->ShellOpen(kWebSite);
}
