// The user: alerts, progress, and the save-file and folder dialogs.
#pragma once

#include "host/HostTypes.h"

#define kAIUserSuite "AI User Suite"
#define kAIUserSuiteVersion 10

// Answers of YesNoAlert.
enum : int32_t {
  kAINoAnswer = 0,
  kAIYesAnswer = 1,
};

struct AIUserSuite {
  // Modal alerts over the current modal parent.
  AIErr (*MessageAlert)(AIUnicodeStringRef message);
  AIErr (*ErrorAlert)(AIUnicodeStringRef message);
  AIErr (*YesNoAlert)(AIUnicodeStringRef message, int32_t* answer);

  // The progress display of the running command; it closes when the
  // command returns to the host.
  AIErr (*SetProgressText)(AIUnicodeStringRef text);
  AIErr (*UpdateProgress)(int32_t current, int32_t maximum);
  // True once the user has asked to cancel; stays true for the command.
  AIErr (*Cancelled)(AIBoolean* cancelled);

  // Asks for a file to write. filter is a file-dialog filter text: pairs of
  // description and pattern, each ended by U+0000, the whole ended by one
  // more U+0000 (the string's length includes them). defaultName is the
  // proposed file name, initial the starting location (may be null). The
  // chosen path is a new path that the caller disposes. kCanceledErr when
  // the user cancels.
  AIErr (*PutFileDialog)(AIUnicodeStringRef title, AIUnicodeStringRef filter, AIUnicodeStringRef defaultName,
                         AIFilePathRef initial, AIFilePathRef* chosen);
  // Asks for a folder; as PutFileDialog.
  AIErr (*GetDirectoryDialog)(AIUnicodeStringRef title, AIFilePathRef initial, AIFilePathRef* chosen);
};
