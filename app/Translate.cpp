#include "app/Translate.h"

#include <libintl.h>
#include <unistd.h>

#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace kzmap {

namespace {

constexpr const char* kDomain = "kzmap";
bool ready = false;

// The locale name that decides messages, as the C library reads the environment.
std::string MessagesLocale() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) return value;
  }
  return "C";
}

// "ja_JP.UTF-8@x" -> "ja_JP".
std::string LanguagePart(const std::string& locale) { return locale.substr(0, locale.find_first_of(".@")); }

// The catalogs: beside the executable in the build tree ("locale"), or where
// an installation puts them ("../share/locale").
std::string CatalogFolder() {
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  const std::filesystem::path folder = exe.parent_path();
  for (const std::filesystem::path& candidate : {folder / "locale", folder.parent_path() / "share" / "locale"}) {
    if (std::filesystem::is_directory(candidate, error)) return candidate.string();
  }
  return {};
}

}  // namespace

void SetUpLanguage() {
  // Only the messages follow the user's locale: numbers stay as the system
  // and the files write them, whatever the locale's decimal sign.
  if (!std::setlocale(LC_MESSAGES, "")) {
    // A locale that was never generated on this machine (ja_JP.UTF-8 on a
    // fresh system) still asks for its language: the catalog is chosen
    // through LANGUAGE on the C library's UTF-8 locale.
    const std::string wanted = MessagesLocale();
    const std::string language = LanguagePart(wanted);
    if (language != "C" && language != "POSIX" && std::setlocale(LC_MESSAGES, "C.UTF-8")) {
      const char* given = std::getenv("LANGUAGE");
      if (!given || !*given) ::setenv("LANGUAGE", language.c_str(), 1);
    }
  }
  const std::string folder = CatalogFolder();
  if (!folder.empty()) bindtextdomain(kDomain, folder.c_str());
  bind_textdomain_codeset(kDomain, "UTF-8");
  ready = true;
}

const char* Tr(const char* english) {
  if (!ready || english == nullptr || *english == '\0') return english;
  return dgettext(kDomain, english);
}

std::string Format(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list again;
  va_copy(again, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, arguments);
  va_end(arguments);
  std::string text;
  if (length > 0) {
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, again);
    text.assign(buffer.data(), static_cast<size_t>(length));
  }
  va_end(again);
  return text;
}

}  // namespace kzmap
