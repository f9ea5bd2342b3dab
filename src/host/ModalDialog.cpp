#include "host/ModalDialog.h"

#include <exception>

#include "host/AIError.h"
#include "host/AIModalParentSuite.h"
#include "host/AIUserSuite.h"
#include "host/SuitePointers.h"

namespace {

// The platform's dialog services, held for one dialog run.
class PlatformDialogs {
 public:
  PlatformDialogs() {
    if (sSPBasic == nullptr) {
      error = kSPSuiteNotFoundError;
      return;
    }
    const void* acquired = nullptr;
    error = sSPBasic->AcquireSuite(kPlatformDialogSuite, kPlatformDialogSuiteVersion, &acquired);
    if (error == kNoErr) suite = static_cast<const PlatformDialogSuite*>(acquired);
  }
  ~PlatformDialogs() {
    if (suite != nullptr) sSPBasic->ReleaseSuite(kPlatformDialogSuite, kPlatformDialogSuiteVersion);
  }
  PlatformDialogs(const PlatformDialogs&) = delete;
  PlatformDialogs& operator=(const PlatformDialogs&) = delete;

  const PlatformDialogSuite* suite = nullptr;
  AIErr error = kNoErr;
};

// Makes a window the host's modal parent for the life of the object.
class ModalParentScope {
 public:
  explicit ModalParentScope(AIWindowRef window) {
    held = sAIModalParent != nullptr && sAIModalParent->SetModalParent(window, &previous) == kNoErr;
  }
  ~ModalParentScope() {
    if (held) sAIModalParent->RestoreModalParent(previous);
  }
  ModalParentScope(const ModalParentScope&) = delete;
  ModalParentScope& operator=(const ModalParentScope&) = delete;

 private:
  AIWindowRef previous = nullptr;
  bool held = false;
};

}  // namespace

void ModalDialog::ShowMessage(const ai::UnicodeString& message) const {
  ModalParentScope parent(window);
  sAIUser->MessageAlert(message.Ref());
}

bool ModalDialog::AskYesNo(const ai::UnicodeString& question) const {
  ModalParentScope parent(window);
  int32_t answer = kAINoAnswer;
  return sAIUser->YesNoAlert(question.Ref(), &answer) == kNoErr && answer == kAIYesAnswer;
}

AIErr ModalDialog::Run(const DialogTemplate& dialogTemplate, AIWindowRef owner, int32_t* result) {
  PlatformDialogs dialogs;
  if (dialogs.error != kNoErr) return dialogs.error;
  platform = dialogs.suite;
  hookError = kNoErr;
  int32_t ended = kCanceledErr;
  AIErr error = platform->RunModal(&dialogTemplate, owner, &ModalDialog::EventProc, this, &ended);
  window = nullptr;
  platform = nullptr;
  if (error != kNoErr) return error;
  if (hookError != kNoErr) return hookError;
  if (result != nullptr) *result = ended;
  return kNoErr;
}

void ModalDialog::End(int32_t result) const { platform->End(window, result); }

int32_t ModalDialog::EventProc(AIWindowRef window, PlatformDialogEvent* event, void* userData) {
  auto* dialog = static_cast<ModalDialog*>(userData);
  dialog->window = window;
  // Nothing may be thrown back into the platform: a failing hook ends the
  // dialog and Run reports the failure.
  try {
    return dialog->HandleEvent(*event);
  } catch (const ai::Error& error) {
    dialog->hookError = error.Code() != kNoErr ? error.Code() : kCantHappenErr;
  } catch (...) {
    dialog->hookError = kCantHappenErr;
  }
  dialog->End(dialog->hookError);
  return 0;
}

int32_t ModalDialog::HandleEvent(PlatformDialogEvent& event) {
  switch (event.kind) {
    case kDialogEventInit:
      OnInit();
      return 1;
    case kDialogEventCommand:
      if (event.controlId == kDialogIdOK && event.code == kCommandClicked) {
        if (OnOK()) End(kNoErr);
      } else if (event.controlId == kDialogIdCancel && event.code == kCommandClicked) {
        if (OnCancel()) End(kCanceledErr);
      } else {
        OnCommand(event.controlId, event.code);
      }
      return 1;
    case kDialogEventDoubleClick:
      OnDoubleClick(event.controlId, event.row, event.column);
      return 1;
    case kDialogEventScroll:
      OnScroll(event.controlId, event.row);
      return 1;
    case kDialogEventCustomDraw:
      return HandleCustomDraw(event);
    default:
      return 0;
  }
}

int32_t ModalDialog::HandleCustomDraw(PlatformDialogEvent& event) {
  if (!HasCellColours(event.controlId)) return kDrawDefault;
  switch (event.code) {
    case kDrawStagePrePaint:
      return kDrawNotifyItem;
    case kDrawStageItemPrePaint:
      return kDrawNotifySubItem;
    case kDrawStageSubItemPrePaint:
      OnCellColours(event.controlId, event.row, event.column, event.textColour, event.backColour);
      return kDrawNewColours;
    default:
      return kDrawDefault;
  }
}
