// The tool's own words — help, usage errors, progress and summaries — are
// written in English in the source and shown in the user's language through
// a message catalog. The plug-in's alerts are not translated here: they are
// the system's own texts and are shown as it writes them.
#pragma once

namespace kzmap {

// The text in the user's language, or the English text when the catalog has
// no translation. The pointer stays valid for the life of the process.
const char* Tr(const char* english);

}  // namespace kzmap
