// Dialog templates: the plug-in's dialog resources as plain data. A template
// lists the dialog's controls in tab order with their ids, kinds, captions,
// styles and positions in dialog units; the platform builds the dialog from it.
#pragma once

#include <cstddef>
#include <cstdint>

enum class DialogControlKind : int32_t {
  Static,       // label, value text
  GroupBox,     // frame with a caption
  Icon,         // picture of an icon resource (caption holds the icon id)
  PushButton,
  DefaultPushButton,
  CheckBox,     // automatic check box: a click toggles it
  RadioButton,  // automatic radio button: a click checks it and clears its group
  Edit,
  DropDownList,  // combo box without an edit field
  ListView,      // report view
  TrackBar,
};

// Style bits of a control.
enum : uint32_t {
  kDialogStyleGroup = 1u << 0,     // starts a new group (radio buttons group up to the next one)
  kDialogStyleHidden = 1u << 1,    // created invisible
  kDialogStyleDisabled = 1u << 2,  // created disabled
  kDialogStyleMultiLine = 1u << 3,
  kDialogStyleReadOnly = 1u << 4,
};

// Ids every dialog shares.
constexpr int32_t kDialogIdOK = 1;
constexpr int32_t kDialogIdCancel = 2;
constexpr int32_t kDialogIdStatic = -1;  // controls that are never addressed

struct DialogControlTemplate {
  int32_t id;
  DialogControlKind kind;
  const char* caption;  // UTF-8, as the resource compiler stores it; never null
  uint32_t style;
  int16_t x, y, width, height;  // dialog units
};

struct DialogTemplate {
  int32_t id;           // resource id
  const char* caption;  // UTF-8 title
  int16_t width, height;
  const char* fontName;
  int16_t fontSize;
  const DialogControlTemplate* controls;
  size_t controlCount;
};
