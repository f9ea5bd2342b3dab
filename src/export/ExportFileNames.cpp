#include "export/ExportFileNames.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

// Characters no Windows file name may hold, besides control characters.
constexpr std::u16string_view kReserved = u"<>:\"/\\|?*";

// Long enough for any title, short enough to leave room for the folder.
constexpr size_t kMaxStemUnits = 120;

constexpr std::array<std::u16string_view, 22> kDeviceNames{
    u"CON",  u"PRN",  u"AUX",  u"NUL",  u"COM1", u"COM2", u"COM3", u"COM4", u"COM5", u"COM6", u"COM7",
    u"COM8", u"COM9", u"LPT1", u"LPT2", u"LPT3", u"LPT4", u"LPT5", u"LPT6", u"LPT7", u"LPT8", u"LPT9"};

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

std::u16string UpperCase(std::u16string text) {
  std::transform(text.begin(), text.end(), text.begin(), Upper);
  return text;
}

bool IsDeviceName(const std::u16string& stem) {
  // "CON.backup" is as reserved as "CON".
  const std::u16string base = UpperCase(stem.substr(0, stem.find(u'.')));
  return std::find(kDeviceNames.begin(), kDeviceNames.end(), base) != kDeviceNames.end();
}

// Cuts at a code point boundary.
void CutUnits(std::u16string& text, size_t units) {
  if (text.size() <= units) return;
  if (units > 0 && text[units - 1] >= 0xD800 && text[units - 1] <= 0xDBFF) --units;
  text.resize(units);
}

}  // namespace

ai::UnicodeString SafeFileStem(const ai::UnicodeString& title) {
  std::u16string stem = title.as_UTF16();
  for (char16_t& c : stem) {
    if (c < 0x20 || c == 0x7F || kReserved.find(c) != std::u16string_view::npos) c = u'_';
  }
  CutUnits(stem, kMaxStemUnits);
  // Windows drops trailing dots and blanks, which would merge names; "." and
  // ".." would name folders.
  while (!stem.empty() && (stem.back() == u'.' || stem.back() == u' ')) stem.pop_back();
  if (stem.empty()) stem = u"_";
  if (IsDeviceName(stem)) stem += u'_';
  return ai::UnicodeString::FromUTF16(stem);
}

ai::UnicodeString ExportFileNames::Unique(const ai::UnicodeString& stem, const ai::UnicodeString& extension) {
  const std::u16string base = stem.as_UTF16();
  const std::u16string dotted = u"." + extension.as_UTF16();
  std::u16string name = base + dotted;
  for (int n = 2; given.count(UpperCase(name)) != 0; ++n) {
    const std::string suffix = "_" + std::to_string(n);
    name = base + std::u16string(suffix.begin(), suffix.end()) + dotted;
  }
  given.insert(UpperCase(name));
  return ai::UnicodeString::FromUTF16(name);
}
