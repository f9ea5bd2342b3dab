// The tool's own words — help, usage errors, progress and summaries — are
// written in English in the source and shown in the user's language through
// a message catalog. The plug-in's alerts are not translated here: they are
// the system's own texts and are shown as it writes them.
#pragma once

#include <string>

namespace kzmap {

// Chooses the language from the environment (LC_ALL, LC_MESSAGES, LANG,
// LANGUAGE) and finds the catalogs beside the executable. Called once, first
// thing in main; before it Tr gives the English text.
void SetUpLanguage();

// The text in the user's language, or the English text when the catalog has
// no translation. The pointer stays valid for the life of the process.
const char* Tr(const char* english) __attribute__((format_arg(1)));

// Marks a text for the catalog where it is defined (static tables, command
// registrations); Tr translates it where it is shown.
constexpr const char* TrLater(const char* english) { return english; }

// printf into a string: translated texts with values in them.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace kzmap
