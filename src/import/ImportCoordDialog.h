// Dialog 108, "読み込み座標の設定": the reference of the files' coordinates,
// the import area and, for a new map, its reference, scale and orientation.
#pragma once

#include <cstdint>

#include "host/ModalDialog.h"
#include "import/ImportCoordSettings.h"

// The address opened by the web map button: the national mapping agency's
// map, where a latitude and longitude can be looked up.
inline constexpr const char* kWebMapAddress = "https://maps.gsi.go.jp/";

class ImportCoordDialog : public ModalDialog {
 public:
  explicit ImportCoordDialog(ImportCoordSettings& settings) : settings(settings) {}

 private:
  void OnInit() override;
  void OnCommand(int32_t id, int32_t code) override;
  bool OnOK() override;

  void ShowExtent() const;
  void ChooseSourceFromSettings() const;
  void UpdateEnabling() const;
  bool ReadSource(ImportCoordSettings& read) const;
  bool ReadTarget(ImportCoordSettings& read) const;
  bool ReadArea(ImportCoordSettings& read) const;
  bool Refuse(const char* message) const;

  ImportCoordSettings& settings;
  // Whether the user set the source reference (rather than leaving the one
  // the dialog opened with).
  bool sourceTouched = false;
};
