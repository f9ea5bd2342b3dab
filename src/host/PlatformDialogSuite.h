// The platform's dialog and control services (user32, comctl32 and the shell
// on Windows): modal dialogs built from the plug-in's templates, the controls
// inside them and inside the panel's native window, and the shell's "open".
// The platform hands this table out through the basic suite under its name;
// the system reaches it only through ModalDialog and DialogControls.
//
// Every text crosses this boundary in the platform's multibyte code page
// (CP932), NUL-terminated, exactly as the real ANSI controls take it.
#pragma once

#include <cstdint>

#include "host/DialogTemplate.h"
#include "host/HostTypes.h"
#include "host/PluginModule.h"

#define kPlatformDialogSuite "KzMap Platform Dialog Suite"
#define kPlatformDialogSuiteVersion 1

// What reaches a dialog's event procedure.
enum PlatformDialogEventKind : int32_t {
  kDialogEventInit = 1,         // controls are built; the dialog is not yet shown to the user
  kDialogEventCommand = 2,      // a control acted; code tells how
  kDialogEventDoubleClick = 3,  // list view double-clicked at (row, column); row -1: no row under it
  kDialogEventCustomDraw = 4,   // list view painting; code is the drawing stage
  kDialogEventScroll = 5,       // track bar moved to position row
  // A static control is about to be painted: the procedure may set its text
  // and background colours in the event and answers non-zero to use them.
  kDialogEventControlColour = 6,
  // Native windows that are not dialogs (the panel's), as the host frames them:
  kDialogEventShow = 7,   // shown (code 1) or hidden (code 0)
  kDialogEventSize = 8,   // the client area is now row × column (width × height) pixels
  kDialogEventPaint = 9,  // the window is painted (textColour and backColour are its colours);
                          // its static controls and list views paint after it
  // Open-file dialog hooks only: the user confirmed a choice. The answer 0
  // accepts it; non-zero keeps the dialog open.
  kDialogEventFileOK = 10,
};

// Command codes.
enum PlatformCommandCode : int32_t {
  kCommandClicked = 0,     // button, check box or radio button clicked
  kCommandSelChange = 1,   // drop-down list selection changed by the user
  kCommandTextChange = 2,  // edit text changed by the user
};

// Custom-draw stages and answers. A list view asks at the paint stage, then,
// when told to, for each row, then, when told to, for each cell.
enum PlatformDrawStage : int32_t {
  kDrawStagePrePaint = 0x1,
  kDrawStageItemPrePaint = 0x10001,
  kDrawStageSubItemPrePaint = 0x30001,
};
enum PlatformDrawAnswer : int32_t {
  kDrawDefault = 0x0,
  kDrawNewColours = 0x2,     // this cell uses the colours set in the event
  kDrawNotifyItem = 0x20,    // answer to the paint stage: ask for each row
  kDrawNotifySubItem = 0x20, // answer to the row stage: ask for each cell
};

// List view extended styles.
enum : uint32_t {
  kListViewGridLines = 0x1,
  kListViewFullRowSelect = 0x20,
  kListViewShowSelectionAlways = 0x10000,  // keeps the selection shown without focus
};

// Colours are 0x00BBGGRR, as the platform's.
constexpr uint32_t PlatformRGB(uint8_t red, uint8_t green, uint8_t blue) {
  return static_cast<uint32_t>(red) | (static_cast<uint32_t>(green) << 8) | (static_cast<uint32_t>(blue) << 16);
}

struct PlatformDialogEvent {
  int32_t kind;
  int32_t controlId;
  int32_t code;          // command code or drawing stage
  int32_t row;           // list view row, track bar position
  int32_t column;        // list view column
  uint32_t textColour;   // custom draw of a cell: in the default, out the colour to use
  uint32_t backColour;
};

// A dialog's or window's event procedure. The answer matters only for custom
// drawing (PlatformDrawAnswer); otherwise non-zero means handled.
using PlatformDialogProc = int32_t (*)(AIWindowRef window, PlatformDialogEvent* event, void* userData);

// --- The open-file dialog (the platform's 8-bit common file dialog) ---------

// Flags, with the platform's values.
enum : uint32_t {
  kOpenFileHideReadOnly = 0x4,
  kOpenFileEnableHook = 0x20,
  kOpenFileEnableTemplate = 0x40,
  kOpenFileAllowMultiSelect = 0x200,
  kOpenFilePathMustExist = 0x800,
  kOpenFileFileMustExist = 0x1000,
  kOpenFileExplorer = 0x80000,
  kOpenFileEnableSizing = 0x800000,
};

// Why the last open-file dialog failed (0 when the user cancelled), with
// the platform's values.
enum : uint32_t {
  kFileDialogErrStructSize = 0x1,
  kFileDialogErrNoTemplate = 0x3,
  kFileDialogErrFindResource = 0x6,
  kFileDialogErrNoHook = 0xB,
  kFileDialogErrInvalidFileName = 0x3002,
  // The result did not fit: the first two bytes of the file buffer hold the
  // size it needs, in bytes, as a little-endian 16-bit number.
  kFileDialogErrBufferTooSmall = 0x3003,
};

// What the dialog is asked to do and where it leaves the choice; the
// fields and their meaning are those of the platform's record.
struct PlatformOpenFileName {
  uint32_t structSize = sizeof(PlatformOpenFileName);
  AIWindowRef owner = nullptr;
  // The module that holds the child template (kOpenFileEnableTemplate).
  ModuleHandle instance = 0;
  // Pairs of description and pattern, each ended by a zero byte, the whole
  // ended by one more.
  const char* filter = nullptr;
  int32_t filterIndex = 1;  // 1-based; receives the pair in use at the end
  // In: an initial file name or an empty text. Out: with one file chosen its
  // full path; with several (kOpenFileAllowMultiSelect) the folder, then each
  // name, every text ended by a zero byte and the whole by one more.
  char* file = nullptr;
  uint32_t maxFile = 0;  // bytes of the file buffer
  const char* initialDir = nullptr;
  const char* title = nullptr;  // null: the platform's own title
  uint32_t flags = 0;
  uint16_t fileOffset = 0;     // out: where the (first) file name starts in file
  uint16_t fileExtension = 0;  // out: where the extension starts (one file), else 0
  const char* defExt = nullptr;  // added to a name typed without extension
  void* custData = nullptr;      // handed to the hook with every event
  // kOpenFileEnableHook: gets kDialogEventInit once the child part is
  // built, the commands of the child part's controls and kDialogEventFileOK
  // when the user confirms; its window is the child part, so the child's
  // controls are reached through this suite by id.
  PlatformDialogProc hook = nullptr;
  // kOpenFileEnableTemplate: the resource id of the child part, and the
  // template as the caller found it in instance. There is no resource
  // section to read here, so the platform checks that the template it is
  // handed lies in that module and carries that id.
  int32_t templateName = 0;
  const DialogTemplate* templateData = nullptr;
};

struct PlatformDialogSuite {
  // Builds the dialog from the template, owned by owner, sends the init event
  // and runs it until End; result receives End's value.
  AIErr (*RunModal)(const DialogTemplate* dialogTemplate, AIWindowRef owner, PlatformDialogProc proc,
                    void* userData, int32_t* result);
  AIErr (*End)(AIWindowRef dialog, int32_t result);

  // Texts of any control (edit, static, button, group, dialog caption with id 0).
  AIErr (*SetText)(AIWindowRef window, int32_t id, const char* text);
  // Copies at most capacity - 1 bytes and a terminator; length receives the
  // whole text's length in bytes (capacity 0 only asks for the length).
  AIErr (*GetText)(AIWindowRef window, int32_t id, char* buffer, int32_t capacity, int32_t* length);
  // Most characters the user can type into an edit.
  AIErr (*SetTextLimit)(AIWindowRef window, int32_t id, int32_t characters);
  // Selects characters start to end of an edit; end -1 is the end of the text.
  AIErr (*SetTextSelection)(AIWindowRef window, int32_t id, int32_t start, int32_t end);
  AIErr (*SetFocus)(AIWindowRef window, int32_t id);
  AIErr (*GetFocus)(AIWindowRef window, int32_t* id);
  AIErr (*Enable)(AIWindowRef window, int32_t id, AIBoolean enable);
  AIErr (*IsEnabled)(AIWindowRef window, int32_t id, AIBoolean* enabled);
  AIErr (*Show)(AIWindowRef window, int32_t id, AIBoolean show);
  AIErr (*IsVisible)(AIWindowRef window, int32_t id, AIBoolean* visible);

  // Check boxes and radio buttons.
  AIErr (*SetCheck)(AIWindowRef window, int32_t id, AIBoolean checked);
  AIErr (*GetCheck)(AIWindowRef window, int32_t id, AIBoolean* checked);
  // Checks id and clears every other radio button whose id lies in first..last.
  AIErr (*CheckRadio)(AIWindowRef window, int32_t first, int32_t last, int32_t id);

  // Drop-down lists. Selection -1 is none.
  AIErr (*ListReset)(AIWindowRef window, int32_t id);
  AIErr (*ListAdd)(AIWindowRef window, int32_t id, const char* text, int32_t* index);
  AIErr (*ListCount)(AIWindowRef window, int32_t id, int32_t* count);
  AIErr (*ListSetSelection)(AIWindowRef window, int32_t id, int32_t index);
  AIErr (*ListGetSelection)(AIWindowRef window, int32_t id, int32_t* index);
  AIErr (*ListSetDroppedWidth)(AIWindowRef window, int32_t id, int32_t pixels);

  // List views (report view).
  AIErr (*ViewSetStyle)(AIWindowRef window, int32_t id, uint32_t extendedStyle);
  AIErr (*ViewInsertColumn)(AIWindowRef window, int32_t id, int32_t column, const char* title, int32_t width);
  AIErr (*ViewSetColumnWidth)(AIWindowRef window, int32_t id, int32_t column, int32_t width);
  AIErr (*ViewGetColumnWidth)(AIWindowRef window, int32_t id, int32_t column, int32_t* width);
  AIErr (*ViewDeleteAllRows)(AIWindowRef window, int32_t id);
  // Inserts a row before position row (past the end appends) with the first cell's text.
  AIErr (*ViewInsertRow)(AIWindowRef window, int32_t id, int32_t row, const char* text, int32_t* index);
  AIErr (*ViewSetCell)(AIWindowRef window, int32_t id, int32_t row, int32_t column, const char* text);
  AIErr (*ViewRowCount)(AIWindowRef window, int32_t id, int32_t* count);
  // The first selected row after row (-1 starts at the top); -1 when none.
  AIErr (*ViewNextSelected)(AIWindowRef window, int32_t id, int32_t after, int32_t* row);

  // Track bars.
  AIErr (*TrackSetRange)(AIWindowRef window, int32_t id, int32_t minimum, int32_t maximum);
  AIErr (*TrackSetTickFrequency)(AIWindowRef window, int32_t id, int32_t step);
  AIErr (*TrackSetPosition)(AIWindowRef window, int32_t id, int32_t position);
  AIErr (*TrackGetPosition)(AIWindowRef window, int32_t id, int32_t* position);

  // Child controls of a native window that is not a dialog (the panel's):
  // created from a control template whose position is in pixels.
  AIErr (*CreateControl)(AIWindowRef parent, const DialogControlTemplate* control);
  AIErr (*MoveControl)(AIWindowRef parent, int32_t id, int32_t x, int32_t y, int32_t width, int32_t height);
  AIErr (*DestroyControls)(AIWindowRef parent);
  // Replaces the window's event procedure; the previous one is given back so
  // that events the new one does not handle can be passed on.
  AIErr (*SetEventProc)(AIWindowRef window, PlatformDialogProc proc, void* userData,
                        PlatformDialogProc* previousProc, void** previousUserData);

  // Opens a document or web address with the shell's "open" verb.
  AIErr (*ShellOpen)(const char* address);

  // Runs the open-file dialog modally. confirmed receives true when the
  // user chose and the choice fits the buffer; false when the user
  // cancelled or the dialog failed (FileDialogError tells which).
  AIErr (*GetOpenFileName)(PlatformOpenFileName* request, AIBoolean* confirmed);
  // Why the last open-file dialog ended without a choice: 0 for a cancel.
  AIErr (*FileDialogError)(uint32_t* code);
};
