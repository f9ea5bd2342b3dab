#include "host/DialogControls.h"

#include <cstdlib>
#include <string>

namespace {

std::string MultiByte(const ai::UnicodeString& text) { return text.as_Platform(); }

}  // namespace

void DialogControls::SetText(int32_t id, const ai::UnicodeString& text) const {
  platform->SetText(window, id, MultiByte(text).c_str());
}

ai::UnicodeString DialogControls::GetText(int32_t id, size_t maxCharacters) const {
  int32_t length = 0;
  if (platform->GetText(window, id, nullptr, 0, &length) != kNoErr || length <= 0) return {};
  // Read the whole text and cut it as characters, so that a double-byte
  // character is never split in half.
  std::string bytes(static_cast<size_t>(length) + 1, '\0');
  int32_t copied = 0;
  if (platform->GetText(window, id, bytes.data(), length + 1, &copied) != kNoErr) return {};
  bytes.resize(static_cast<size_t>(length));
  ai::UnicodeString text = ai::UnicodeString::FromPlatform(bytes);
  if (text.length() <= maxCharacters) return text;
  size_t cut = maxCharacters;
  std::u16string units = text.as_UTF16();
  if (cut > 0 && units[cut - 1] >= 0xD800 && units[cut - 1] <= 0xDBFF) --cut;  // keep surrogate pairs whole
  return text.substr(0, cut);
}

int32_t DialogControls::GetInteger(int32_t id) const {
  std::string text = GetText(id, 255).as_UTF8();
  long value = std::strtol(text.c_str(), nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

void DialogControls::SetTextLimit(int32_t id, int32_t characters) const {
  platform->SetTextLimit(window, id, characters);
}

void DialogControls::SelectAllText(int32_t id) const { platform->SetTextSelection(window, id, 0, -1); }

void DialogControls::SetFocus(int32_t id) const { platform->SetFocus(window, id); }

void DialogControls::Enable(int32_t id, bool enable) const { platform->Enable(window, id, enable); }

bool DialogControls::IsEnabled(int32_t id) const {
  AIBoolean enabled = false;
  return platform->IsEnabled(window, id, &enabled) == kNoErr && enabled;
}

void DialogControls::Show(int32_t id, bool show) const { platform->Show(window, id, show); }

void DialogControls::SetChecked(int32_t id, bool checked) const { platform->SetCheck(window, id, checked); }

bool DialogControls::IsChecked(int32_t id) const {
  AIBoolean checked = false;
  return platform->GetCheck(window, id, &checked) == kNoErr && checked;
}

void DialogControls::CheckRadio(int32_t first, int32_t last, int32_t id) const {
  platform->CheckRadio(window, first, last, id);
}

void DialogControls::ListReset(int32_t id) const { platform->ListReset(window, id); }

int32_t DialogControls::ListAdd(int32_t id, const ai::UnicodeString& text) const {
  int32_t index = -1;
  platform->ListAdd(window, id, MultiByte(text).c_str(), &index);
  return index;
}

int32_t DialogControls::ListCount(int32_t id) const {
  int32_t count = 0;
  platform->ListCount(window, id, &count);
  return count;
}

void DialogControls::ListSelect(int32_t id, int32_t index) const { platform->ListSetSelection(window, id, index); }

int32_t DialogControls::ListSelection(int32_t id) const {
  int32_t index = -1;
  if (platform->ListGetSelection(window, id, &index) != kNoErr) return -1;
  return index;
}

void DialogControls::ListSetDroppedWidth(int32_t id, int32_t pixels) const {
  platform->ListSetDroppedWidth(window, id, pixels);
}

void DialogControls::ViewSetStyle(int32_t id, uint32_t extendedStyle) const {
  platform->ViewSetStyle(window, id, extendedStyle);
}

void DialogControls::ViewInsertColumn(int32_t id, int32_t column, const ai::UnicodeString& title,
                                      int32_t width) const {
  platform->ViewInsertColumn(window, id, column, MultiByte(title).c_str(), width);
}

void DialogControls::ViewSetColumnWidth(int32_t id, int32_t column, int32_t width) const {
  platform->ViewSetColumnWidth(window, id, column, width);
}

int32_t DialogControls::ViewColumnWidth(int32_t id, int32_t column) const {
  int32_t width = 0;
  platform->ViewGetColumnWidth(window, id, column, &width);
  return width;
}

void DialogControls::ViewDeleteAllRows(int32_t id) const { platform->ViewDeleteAllRows(window, id); }

int32_t DialogControls::ViewAppendRow(int32_t id, const ai::UnicodeString& firstCell) const {
  int32_t index = -1;
  platform->ViewInsertRow(window, id, INT32_MAX, MultiByte(firstCell).c_str(), &index);
  return index;
}

void DialogControls::ViewSetCell(int32_t id, int32_t row, int32_t column, const ai::UnicodeString& text) const {
  platform->ViewSetCell(window, id, row, column, MultiByte(text).c_str());
}

int32_t DialogControls::ViewRowCount(int32_t id) const {
  int32_t count = 0;
  platform->ViewRowCount(window, id, &count);
  return count;
}

int32_t DialogControls::ViewNextSelected(int32_t id, int32_t after) const {
  int32_t row = -1;
  if (platform->ViewNextSelected(window, id, after, &row) != kNoErr) return -1;
  return row;
}

void DialogControls::TrackSetRange(int32_t id, int32_t minimum, int32_t maximum) const {
  platform->TrackSetRange(window, id, minimum, maximum);
}

void DialogControls::TrackSetTickFrequency(int32_t id, int32_t step) const {
  platform->TrackSetTickFrequency(window, id, step);
}

void DialogControls::TrackSetPosition(int32_t id, int32_t position) const {
  platform->TrackSetPosition(window, id, position);
}

int32_t DialogControls::TrackPosition(int32_t id) const {
  int32_t position = 0;
  platform->TrackGetPosition(window, id, &position);
  return position;
}
