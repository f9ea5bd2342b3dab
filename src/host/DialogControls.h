// Control access by id inside one platform window (a modal dialog or the
// panel's native window). Texts are host Unicode strings on this side and the
// platform's multibyte code page on the other. Failures of single control calls
// are not reported: a missing control simply keeps its state, as on Windows.
#pragma once

#include <cstdint>

#include "host/HostTypes.h"
#include "host/PlatformDialogSuite.h"
#include "host/UnicodeString.h"

class DialogControls {
 public:
  DialogControls() = default;
  DialogControls(const PlatformDialogSuite* platform, AIWindowRef window) : platform(platform), window(window) {}

  AIWindowRef Window() const { return window; }
  const PlatformDialogSuite* Platform() const { return platform; }

  void SetText(int32_t id, const ai::UnicodeString& text) const;
  // The control's text, cut to at most maxCharacters characters.
  ai::UnicodeString GetText(int32_t id, size_t maxCharacters) const;
  // The text read as a base-10 integer; no number reads as 0.
  int32_t GetInteger(int32_t id) const;
  void SetTextLimit(int32_t id, int32_t characters) const;
  void SelectAllText(int32_t id) const;
  void SetFocus(int32_t id) const;
  void Enable(int32_t id, bool enable) const;
  bool IsEnabled(int32_t id) const;
  void Show(int32_t id, bool show) const;

  void SetChecked(int32_t id, bool checked) const;
  bool IsChecked(int32_t id) const;
  void CheckRadio(int32_t first, int32_t last, int32_t id) const;

  void ListReset(int32_t id) const;
  int32_t ListAdd(int32_t id, const ai::UnicodeString& text) const;
  int32_t ListCount(int32_t id) const;
  void ListSelect(int32_t id, int32_t index) const;
  int32_t ListSelection(int32_t id) const;  // -1 when none
  void ListSetDroppedWidth(int32_t id, int32_t pixels) const;

  void ViewSetStyle(int32_t id, uint32_t extendedStyle) const;
  void ViewInsertColumn(int32_t id, int32_t column, const ai::UnicodeString& title, int32_t width) const;
  void ViewSetColumnWidth(int32_t id, int32_t column, int32_t width) const;
  int32_t ViewColumnWidth(int32_t id, int32_t column) const;
  void ViewDeleteAllRows(int32_t id) const;
  int32_t ViewAppendRow(int32_t id, const ai::UnicodeString& firstCell) const;
  void ViewSetCell(int32_t id, int32_t row, int32_t column, const ai::UnicodeString& text) const;
  int32_t ViewRowCount(int32_t id) const;
  int32_t ViewNextSelected(int32_t id, int32_t after) const;

  void TrackSetRange(int32_t id, int32_t minimum, int32_t maximum) const;
  void TrackSetTickFrequency(int32_t id, int32_t step) const;
  void TrackSetPosition(int32_t id, int32_t position) const;
  int32_t TrackPosition(int32_t id) const;

 protected:
  const PlatformDialogSuite* platform = nullptr;
  AIWindowRef window = nullptr;
};
