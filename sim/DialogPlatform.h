// The stand-in platform's dialogs and controls, and the scripted user who
// works them. A test says, for each dialog it expects (by template id), what
// the user does: set a text, click a button or box, choose an item,
// double-click a list row, move a track bar, OK, Cancel. Every control's
// state is recorded after the dialog opens and after each action. A dialog
// that no script expects is cancelled and recorded as unexpected.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/DialogTemplate.h"
#include "host/PlatformDialogSuite.h"

namespace sim {

class SuiteBroker;

struct ListViewColumn {
  std::string title;
  int32_t width = 0;
};

struct CellColours {
  uint32_t text = 0x000000;
  uint32_t back = 0xFFFFFF;
  bool operator==(const CellColours&) const = default;
};

// One control as the user would see it. Texts are UTF-8.
struct ControlState {
  int32_t id = 0;
  DialogControlKind kind = DialogControlKind::Static;
  std::string text;
  bool enabled = true;
  bool visible = true;
  bool checked = false;
  int32_t textLimit = -1;  // -1: none set
  int32_t selectionStart = 0, selectionEnd = 0;  // characters of an edit
  std::vector<std::string> items;  // drop-down list
  int32_t selection = -1;
  int32_t droppedWidth = 0;
  uint32_t viewStyle = 0;  // list view
  std::vector<ListViewColumn> columns;
  std::vector<std::vector<std::string>> rows;
  std::vector<std::vector<CellColours>> colours;  // as last painted
  // A static control painted in colours its window chose, as last painted.
  std::optional<CellColours> paintColours;
  std::set<int32_t> selectedRows;
  int32_t trackMinimum = 0, trackMaximum = 100, trackTickFrequency = 1, trackPosition = 0;
  int32_t x = 0, y = 0, width = 0, height = 0;  // where it sits in its window

  bool AllTextSelected() const;
  std::string SelectedItem() const;
};

struct DialogState {
  int32_t templateId = 0;
  std::string caption;
  std::string step;  // "open" or the action just done
  std::vector<ControlState> controls;
  int32_t focus = 0;  // id of the focused control, 0 none
  bool ended = false;
  int32_t result = 0;

  const ControlState& Control(int32_t id) const;  // throws std::out_of_range
  bool Has(int32_t id) const;
};

// One thing the user does.
struct DialogAction {
  enum class Kind { SetText, Click, Check, Choose, ChooseText, DoubleClickRow, SelectRows, SetTrackPosition, Inspect };
  Kind kind = Kind::Click;
  int32_t id = 0;
  std::string text;
  int32_t index = 0;   // item, row or position
  int32_t column = 0;  // double-clicked column
  bool checked = false;
  std::vector<int32_t> rows;
  std::function<void(const DialogState&)> inspect;

  static DialogAction SetText(int32_t id, std::string utf8);
  static DialogAction Click(int32_t id);
  static DialogAction Check(int32_t id, bool checked);
  static DialogAction Choose(int32_t id, int32_t item);
  static DialogAction ChooseText(int32_t id, std::string utf8);
  static DialogAction DoubleClickRow(int32_t id, int32_t row, int32_t column = 0);
  static DialogAction SelectRows(int32_t id, std::vector<int32_t> rows);
  static DialogAction SetTrackPosition(int32_t id, int32_t position);
  // Looks at the dialog as it is at this point of the script.
  static DialogAction Inspect(std::function<void(const DialogState&)> look);
  static DialogAction OK() { return Click(kDialogIdOK); }
  static DialogAction Cancel() { return Click(kDialogIdCancel); }

  std::string Describe() const;
};

// The record of one modal dialog.
struct DialogRun {
  int32_t templateId = 0;
  std::string caption;
  AIWindowRef owner = nullptr;
  bool scripted = false;
  std::vector<DialogState> states;  // after opening, then after each action
  std::vector<std::string> problems;  // actions that could not be done, a script that ran out
  bool ended = false;
  int32_t result = 0;

  const DialogState& Last() const { return states.back(); }
};

// The scripted user's answer to one open-file dialog: act in the dialog's
// child part (choose a combo box entry, say), then choose the files or cancel.
struct OpenFileAnswer {
  std::vector<std::string> files;  // paths in the file system's encoding (UTF-8)
  std::vector<DialogAction> actions;
  bool cancel = false;
  int32_t filterIndex = 0;  // the filter the user switched to; 0 keeps the one offered

  static OpenFileAnswer Choose(std::vector<std::string> files, std::vector<DialogAction> actions = {});
  static OpenFileAnswer Cancel(std::vector<DialogAction> actions = {});
};

// The record of one open-file dialog: what it was asked, what the user did,
// what it gave back.
struct OpenFileRun {
  AIWindowRef owner = nullptr;
  std::string title;  // UTF-8
  std::vector<std::pair<std::string, std::string>> filter;  // description, pattern
  int32_t filterIndex = 0;
  std::string defExt;
  std::string initialDir;
  std::string initialFile;
  uint32_t flags = 0;
  uint32_t maxFile = 0;
  bool scripted = false;
  bool hooked = false;
  int32_t templateId = 0;  // the child part's template, 0 when none
  // The child part: its states after opening, after each action and after
  // the confirmation reached the hook.
  std::optional<DialogRun> child;
  std::vector<std::string> chosen;  // full paths the user confirmed
  bool confirmed = false;
  uint32_t error = 0;  // as FileDialogError reports it
  std::string result;  // the bytes the dialog wrote to the file buffer, terminators included
  std::vector<std::string> problems;
};

class DialogPlatform {
 public:
  DialogPlatform();
  ~DialogPlatform();
  DialogPlatform(const DialogPlatform&) = delete;
  DialogPlatform& operator=(const DialogPlatform&) = delete;

  // The platform that the suite's entry points talk to.
  static DialogPlatform* Current();
  static const PlatformDialogSuite* Suite();
  void RegisterWith(SuiteBroker& broker) const;

  // Scripts are taken in order: the first waiting one with the template id.
  void Expect(int32_t templateId, std::vector<DialogAction> actions);
  size_t PendingScripts() const { return scripts.size(); }

  const std::vector<DialogRun>& Runs() const { return runs; }
  std::vector<const DialogRun*> RunsOf(int32_t templateId) const;
  std::vector<const DialogRun*> UnexpectedRuns() const;
  // Calls that named a window or control that does not exist, or a control of the wrong kind.
  const std::vector<std::string>& Faults() const { return faults; }
  // Addresses opened with the shell.
  const std::vector<std::string>& Opened() const { return opened; }

  // Open-file dialogs: answers are taken in order; with none left the
  // dialog is cancelled and recorded as unscripted.
  void ExpectOpenFile(OpenFileAnswer answer);
  size_t PendingOpenFileAnswers() const { return openFileAnswers.size(); }
  const std::vector<OpenFileRun>& OpenFileRuns() const { return openFileRuns; }
  AIErr RunOpenFile(PlatformOpenFileName* request, AIBoolean* confirmed);
  uint32_t LastFileDialogError() const { return fileDialogError; }
  void Reset();

  // Native windows that are not dialogs (the panel's), and the user acting in them.
  AIWindowRef CreateNativeWindow(const std::string& caption);
  void DestroyNativeWindow(AIWindowRef window);
  DialogState Snapshot(AIWindowRef window) const;
  // The procedure that receives the window's events now, or null.
  PlatformDialogProc EventProc(AIWindowRef window) const;
  // What the host sends a native window as it frames it: shown or hidden,
  // a new client size, and painting in the given colours (the window, then
  // each visible static control's colour message with those colours as
  // defaults, then the list views' custom drawing). Later paints of the
  // window keep the colours.
  void SendShow(AIWindowRef window, bool shown);
  void SendSize(AIWindowRef window, int32_t width, int32_t height);
  void PaintNativeWindow(AIWindowRef window, uint32_t textColour, uint32_t backColour);
  // Problems of the action, empty when done.
  std::string Act(AIWindowRef window, const DialogAction& action);

  struct Window;
  struct Control;

  // Entry points of the suite.
  AIErr RunModal(const DialogTemplate* dialogTemplate, AIWindowRef owner, PlatformDialogProc proc, void* userData,
                 int32_t* result);
  Window* FindWindow(AIWindowRef window, const char* operation);
  Control* FindControl(AIWindowRef window, int32_t id, const char* operation);
  void Fault(std::string what) { faults.push_back(std::move(what)); }
  void Open(std::string address) { opened.push_back(std::move(address)); }

 private:
  std::string Apply(Window& window, const DialogAction& action);
  void Paint(Window& window);
  void PaintStatics(Window& window);
  int32_t Send(Window& window, PlatformDialogEvent& event);
  int32_t Send(Window& window, PlatformDialogEvent&& event) { return Send(window, event); }
  void Command(Window& window, int32_t id, int32_t code);
  void CancelRun(Window& window, DialogRun& run);
  bool ValidOpenFileRequest(const PlatformOpenFileName& request);
  Window* BuildOpenFileChild(const PlatformOpenFileName& request);
  bool ResolveChosenFiles(const PlatformOpenFileName& request, const OpenFileAnswer& answer, OpenFileRun& run);
  bool ConfirmToHook(Window* child, PlatformOpenFileName& request, OpenFileRun& run);
  void WriteOpenFileResult(PlatformOpenFileName& request, OpenFileRun& run);

  struct Script {
    int32_t templateId;
    std::vector<DialogAction> actions;
  };
  std::deque<Script> scripts;
  std::vector<DialogRun> runs;
  std::vector<std::unique_ptr<Window>> windows;
  std::vector<std::string> faults;
  std::vector<std::string> opened;
  std::deque<OpenFileAnswer> openFileAnswers;
  std::vector<OpenFileRun> openFileRuns;
  uint32_t fileDialogError = 0;
  DialogPlatform* previous = nullptr;
};

}  // namespace sim
