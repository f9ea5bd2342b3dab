// The export settings dialog (resource 115): shows an ExportSettings record,
// keeps its controls consistent while the user works and writes the choices
// back on OK after checking them.
#pragma once

#include <cstdint>

#include "export/ExportSettings.h"
#include "host/FilePath.h"
#include "host/HostTypes.h"
#include "host/ModalDialog.h"

class ExportDialog : public ModalDialog {
 public:
  // 0 after OK (the settings filled in), STOP after Cancel (the settings
  // untouched), or the failure to open the dialog. The template comes from
  // the plug-in's own module; the dialog is owned by the host's main window.
  static AIErr Show(SPPluginRef plugin, ExportSettings& settings);
  // The same with the template found in the module of pluginFile.
  static AIErr Show(const ai::FilePath& pluginFile, AIWindowRef owner, ExportSettings& settings);

 private:
  explicit ExportDialog(ExportSettings& settings) : settings(settings) {}

  void OnInit() override;
  void OnCommand(int32_t id, int32_t code) override;
  void OnScroll(int32_t id, int32_t position) override;
  bool OnOK() override;

  void FillLists();
  void SetFormatControls() const;
  void SetFromSettings() const;
  void UpdateEnabling() const;
  void EnableAndClear(int32_t id, bool enable) const;
  bool ReadObjectKinds(int32_t& kinds) const;
  bool ReadMarkers(ExportSettings& result) const;
  bool ReadOutput(ExportSettings& result) const;
  bool CurrentLayerIsReserved() const;

  ExportSettings& settings;
};
