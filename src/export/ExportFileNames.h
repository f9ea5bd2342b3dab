// File names made from layer titles: safe on every file system the files
// may travel to, never leaving the chosen folder, and distinct within one
// export so that two layers with the same title do not overwrite each other.
#pragma once

#include <set>
#include <string>

#include "host/UnicodeString.h"

// The title with path separators, reserved and control characters replaced
// by "_", trailing dots and blanks dropped, device names (CON, NUL, COM1 ...)
// given a "_" and long titles cut to fit a file name in the file system's
// encoding (bytes), with room left for an extension and the temporary
// suffix, never inside a character; "_" for a title that leaves nothing.
ai::UnicodeString SafeFileStem(const ai::UnicodeString& title);

// Names handed out during one export. A name already given (compared
// without regard to letter case, as Windows does) gets "_2", "_3" ... before
// its extension.
class ExportFileNames {
 public:
  ai::UnicodeString Unique(const ai::UnicodeString& stem, const ai::UnicodeString& extension);

 private:
  std::set<std::u16string> given;
};
