// The About dialog: the version and a button that opens the maker's web site.
#pragma once

#include "host/HostTypes.h"
#include "host/ModalDialog.h"

class AboutDialog : public ModalDialog {
 public:
  // Runs the dialog of the plug-in, owned by the host's main window.
  static AIErr Show(SPPluginRef plugin);

  static constexpr const char* kWebSite = "https://kartzmap.jp/";

 protected:
  void OnCommand(int32_t id, int32_t code) override;
};
