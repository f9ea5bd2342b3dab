// A modal dialog of the system: a small class that says what happens at
// opening, at each control action, at OK and at Cancel. Run builds it from a
// template and returns when the dialog ends; OK ends with 0 unless OnOK keeps
// the dialog open, Cancel ends with the cancel code STOP.
#pragma once

#include <cstdint>

#include "host/DialogControls.h"
#include "host/DialogTemplate.h"
#include "host/HostTypes.h"

class ModalDialog : protected DialogControls {
 public:
  ModalDialog() = default;
  virtual ~ModalDialog() = default;
  ModalDialog(const ModalDialog&) = delete;
  ModalDialog& operator=(const ModalDialog&) = delete;

  // Runs the dialog owned by owner. result receives the value the dialog
  // ended with; the return value is a platform failure (or a host error that
  // a hook raised, which also ends the dialog).
  AIErr Run(const DialogTemplate& dialogTemplate, AIWindowRef owner, int32_t* result);

 protected:
  virtual void OnInit() {}
  // Any control action other than OK and Cancel.
  virtual void OnCommand(int32_t id, int32_t code) {}
  // OK was pressed: true ends the dialog with 0, false keeps it open.
  virtual bool OnOK() { return true; }
  // Cancel was pressed: true ends the dialog with STOP.
  virtual bool OnCancel() { return true; }
  virtual void OnDoubleClick(int32_t id, int32_t row, int32_t column) {}
  virtual void OnScroll(int32_t id, int32_t position) {}
  // List views that colour their cells answer true here and set the colours
  // in OnCellColours.
  virtual bool HasCellColours(int32_t id) const { return false; }
  virtual void OnCellColours(int32_t id, int32_t row, int32_t column, uint32_t& text, uint32_t& back) {}

  void End(int32_t result) const;
  // Host alerts over this dialog: the dialog is the host's modal parent
  // while the alert is up.
  void ShowMessage(const ai::UnicodeString& message) const;
  bool AskYesNo(const ai::UnicodeString& question) const;

 private:
  static int32_t EventProc(AIWindowRef window, PlatformDialogEvent* event, void* userData);
  int32_t HandleEvent(PlatformDialogEvent& event);
  int32_t HandleCustomDraw(PlatformDialogEvent& event);

  AIErr hookError = kNoErr;
};
