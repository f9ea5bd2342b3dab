#include "sim/DialogPlatform.h"

#include <link.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "sim/SuiteBroker.h"
#include "sim/TextCodec.h"

namespace sim {

struct DialogPlatform::Control {
  DialogControlTemplate info;
  std::u16string text;
  bool enabled = true;
  bool visible = true;
  bool checked = false;
  int32_t textLimit = -1;
  int32_t selectionStart = 0, selectionEnd = 0;
  std::vector<std::u16string> items;
  int32_t selection = -1;
  int32_t droppedWidth = 0;
  uint32_t viewStyle = 0;
  std::vector<std::pair<std::u16string, int32_t>> columns;
  std::vector<std::vector<std::u16string>> rows;
  std::vector<std::vector<CellColours>> colours;
  std::optional<CellColours> paintColours;
  std::set<int32_t> selectedRows;
  int32_t trackMinimum = 0, trackMaximum = 100, trackTickFrequency = 1, trackPosition = 0;
};

struct DialogPlatform::Window {
  int32_t templateId = 0;
  std::u16string caption;
  std::vector<Control> controls;
  PlatformDialogProc proc = nullptr;
  void* userData = nullptr;
  bool modal = false;
  bool ended = false;
  int32_t result = 0;
  int32_t focus = 0;
  // What its static controls paint in unless the procedure chooses.
  uint32_t textColour = 0x000000, backColour = 0xFFFFFF;
};

namespace {

DialogPlatform* current = nullptr;

std::u16string FromPlatform(const char* text) { return text == nullptr ? u"" : DecodeText(text, kAIShiftJISCharacterEncoding); }
std::string ToPlatform(const std::u16string& text) { return EncodeText(text, kAIShiftJISCharacterEncoding); }
std::string Utf8(const std::u16string& text) { return Utf16ToUtf8(text); }

AIWindowRef Handle(DialogPlatform::Window* window) { return reinterpret_cast<AIWindowRef>(window); }

bool IsButton(DialogControlKind kind) {
  return kind == DialogControlKind::PushButton || kind == DialogControlKind::DefaultPushButton ||
         kind == DialogControlKind::CheckBox || kind == DialogControlKind::RadioButton;
}

bool CanTakeFocus(DialogControlKind kind) {
  return kind != DialogControlKind::Static && kind != DialogControlKind::GroupBox && kind != DialogControlKind::Icon;
}

DialogPlatform::Control MakeControl(const DialogControlTemplate& info) {
  DialogPlatform::Control control;
  control.info = info;
  control.text = Utf8ToUtf16(info.caption == nullptr ? "" : info.caption);
  control.enabled = (info.style & kDialogStyleDisabled) == 0;
  control.visible = (info.style & kDialogStyleHidden) == 0;
  return control;
}

ControlState StateOf(const DialogPlatform::Control& control) {
  ControlState state;
  state.id = control.info.id;
  state.kind = control.info.kind;
  state.text = Utf8(control.text);
  state.enabled = control.enabled;
  state.visible = control.visible;
  state.checked = control.checked;
  state.textLimit = control.textLimit;
  state.selectionStart = control.selectionStart;
  state.selectionEnd = control.selectionEnd;
  for (const auto& item : control.items) state.items.push_back(Utf8(item));
  state.selection = control.selection;
  state.droppedWidth = control.droppedWidth;
  state.viewStyle = control.viewStyle;
  for (const auto& [title, width] : control.columns) state.columns.push_back({Utf8(title), width});
  for (const auto& row : control.rows) {
    std::vector<std::string> cells;
    for (const auto& cell : row) cells.push_back(Utf8(cell));
    state.rows.push_back(std::move(cells));
  }
  state.colours = control.colours;
  state.paintColours = control.paintColours;
  state.selectedRows = control.selectedRows;
  state.trackMinimum = control.trackMinimum;
  state.trackMaximum = control.trackMaximum;
  state.trackTickFrequency = control.trackTickFrequency;
  state.trackPosition = control.trackPosition;
  state.x = control.info.x;
  state.y = control.info.y;
  state.width = control.info.width;
  state.height = control.info.height;
  return state;
}

std::string Name(int32_t id) { return "control " + std::to_string(id); }

}  // namespace

// --- observation -----------------------------------------------------------

bool ControlState::AllTextSelected() const {
  return selectionStart == 0 && selectionEnd == static_cast<int32_t>(Utf8ToUtf16(text).size());
}

std::string ControlState::SelectedItem() const {
  if (selection < 0 || selection >= static_cast<int32_t>(items.size())) return {};
  return items[static_cast<size_t>(selection)];
}

const ControlState& DialogState::Control(int32_t id) const {
  for (const auto& control : controls) {
    if (control.id == id) return control;
  }
  throw std::out_of_range("no control " + std::to_string(id) + " in dialog " + std::to_string(templateId));
}

bool DialogState::Has(int32_t id) const {
  return std::any_of(controls.begin(), controls.end(), [id](const ControlState& c) { return c.id == id; });
}

// --- actions ---------------------------------------------------------------

DialogAction DialogAction::SetText(int32_t id, std::string utf8) {
  DialogAction action;
  action.kind = Kind::SetText;
  action.id = id;
  action.text = std::move(utf8);
  return action;
}

DialogAction DialogAction::Click(int32_t id) {
  DialogAction action;
  action.kind = Kind::Click;
  action.id = id;
  return action;
}

DialogAction DialogAction::Check(int32_t id, bool checked) {
  DialogAction action;
  action.kind = Kind::Check;
  action.id = id;
  action.checked = checked;
  return action;
}

DialogAction DialogAction::Choose(int32_t id, int32_t item) {
  DialogAction action;
  action.kind = Kind::Choose;
  action.id = id;
  action.index = item;
  return action;
}

DialogAction DialogAction::ChooseText(int32_t id, std::string utf8) {
  DialogAction action;
  action.kind = Kind::ChooseText;
  action.id = id;
  action.text = std::move(utf8);
  return action;
}

DialogAction DialogAction::DoubleClickRow(int32_t id, int32_t row, int32_t column) {
  DialogAction action;
  action.kind = Kind::DoubleClickRow;
  action.id = id;
  action.index = row;
  action.column = column;
  return action;
}

DialogAction DialogAction::SelectRows(int32_t id, std::vector<int32_t> rows) {
  DialogAction action;
  action.kind = Kind::SelectRows;
  action.id = id;
  action.rows = std::move(rows);
  return action;
}

DialogAction DialogAction::SetTrackPosition(int32_t id, int32_t position) {
  DialogAction action;
  action.kind = Kind::SetTrackPosition;
  action.id = id;
  action.index = position;
  return action;
}

DialogAction DialogAction::Inspect(std::function<void(const DialogState&)> look) {
  DialogAction action;
  action.kind = Kind::Inspect;
  action.inspect = std::move(look);
  return action;
}

std::string DialogAction::Describe() const {
  switch (kind) {
    case Kind::SetText: return "set text of " + Name(id) + " to \"" + text + "\"";
    case Kind::Click: return "click " + Name(id);
    case Kind::Check: return std::string(checked ? "check " : "clear ") + Name(id);
    case Kind::Choose: return "choose item " + std::to_string(index) + " of " + Name(id);
    case Kind::ChooseText: return "choose \"" + text + "\" in " + Name(id);
    case Kind::DoubleClickRow: return "double-click row " + std::to_string(index) + " of " + Name(id);
    case Kind::SelectRows: return "select rows of " + Name(id);
    case Kind::SetTrackPosition: return "move " + Name(id) + " to " + std::to_string(index);
    case Kind::Inspect: return "inspect";
  }
  return "?";
}

// --- the platform ----------------------------------------------------------

DialogPlatform::DialogPlatform() : previous(current) { current = this; }

DialogPlatform::~DialogPlatform() { current = previous; }

DialogPlatform* DialogPlatform::Current() { return current; }

void DialogPlatform::RegisterWith(SuiteBroker& broker) const {
  broker.Register(kPlatformDialogSuite, kPlatformDialogSuiteVersion, Suite());
}

void DialogPlatform::Expect(int32_t templateId, std::vector<DialogAction> actions) {
  scripts.push_back({templateId, std::move(actions)});
}

std::vector<const DialogRun*> DialogPlatform::RunsOf(int32_t templateId) const {
  std::vector<const DialogRun*> found;
  for (const auto& run : runs) {
    if (run.templateId == templateId) found.push_back(&run);
  }
  return found;
}

std::vector<const DialogRun*> DialogPlatform::UnexpectedRuns() const {
  std::vector<const DialogRun*> found;
  for (const auto& run : runs) {
    if (!run.scripted) found.push_back(&run);
  }
  return found;
}

void DialogPlatform::Reset() {
  scripts.clear();
  runs.clear();
  faults.clear();
  opened.clear();
  openFileAnswers.clear();
  openFileRuns.clear();
  fileDialogError = 0;
}

AIWindowRef DialogPlatform::CreateNativeWindow(const std::string& caption) {
  auto window = std::make_unique<Window>();
  window->caption = Utf8ToUtf16(caption);
  windows.push_back(std::move(window));
  return Handle(windows.back().get());
}

void DialogPlatform::DestroyNativeWindow(AIWindowRef handle) {
  std::erase_if(windows, [handle](const auto& w) { return Handle(w.get()) == handle; });
}

DialogPlatform::Window* DialogPlatform::FindWindow(AIWindowRef handle, const char* operation) {
  for (const auto& window : windows) {
    if (Handle(window.get()) == handle) return window.get();
  }
  Fault(std::string(operation) + ": no such window");
  return nullptr;
}

DialogPlatform::Control* DialogPlatform::FindControl(AIWindowRef handle, int32_t id, const char* operation) {
  Window* window = FindWindow(handle, operation);
  if (window == nullptr) return nullptr;
  for (auto& control : window->controls) {
    if (control.info.id == id) return &control;
  }
  Fault(std::string(operation) + ": no " + Name(id) + " in dialog " + std::to_string(window->templateId));
  return nullptr;
}

DialogState DialogPlatform::Snapshot(AIWindowRef handle) const {
  DialogState state;
  for (const auto& window : windows) {
    if (Handle(window.get()) != handle) continue;
    state.templateId = window->templateId;
    state.caption = Utf8(window->caption);
    for (const auto& control : window->controls) state.controls.push_back(StateOf(control));
    state.focus = window->focus;
    state.ended = window->ended;
    state.result = window->result;
  }
  return state;
}

PlatformDialogProc DialogPlatform::EventProc(AIWindowRef handle) const {
  for (const auto& window : windows) {
    if (Handle(window.get()) == handle) return window->proc;
  }
  return nullptr;
}

int32_t DialogPlatform::Send(Window& window, PlatformDialogEvent& event) {
  if (window.proc == nullptr) return 0;
  return window.proc(Handle(&window), &event, window.userData);
}

void DialogPlatform::Command(Window& window, int32_t id, int32_t code) {
  Send(window, PlatformDialogEvent{kDialogEventCommand, id, code, 0, 0, 0, 0});
}

// Static controls ask their window for colours before they paint.
void DialogPlatform::PaintStatics(Window& window) {
  for (size_t i = 0; i < window.controls.size(); ++i) {
    if (window.controls[i].info.kind != DialogControlKind::Static || !window.controls[i].visible) continue;
    const int32_t id = window.controls[i].info.id;
    PlatformDialogEvent event{kDialogEventControlColour, id, 0, 0, 0, window.textColour, window.backColour};
    const bool coloured = Send(window, event) != 0;
    // The procedure may have changed the window's controls meanwhile.
    if (i < window.controls.size() && window.controls[i].info.id == id) {
      window.controls[i].paintColours =
          coloured ? std::optional<CellColours>(CellColours{event.textColour, event.backColour}) : std::nullopt;
    }
  }
}

// Custom drawing as a list view does it: ask at the paint stage, then per
// row and per cell only when the answer before asked for it.
void DialogPlatform::Paint(Window& window) {
  PaintStatics(window);
  for (auto& control : window.controls) {
    if (control.info.kind != DialogControlKind::ListView || !control.visible) continue;
    const int32_t id = control.info.id;
    const size_t columns = std::max<size_t>(control.columns.size(), 1);
    std::vector<std::vector<CellColours>> colours(control.rows.size(), std::vector<CellColours>(columns));
    const int32_t paint = Send(window, {kDialogEventCustomDraw, id, kDrawStagePrePaint, -1, -1, 0, 0xFFFFFF});
    if ((paint & kDrawNotifyItem) != 0) {
      for (size_t row = 0; row < colours.size(); ++row) {
        const int32_t r = static_cast<int32_t>(row);
        const int32_t item = Send(window, {kDialogEventCustomDraw, id, kDrawStageItemPrePaint, r, 0, 0, 0xFFFFFF});
        if ((item & kDrawNotifySubItem) == 0) continue;
        for (size_t column = 0; column < columns; ++column) {
          PlatformDialogEvent cell{kDialogEventCustomDraw, id, kDrawStageSubItemPrePaint, r,
                                   static_cast<int32_t>(column), 0x000000, 0xFFFFFF};
          if ((Send(window, cell) & kDrawNewColours) != 0) colours[row][column] = {cell.textColour, cell.backColour};
        }
      }
    }
    // The procedure may have changed the list while painting; keep what fits.
    Control* again = nullptr;
    for (auto& c : window.controls) {
      if (c.info.id == id) again = &c;
    }
    if (again != nullptr && again->rows.size() == colours.size()) again->colours = std::move(colours);
  }
}

std::string DialogPlatform::Act(AIWindowRef handle, const DialogAction& action) {
  Window* window = FindWindow(handle, "act");
  if (window == nullptr) return "no such window";
  std::string problem = Apply(*window, action);
  if (!window->ended) Paint(*window);
  return problem;
}

std::string DialogPlatform::Apply(Window& window, const DialogAction& action) {
  if (action.kind == DialogAction::Kind::Inspect) {
    if (action.inspect) action.inspect(Snapshot(Handle(&window)));
    return {};
  }
  auto found = std::find_if(window.controls.begin(), window.controls.end(),
                            [&](const Control& c) { return c.info.id == action.id; });
  if (found == window.controls.end()) return action.Describe() + ": no such control";
  Control& control = *found;
  if (!control.visible) return action.Describe() + ": the control is hidden";
  if (!control.enabled) return action.Describe() + ": the control is disabled";
  const int32_t id = control.info.id;
  const DialogControlKind kind = control.info.kind;
  if (CanTakeFocus(kind)) window.focus = id;

  switch (action.kind) {
    case DialogAction::Kind::SetText: {
      if (kind != DialogControlKind::Edit) return action.Describe() + ": not an edit";
      std::u16string text = Utf8ToUtf16(action.text);
      // The user cannot type past the limit.
      if (control.textLimit >= 0 && text.size() > static_cast<size_t>(control.textLimit)) text.resize(control.textLimit);
      control.text = text;
      control.selectionStart = control.selectionEnd = static_cast<int32_t>(text.size());
      Command(window, id, kCommandTextChange);
      return {};
    }
    case DialogAction::Kind::Check:
      if (kind != DialogControlKind::CheckBox && kind != DialogControlKind::RadioButton) {
        return action.Describe() + ": not a check box or radio button";
      }
      if (control.checked == action.checked) return {};
      if (kind == DialogControlKind::RadioButton && !action.checked) {
        return action.Describe() + ": a radio button is cleared by clicking another";
      }
      [[fallthrough]];
    case DialogAction::Kind::Click: {
      if (!IsButton(kind)) return action.Describe() + ": not a button";
      if (kind == DialogControlKind::CheckBox) control.checked = !control.checked;
      if (kind == DialogControlKind::RadioButton) {
        // An automatic radio button clears the others of its group.
        const auto index = static_cast<size_t>(found - window.controls.begin());
        size_t first = index;
        while (first > 0 && (window.controls[first].info.style & kDialogStyleGroup) == 0) --first;
        size_t last = index + 1;
        while (last < window.controls.size() && (window.controls[last].info.style & kDialogStyleGroup) == 0) ++last;
        for (size_t i = first; i < last; ++i) {
          if (window.controls[i].info.kind == DialogControlKind::RadioButton) window.controls[i].checked = (i == index);
        }
      }
      Command(window, id, kCommandClicked);
      return {};
    }
    case DialogAction::Kind::ChooseText:
    case DialogAction::Kind::Choose: {
      if (kind != DialogControlKind::DropDownList) return action.Describe() + ": not a drop-down list";
      int32_t item = action.index;
      if (action.kind == DialogAction::Kind::ChooseText) {
        auto at = std::find(control.items.begin(), control.items.end(), Utf8ToUtf16(action.text));
        if (at == control.items.end()) return action.Describe() + ": no such item";
        item = static_cast<int32_t>(at - control.items.begin());
      }
      if (item < 0 || item >= static_cast<int32_t>(control.items.size())) return action.Describe() + ": no such item";
      control.selection = item;
      Command(window, id, kCommandSelChange);
      return {};
    }
    case DialogAction::Kind::SelectRows:
    case DialogAction::Kind::DoubleClickRow: {
      if (kind != DialogControlKind::ListView) return action.Describe() + ": not a list view";
      std::vector<int32_t> rows = action.kind == DialogAction::Kind::SelectRows ? action.rows
                                                                               : std::vector<int32_t>{action.index};
      const auto count = static_cast<int32_t>(control.rows.size());
      control.selectedRows.clear();
      for (int32_t row : rows) {
        if (row >= count) return action.Describe() + ": no such row";
        if (row >= 0) control.selectedRows.insert(row);
      }
      if (action.kind == DialogAction::Kind::DoubleClickRow) {
        Send(window, {kDialogEventDoubleClick, id, 0, action.index, action.column, 0, 0});
      }
      return {};
    }
    case DialogAction::Kind::SetTrackPosition:
      if (kind != DialogControlKind::TrackBar) return action.Describe() + ": not a track bar";
      control.trackPosition = std::clamp(action.index, control.trackMinimum, control.trackMaximum);
      Send(window, {kDialogEventScroll, id, 0, control.trackPosition, 0, 0, 0});
      return {};
    case DialogAction::Kind::Inspect:
      return {};
  }
  return {};
}

void DialogPlatform::CancelRun(Window& window, DialogRun& run) {
  // As the user closing the dialog: Cancel, and if the dialog refuses, the
  // run is ended all the same so that a test never hangs.
  Command(window, kDialogIdCancel, kCommandClicked);
  if (!window.ended) {
    run.problems.push_back("the dialog did not end on Cancel");
    window.ended = true;
    window.result = 0x53544F50;
  }
}

AIErr DialogPlatform::RunModal(const DialogTemplate* dialogTemplate, AIWindowRef owner, PlatformDialogProc proc,
                               void* userData, int32_t* result) {
  if (dialogTemplate == nullptr || proc == nullptr || result == nullptr) {
    Fault("run modal: missing template, procedure or result");
    return kBadParameterErr;
  }
  auto owned = std::make_unique<Window>();
  Window& window = *owned;
  window.templateId = dialogTemplate->id;
  window.caption = Utf8ToUtf16(dialogTemplate->caption == nullptr ? "" : dialogTemplate->caption);
  for (size_t i = 0; i < dialogTemplate->controlCount; ++i) window.controls.push_back(MakeControl(dialogTemplate->controls[i]));
  window.proc = proc;
  window.userData = userData;
  window.modal = true;
  windows.push_back(std::move(owned));
  const AIWindowRef handle = Handle(&window);

  const size_t runIndex = runs.size();
  runs.push_back({});
  runs[runIndex].templateId = window.templateId;
  runs[runIndex].caption = Utf8(window.caption);
  runs[runIndex].owner = owner;
  auto record = [&](const std::string& step) {
    DialogState state = Snapshot(handle);
    state.step = step;
    runs[runIndex].states.push_back(std::move(state));
  };

  std::vector<DialogAction> actions;
  auto script = std::find_if(scripts.begin(), scripts.end(), [&](const Script& s) { return s.templateId == window.templateId; });
  runs[runIndex].scripted = script != scripts.end();
  if (script != scripts.end()) {
    actions = std::move(script->actions);
    scripts.erase(script);
  }

  Send(window, {kDialogEventInit, 0, 0, 0, 0, 0, 0});
  if (window.focus == 0) {
    for (const auto& control : window.controls) {
      if (CanTakeFocus(control.info.kind) && control.enabled && control.visible) {
        window.focus = control.info.id;
        break;
      }
    }
  }
  if (!window.ended) Paint(window);
  record("open");

  if (!runs[runIndex].scripted && !window.ended) {
    CancelRun(window, runs[runIndex]);
    record("cancelled: no script");
  }
  for (const auto& action : actions) {
    if (window.ended) {
      runs[runIndex].problems.push_back(action.Describe() + ": the dialog has already ended");
      continue;
    }
    std::string problem = Apply(window, action);
    if (!problem.empty()) runs[runIndex].problems.push_back(problem);
    if (!window.ended) Paint(window);
    record(action.Describe());
  }
  if (!window.ended) {
    runs[runIndex].problems.push_back("the script ended with the dialog open");
    CancelRun(window, runs[runIndex]);
    record("cancelled: script ran out");
  }

  runs[runIndex].ended = true;
  runs[runIndex].result = window.result;
  *result = window.result;
  DestroyNativeWindow(handle);
  return kNoErr;
}

// --- suite entry points ----------------------------------------------------

namespace {

using Control = DialogPlatform::Control;

Control* Find(AIWindowRef window, int32_t id, const char* operation) {
  return current->FindControl(window, id, operation);
}

Control* FindKind(AIWindowRef window, int32_t id, DialogControlKind kind, const char* operation) {
  Control* control = Find(window, id, operation);
  if (control != nullptr && control->info.kind != kind) {
    current->Fault(std::string(operation) + ": " + Name(id) + " is of another kind");
    return nullptr;
  }
  return control;
}

AIErr RunModal(const DialogTemplate* t, AIWindowRef owner, PlatformDialogProc proc, void* data, int32_t* result) {
  return current->RunModal(t, owner, proc, data, result);
}

AIErr End(AIWindowRef handle, int32_t result) {
  DialogPlatform::Window* window = current->FindWindow(handle, "end");
  if (window == nullptr) return kBadParameterErr;
  window->ended = true;
  window->result = result;
  return kNoErr;
}

AIErr SetText(AIWindowRef handle, int32_t id, const char* text) {
  if (id == 0) {
    DialogPlatform::Window* window = current->FindWindow(handle, "set text");
    if (window == nullptr) return kBadParameterErr;
    window->caption = FromPlatform(text);
    return kNoErr;
  }
  Control* control = Find(handle, id, "set text");
  if (control == nullptr) return kBadParameterErr;
  control->text = FromPlatform(text);
  control->selectionStart = control->selectionEnd = 0;
  return kNoErr;
}

AIErr GetText(AIWindowRef handle, int32_t id, char* buffer, int32_t capacity, int32_t* length) {
  Control* control = Find(handle, id, "get text");
  if (control == nullptr || length == nullptr) return kBadParameterErr;
  std::u16string text = control->text;
  if (control->info.kind == DialogControlKind::DropDownList) {
    text = control->selection >= 0 && control->selection < static_cast<int32_t>(control->items.size())
               ? control->items[static_cast<size_t>(control->selection)]
               : u"";
  }
  const std::string bytes = ToPlatform(text);
  *length = static_cast<int32_t>(bytes.size());
  if (buffer != nullptr && capacity > 0) {
    const size_t copied = std::min(bytes.size(), static_cast<size_t>(capacity - 1));
    std::copy_n(bytes.data(), copied, buffer);
    buffer[copied] = '\0';
  }
  return kNoErr;
}

AIErr SetTextLimit(AIWindowRef handle, int32_t id, int32_t characters) {
  Control* control = FindKind(handle, id, DialogControlKind::Edit, "set text limit");
  if (control == nullptr) return kBadParameterErr;
  control->textLimit = characters;
  return kNoErr;
}

AIErr SetTextSelection(AIWindowRef handle, int32_t id, int32_t start, int32_t end) {
  Control* control = FindKind(handle, id, DialogControlKind::Edit, "set text selection");
  if (control == nullptr) return kBadParameterErr;
  const auto length = static_cast<int32_t>(control->text.size());
  control->selectionStart = std::clamp(start, 0, length);
  control->selectionEnd = end < 0 ? length : std::clamp(end, control->selectionStart, length);
  return kNoErr;
}

AIErr SetFocus(AIWindowRef handle, int32_t id) {
  Control* control = Find(handle, id, "set focus");
  if (control == nullptr) return kBadParameterErr;
  current->FindWindow(handle, "set focus")->focus = id;
  return kNoErr;
}

AIErr GetFocus(AIWindowRef handle, int32_t* id) {
  DialogPlatform::Window* window = current->FindWindow(handle, "get focus");
  if (window == nullptr || id == nullptr) return kBadParameterErr;
  *id = window->focus;
  return kNoErr;
}

AIErr Enable(AIWindowRef handle, int32_t id, AIBoolean enable) {
  Control* control = Find(handle, id, "enable");
  if (control == nullptr) return kBadParameterErr;
  control->enabled = enable != 0;
  return kNoErr;
}

AIErr IsEnabled(AIWindowRef handle, int32_t id, AIBoolean* enabled) {
  Control* control = Find(handle, id, "is enabled");
  if (control == nullptr || enabled == nullptr) return kBadParameterErr;
  *enabled = control->enabled;
  return kNoErr;
}

AIErr Show(AIWindowRef handle, int32_t id, AIBoolean show) {
  Control* control = Find(handle, id, "show");
  if (control == nullptr) return kBadParameterErr;
  control->visible = show != 0;
  return kNoErr;
}

AIErr IsVisible(AIWindowRef handle, int32_t id, AIBoolean* visible) {
  Control* control = Find(handle, id, "is visible");
  if (control == nullptr || visible == nullptr) return kBadParameterErr;
  *visible = control->visible;
  return kNoErr;
}

AIErr SetCheck(AIWindowRef handle, int32_t id, AIBoolean checked) {
  Control* control = Find(handle, id, "set check");
  if (control == nullptr) return kBadParameterErr;
  if (control->info.kind != DialogControlKind::CheckBox && control->info.kind != DialogControlKind::RadioButton) {
    current->Fault("set check: " + Name(id) + " is not a check box or radio button");
    return kBadParameterErr;
  }
  control->checked = checked != 0;
  return kNoErr;
}

AIErr GetCheck(AIWindowRef handle, int32_t id, AIBoolean* checked) {
  Control* control = Find(handle, id, "get check");
  if (control == nullptr || checked == nullptr) return kBadParameterErr;
  *checked = control->checked;
  return kNoErr;
}

AIErr CheckRadio(AIWindowRef handle, int32_t first, int32_t last, int32_t id) {
  DialogPlatform::Window* window = current->FindWindow(handle, "check radio");
  if (window == nullptr) return kBadParameterErr;
  if (Find(handle, id, "check radio") == nullptr) return kBadParameterErr;
  for (auto& control : window->controls) {
    const int32_t c = control.info.id;
    if (c >= first && c <= last && control.info.kind == DialogControlKind::RadioButton) control.checked = (c == id);
  }
  return kNoErr;
}

AIErr ListReset(AIWindowRef handle, int32_t id) {
  Control* control = FindKind(handle, id, DialogControlKind::DropDownList, "list reset");
  if (control == nullptr) return kBadParameterErr;
  control->items.clear();
  control->selection = -1;
  return kNoErr;
}

AIErr ListAdd(AIWindowRef handle, int32_t id, const char* text, int32_t* index) {
  Control* control = FindKind(handle, id, DialogControlKind::DropDownList, "list add");
  if (control == nullptr) return kBadParameterErr;
  control->items.push_back(FromPlatform(text));
  if (index != nullptr) *index = static_cast<int32_t>(control->items.size()) - 1;
  return kNoErr;
}

AIErr ListCount(AIWindowRef handle, int32_t id, int32_t* count) {
  Control* control = FindKind(handle, id, DialogControlKind::DropDownList, "list count");
  if (control == nullptr || count == nullptr) return kBadParameterErr;
  *count = static_cast<int32_t>(control->items.size());
  return kNoErr;
}

AIErr ListSetSelection(AIWindowRef handle, int32_t id, int32_t index) {
  Control* control = FindKind(handle, id, DialogControlKind::DropDownList, "list set selection");
  if (control == nullptr) return kBadParameterErr;
  // Like the platform: an index outside the items clears the selection.
  control->selection = index >= 0 && index < static_cast<int32_t>(control->items.size()) ? index : -1;
  return index == control->selection ? kNoErr : kBadParameterErr;
}

AIErr ListGetSelection(AIWindowRef handle, int32_t id, int32_t* index) {
  Control* control = FindKind(handle, id, DialogControlKind::DropDownList, "list get selection");
  if (control == nullptr || index == nullptr) return kBadParameterErr;
  *index = control->selection;
  return kNoErr;
}

AIErr ListSetDroppedWidth(AIWindowRef handle, int32_t id, int32_t pixels) {
  Control* control = FindKind(handle, id, DialogControlKind::DropDownList, "list set dropped width");
  if (control == nullptr) return kBadParameterErr;
  control->droppedWidth = pixels;
  return kNoErr;
}

AIErr ViewSetStyle(AIWindowRef handle, int32_t id, uint32_t style) {
  Control* control = FindKind(handle, id, DialogControlKind::ListView, "view set style");
  if (control == nullptr) return kBadParameterErr;
  control->viewStyle = style;
  return kNoErr;
}

AIErr ViewInsertColumn(AIWindowRef handle, int32_t id, int32_t column, const char* title, int32_t width) {
  Control* control = FindKind(handle, id, DialogControlKind::ListView, "view insert column");
  if (control == nullptr) return kBadParameterErr;
  const auto at = static_cast<size_t>(std::clamp(column, 0, static_cast<int32_t>(control->columns.size())));
  control->columns.insert(control->columns.begin() + static_cast<std::ptrdiff_t>(at), {FromPlatform(title), width});
  for (auto& row : control->rows) {
    if (row.size() >= at) row.insert(row.begin() + static_cast<std::ptrdiff_t>(at), u"");
  }
  return kNoErr;
}

AIErr ViewSetColumnWidth(AIWindowRef handle, int32_t id, int32_t column, int32_t width) {
  Control* control = FindKind(handle, id, DialogControlKind::ListView, "view set column width");
  if (control == nullptr || column < 0 || column >= static_cast<int32_t>(control->columns.size())) return kBadParameterErr;
  control->columns[static_cast<size_t>(column)].second = width;
  return kNoErr;
}

AIErr ViewGetColumnWidth(AIWindowRef handle, int32_t id, int32_t column, int32_t* width) {
  Control* control = FindKind(handle, id, DialogControlKind::ListView, "view get column width");
  if (control == nullptr || width == nullptr || column < 0 || column >= static_cast<int32_t>(control->columns.size())) {
    return kBadParameterErr;
  }
  *width = control->columns[static_cast<size_t>(column)].second;
  return kNoErr;
}

AIErr ViewDeleteAllRows(AIWindowRef handle, int32_t id) {
  Control* control = FindKind(handle, id, DialogControlKind::ListView, "view delete all rows");
  if (control == nullptr) return kBadParameterErr;
  control->rows.clear();
  control->colours.clear();
  control->selectedRows.clear();
  return kNoErr;
}

AIErr ViewInsertRow(AIWindowRef handle, int32_t id, int32_t row, const char* text, int32_t* index) {
  Control* control = FindKind(handle, id, DialogControlKind::ListView, "view insert row");
  if (control == nullptr) return kBadParameterErr;
  const int32_t at = std::clamp(row, 0, static_cast<int32_t>(control->rows.size()));
  std::vector<std::u16string> cells(std::max<size_t>(control->columns.size(), 1));
  cells[0] = FromPlatform(text);
  control->rows.insert(control->rows.begin() + at, std::move(cells));
  std::set<int32_t> shifted;
  for (int32_t selected : control->selectedRows) shifted.insert(selected >= at ? selected + 1 : selected);
  control->selectedRows = std::move(shifted);
  control->colours.clear();  // painted again after the event
  if (index != nullptr) *index = at;
  return kNoErr;
}

AIErr ViewSetCell(AIWindowRef handle, int32_t id, int32_t row, int32_t column, const char* text) {
  Control* control = FindKind(handle, id, DialogControlKind::ListView, "view set cell");
  if (control == nullptr || row < 0 || row >= static_cast<int32_t>(control->rows.size()) || column < 0 ||
      column >= static_cast<int32_t>(std::max<size_t>(control->columns.size(), 1))) {
    return kBadParameterErr;
  }
  auto& cells = control->rows[static_cast<size_t>(row)];
  if (cells.size() <= static_cast<size_t>(column)) cells.resize(static_cast<size_t>(column) + 1);
  cells[static_cast<size_t>(column)] = FromPlatform(text);
  return kNoErr;
}

AIErr ViewRowCount(AIWindowRef handle, int32_t id, int32_t* count) {
  Control* control = FindKind(handle, id, DialogControlKind::ListView, "view row count");
  if (control == nullptr || count == nullptr) return kBadParameterErr;
  *count = static_cast<int32_t>(control->rows.size());
  return kNoErr;
}

AIErr ViewNextSelected(AIWindowRef handle, int32_t id, int32_t after, int32_t* row) {
  Control* control = FindKind(handle, id, DialogControlKind::ListView, "view next selected");
  if (control == nullptr || row == nullptr) return kBadParameterErr;
  auto next = control->selectedRows.upper_bound(after);
  *row = next == control->selectedRows.end() ? -1 : *next;
  return kNoErr;
}

AIErr TrackSetRange(AIWindowRef handle, int32_t id, int32_t minimum, int32_t maximum) {
  Control* control = FindKind(handle, id, DialogControlKind::TrackBar, "track set range");
  if (control == nullptr) return kBadParameterErr;
  control->trackMinimum = minimum;
  control->trackMaximum = std::max(minimum, maximum);
  control->trackPosition = std::clamp(control->trackPosition, control->trackMinimum, control->trackMaximum);
  return kNoErr;
}

AIErr TrackSetTickFrequency(AIWindowRef handle, int32_t id, int32_t step) {
  Control* control = FindKind(handle, id, DialogControlKind::TrackBar, "track set tick frequency");
  if (control == nullptr) return kBadParameterErr;
  control->trackTickFrequency = step;
  return kNoErr;
}

AIErr TrackSetPosition(AIWindowRef handle, int32_t id, int32_t position) {
  Control* control = FindKind(handle, id, DialogControlKind::TrackBar, "track set position");
  if (control == nullptr) return kBadParameterErr;
  control->trackPosition = std::clamp(position, control->trackMinimum, control->trackMaximum);
  return kNoErr;
}

AIErr TrackGetPosition(AIWindowRef handle, int32_t id, int32_t* position) {
  Control* control = FindKind(handle, id, DialogControlKind::TrackBar, "track get position");
  if (control == nullptr || position == nullptr) return kBadParameterErr;
  *position = control->trackPosition;
  return kNoErr;
}

AIErr CreateControl(AIWindowRef parent, const DialogControlTemplate* info) {
  DialogPlatform::Window* window = current->FindWindow(parent, "create control");
  if (window == nullptr || info == nullptr) return kBadParameterErr;
  window->controls.push_back(MakeControl(*info));
  return kNoErr;
}

AIErr MoveControl(AIWindowRef parent, int32_t id, int32_t x, int32_t y, int32_t width, int32_t height) {
  Control* control = Find(parent, id, "move control");
  if (control == nullptr) return kBadParameterErr;
  control->info.x = static_cast<int16_t>(x);
  control->info.y = static_cast<int16_t>(y);
  control->info.width = static_cast<int16_t>(width);
  control->info.height = static_cast<int16_t>(height);
  return kNoErr;
}

AIErr DestroyControls(AIWindowRef parent) {
  DialogPlatform::Window* window = current->FindWindow(parent, "destroy controls");
  if (window == nullptr) return kBadParameterErr;
  window->controls.clear();
  return kNoErr;
}

AIErr SetEventProc(AIWindowRef handle, PlatformDialogProc proc, void* userData, PlatformDialogProc* previousProc,
                   void** previousUserData) {
  DialogPlatform::Window* window = current->FindWindow(handle, "set event procedure");
  if (window == nullptr) return kBadParameterErr;
  if (previousProc != nullptr) *previousProc = window->proc;
  if (previousUserData != nullptr) *previousUserData = window->userData;
  window->proc = proc;
  window->userData = userData;
  return kNoErr;
}

AIErr ShellOpen(const char* address) {
  if (address == nullptr) return kBadParameterErr;
  current->Open(Utf8(FromPlatform(address)));
  return kNoErr;
}

AIErr GetOpenFileName(PlatformOpenFileName* request, AIBoolean* confirmed) {
  return current->RunOpenFile(request, confirmed);
}

AIErr FileDialogError(uint32_t* code) {
  if (code == nullptr) return kBadParameterErr;
  *code = current->LastFileDialogError();
  return kNoErr;
}

const PlatformDialogSuite kSuite = {
    RunModal,        End,           SetText,          GetText,          SetTextLimit,       SetTextSelection,
    SetFocus,        GetFocus,      Enable,           IsEnabled,        Show,               IsVisible,
    SetCheck,        GetCheck,      CheckRadio,       ListReset,        ListAdd,            ListCount,
    ListSetSelection, ListGetSelection, ListSetDroppedWidth, ViewSetStyle, ViewInsertColumn, ViewSetColumnWidth,
    ViewGetColumnWidth, ViewDeleteAllRows, ViewInsertRow, ViewSetCell, ViewRowCount, ViewNextSelected,
    TrackSetRange,   TrackSetTickFrequency, TrackSetPosition, TrackGetPosition, CreateControl, MoveControl,
    DestroyControls, SetEventProc,  ShellOpen,     GetOpenFileName,  FileDialogError,
};

}  // namespace

const PlatformDialogSuite* DialogPlatform::Suite() { return &kSuite; }

// --- Native windows as the host frames them ---------------------------------------

void DialogPlatform::SendShow(AIWindowRef handle, bool shown) {
  if (Window* window = FindWindow(handle, "show window")) Send(*window, {kDialogEventShow, 0, shown ? 1 : 0, 0, 0, 0, 0});
}

void DialogPlatform::SendSize(AIWindowRef handle, int32_t width, int32_t height) {
  if (Window* window = FindWindow(handle, "size window")) Send(*window, {kDialogEventSize, 0, 0, width, height, 0, 0});
}

void DialogPlatform::PaintNativeWindow(AIWindowRef handle, uint32_t textColour, uint32_t backColour) {
  Window* window = FindWindow(handle, "paint window");
  if (window == nullptr) return;
  window->textColour = textColour;
  window->backColour = backColour;
  Send(*window, {kDialogEventPaint, 0, 0, 0, 0, textColour, backColour});
  Paint(*window);
}

}  // namespace sim

// --- the open-file dialog ----------------------------------------------------
//
// As the platform's explorer-style 8-bit dialog: the child part comes from a
// template of the caller's module and is worked by the caller's hook; the
// choice comes back as one full path, or as the folder followed by the names
// when several files were chosen; a buffer that is too small is a failure
// that tells the size needed.

namespace sim {

namespace {

ModuleHandle FirstLoadSegment(const dl_phdr_info* info) {
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    if (info->dlpi_phdr[i].p_type == PT_LOAD) return info->dlpi_addr + info->dlpi_phdr[i].p_vaddr;
  }
  return 0;
}

// The module whose loaded segments hold the address, as the system names modules.
ModuleHandle ModuleHolding(const void* address) {
  struct Search {
    uintptr_t address;
    ModuleHandle found = 0;
  } search{reinterpret_cast<uintptr_t>(address)};
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* data) {
        auto* s = static_cast<Search*>(data);
        for (int i = 0; i < info->dlpi_phnum; ++i) {
          const ElfW(Phdr)& segment = info->dlpi_phdr[i];
          const uintptr_t start = info->dlpi_addr + segment.p_vaddr;
          if (segment.p_type == PT_LOAD && s->address >= start && s->address - start < segment.p_memsz) {
            s->found = FirstLoadSegment(info);
            return 1;
          }
        }
        return 0;
      },
      &search);
  return search.found;
}

std::string PlatformText(const char* text) { return text == nullptr ? std::string() : Utf8(FromPlatform(text)); }

std::vector<std::pair<std::string, std::string>> ParseFilter(const char* filter) {
  std::vector<std::pair<std::string, std::string>> pairs;
  if (filter == nullptr) return pairs;
  // Pairs of zero-terminated texts up to an empty one; a pair whose pattern
  // is missing ends the list.
  const char* at = filter;
  while (*at != '\0') {
    const std::string description = at;
    at += description.size() + 1;
    const std::string pattern = at;
    pairs.emplace_back(PlatformText(description.c_str()), PlatformText(pattern.c_str()));
    if (pattern.empty()) break;
    at += pattern.size() + 1;
  }
  return pairs;
}

// The deepest folder that holds every path.
std::filesystem::path CommonFolder(const std::vector<std::filesystem::path>& paths) {
  std::filesystem::path common = paths.front().parent_path();
  for (const auto& path : paths) {
    const std::filesystem::path folder = path.parent_path();
    std::filesystem::path shared;
    auto a = common.begin();
    auto b = folder.begin();
    for (; a != common.end() && b != folder.end() && *a == *b; ++a, ++b) shared /= *a;
    common = shared;
  }
  return common;
}

struct ChoiceLayout {
  std::string bytes;
  uint16_t nameOffset = 0;
  uint16_t extensionOffset = 0;
};

// The bytes of the choice as the platform lays them out in the file buffer:
// one full path; or the folder, then the names, each ended by a zero byte
// and the whole by one more (the old-style dialog separates the names with
// blanks instead). Names of files outside the folder's own level are given
// relative to the deepest folder that holds them all.
ChoiceLayout LayOutChoice(uint32_t flags, const std::vector<std::string>& chosen) {
  namespace fs = std::filesystem;
  const bool explorer = (flags & kOpenFileExplorer) != 0;
  ChoiceLayout layout;
  if (chosen.size() == 1) {
    const fs::path path(chosen.front());
    layout.bytes = path.string();
    layout.nameOffset = static_cast<uint16_t>(layout.bytes.size() - path.filename().string().size());
    if (path.has_extension()) {
      layout.extensionOffset = static_cast<uint16_t>(layout.bytes.size() - path.extension().string().size() + 1);
    }
    layout.bytes.push_back('\0');
    if ((flags & kOpenFileAllowMultiSelect) != 0 && explorer) layout.bytes.push_back('\0');
    return layout;
  }
  std::vector<fs::path> paths(chosen.begin(), chosen.end());
  const fs::path folder = CommonFolder(paths);
  layout.bytes = folder.string();
  layout.bytes.push_back(explorer ? '\0' : ' ');
  layout.nameOffset = static_cast<uint16_t>(layout.bytes.size());
  for (size_t i = 0; i < paths.size(); ++i) {
    layout.bytes += paths[i].lexically_relative(folder).string();
    layout.bytes.push_back(explorer || i + 1 == paths.size() ? '\0' : ' ');
  }
  if (explorer) layout.bytes.push_back('\0');
  return layout;
}

}  // namespace

OpenFileAnswer OpenFileAnswer::Choose(std::vector<std::string> files, std::vector<DialogAction> actions) {
  OpenFileAnswer answer;
  answer.files = std::move(files);
  answer.actions = std::move(actions);
  return answer;
}

OpenFileAnswer OpenFileAnswer::Cancel(std::vector<DialogAction> actions) {
  OpenFileAnswer answer;
  answer.cancel = true;
  answer.actions = std::move(actions);
  return answer;
}

void DialogPlatform::ExpectOpenFile(OpenFileAnswer answer) { openFileAnswers.push_back(std::move(answer)); }

bool DialogPlatform::ValidOpenFileRequest(const PlatformOpenFileName& request) {
  if (request.structSize != sizeof(PlatformOpenFileName)) {
    fileDialogError = kFileDialogErrStructSize;
    return false;
  }
  if ((request.flags & kOpenFileEnableHook) != 0 && request.hook == nullptr) {
    fileDialogError = kFileDialogErrNoHook;
    return false;
  }
  if ((request.flags & kOpenFileEnableTemplate) != 0) {
    const DialogTemplate* found = request.templateData;
    if (request.instance == 0 || found == nullptr || found->id != request.templateName ||
        ModuleHolding(found) != request.instance) {
      fileDialogError = kFileDialogErrFindResource;
      return false;
    }
  }
  if (request.file == nullptr || request.maxFile == 0) {
    fileDialogError = kFileDialogErrInvalidFileName;
    return false;
  }
  return true;
}

DialogPlatform::Window* DialogPlatform::BuildOpenFileChild(const PlatformOpenFileName& request) {
  auto owned = std::make_unique<Window>();
  Window& child = *owned;
  // A hook without a template of its own gets an empty child part.
  if ((request.flags & kOpenFileEnableTemplate) != 0) {
    const DialogTemplate& part = *request.templateData;
    child.templateId = part.id;
    child.caption = Utf8ToUtf16(part.caption == nullptr ? "" : part.caption);
    for (size_t i = 0; i < part.controlCount; ++i) child.controls.push_back(MakeControl(part.controls[i]));
  }
  child.proc = request.hook;
  child.userData = request.custData;
  windows.push_back(std::move(owned));
  return &child;
}

bool DialogPlatform::ResolveChosenFiles(const PlatformOpenFileName& request, const OpenFileAnswer& answer,
                                        OpenFileRun& run) {
  namespace fs = std::filesystem;
  if (answer.files.empty()) {
    run.problems.push_back("no file chosen");
    return false;
  }
  if (answer.files.size() > 1 && (request.flags & kOpenFileAllowMultiSelect) == 0) {
    run.problems.push_back("several files chosen in a dialog that takes one");
    return false;
  }
  const std::string defExt = request.defExt == nullptr ? std::string() : request.defExt;
  std::vector<std::string> chosen;
  for (const std::string& given : answer.files) {
    fs::path path = fs::absolute(fs::path(given)).lexically_normal();
    // A name typed without an extension gets the default one.
    if (!defExt.empty() && !path.has_extension()) path += "." + defExt;
    std::error_code error;
    if ((request.flags & kOpenFilePathMustExist) != 0 && !fs::is_directory(path.parent_path(), error)) {
      run.problems.push_back(path.string() + ": the folder does not exist");
      return false;
    }
    if ((request.flags & kOpenFileFileMustExist) != 0 && !fs::is_regular_file(path, error)) {
      run.problems.push_back(path.string() + ": the file does not exist");
      return false;
    }
    chosen.push_back(path.string());
  }
  run.chosen = std::move(chosen);
  return true;
}

// Puts the laid-out choice into the file buffer, or, when it does not fit,
// the size it needs into the buffer's first two bytes.
void DialogPlatform::WriteOpenFileResult(PlatformOpenFileName& request, OpenFileRun& run) {
  const ChoiceLayout layout = LayOutChoice(request.flags, run.chosen);
  if (layout.bytes.size() > request.maxFile) {
    const auto needed = static_cast<uint16_t>(layout.bytes.size());
    if (request.maxFile >= 2) {
      request.file[0] = static_cast<char>(needed & 0xFF);
      request.file[1] = static_cast<char>(needed >> 8);
    }
    run.result.assign(request.file, std::min<size_t>(request.maxFile, 2));
    fileDialogError = kFileDialogErrBufferTooSmall;
    return;
  }
  std::copy(layout.bytes.begin(), layout.bytes.end(), request.file);
  request.fileOffset = layout.nameOffset;
  request.fileExtension = layout.extensionOffset;
  run.result = layout.bytes;
  run.confirmed = true;
}

bool DialogPlatform::ConfirmToHook(Window* child, PlatformOpenFileName& request, OpenFileRun& run) {
  if (child == nullptr) return true;
  PlatformDialogEvent event{kDialogEventFileOK, 0, 0, 0, 0, 0, 0};
  const int32_t refused = Send(*child, event);
  if (run.child) {
    DialogState state = Snapshot(Handle(child));
    state.step = "confirmed";
    run.child->states.push_back(std::move(state));
  }
  if (refused != 0) run.problems.push_back("the hook refused the choice");
  return refused == 0;
}

AIErr DialogPlatform::RunOpenFile(PlatformOpenFileName* request, AIBoolean* confirmed) {
  if (request == nullptr || confirmed == nullptr) return kBadParameterErr;
  *confirmed = false;
  fileDialogError = 0;
  if (!ValidOpenFileRequest(*request)) return kNoErr;

  OpenFileRun run;
  run.owner = request->owner;
  run.title = PlatformText(request->title);
  run.filter = ParseFilter(request->filter);
  run.filterIndex = request->filterIndex;
  run.defExt = PlatformText(request->defExt);
  run.initialDir = request->initialDir == nullptr ? std::string() : request->initialDir;
  run.initialFile.assign(request->file, strnlen(request->file, request->maxFile));
  run.flags = request->flags;
  run.maxFile = request->maxFile;
  run.hooked = (request->flags & kOpenFileEnableHook) != 0;
  run.templateId = (request->flags & kOpenFileEnableTemplate) != 0 ? request->templateName : 0;
  run.scripted = !openFileAnswers.empty();
  OpenFileAnswer answer = OpenFileAnswer::Cancel();
  if (run.scripted) {
    answer = std::move(openFileAnswers.front());
    openFileAnswers.pop_front();
  }

  Window* child = nullptr;
  if (run.hooked) {
    child = BuildOpenFileChild(*request);
    run.child.emplace();
    run.child->templateId = child->templateId;
    run.child->owner = request->owner;
    run.child->scripted = run.scripted;
    auto record = [&](const std::string& step) {
      DialogState state = Snapshot(Handle(child));
      state.step = step;
      run.child->states.push_back(std::move(state));
    };
    Send(*child, PlatformDialogEvent{kDialogEventInit, 0, 0, 0, 0, 0, 0});
    record("open");
    for (const auto& action : answer.actions) {
      std::string problem = Apply(*child, action);
      if (!problem.empty()) run.child->problems.push_back(problem);
      record(action.Describe());
    }
  } else if (!answer.actions.empty()) {
    run.problems.push_back("actions scripted for a dialog without a child part");
  }

  if (!answer.cancel && ResolveChosenFiles(*request, answer, run)) {
    if (answer.filterIndex > 0) request->filterIndex = answer.filterIndex;
    // The hook already sees the choice in the buffer when it fits.
    const std::string bytes = LayOutChoice(request->flags, run.chosen).bytes;
    if (bytes.size() <= request->maxFile) std::copy(bytes.begin(), bytes.end(), request->file);
    if (ConfirmToHook(child, *request, run)) WriteOpenFileResult(*request, run);
  }
  if (run.child) run.child->ended = true;
  run.error = fileDialogError;
  *confirmed = run.confirmed;
  if (child != nullptr) DestroyNativeWindow(Handle(child));
  openFileRuns.push_back(std::move(run));
  return kNoErr;
}

}  // namespace sim
