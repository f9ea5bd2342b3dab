#include "export/ExportFileNames.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "formats/PartFile.h"
#include "host/FilePath.h"

namespace {

// Characters no Windows file name may hold, besides control characters.
constexpr std::u16string_view kReserved = u"<>:\"/\\|?*";

// A file name is at most 255 bytes in the file system's encoding; the
// temporary name a file is written under adds its suffix, and every file of
// a set has an extension of three letters.
constexpr size_t kMaxNameBytes = PartFile::kMaxNameBytes - PartFile::kSuffixBytes;
constexpr size_t kExtensionBytes = 4;  // ".shp"

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

// The bytes of the text in the file system's encoding.
size_t PlatformBytes(const std::u16string& text) {
  if (text.empty()) return 0;
  return ai::FilePath(ai::UnicodeString::FromUTF16(text)).GetPlatformPath().size();
}

// Cuts the text to at most bytes in the file system's encoding, never
// inside a character (a surrogate pair stays whole).
void CutToBytes(std::u16string& text, size_t bytes) {
  if (PlatformBytes(text) <= bytes) return;
  size_t used = 0, end = 0;
  while (end < text.size()) {
    const bool pair = text[end] >= 0xD800 && text[end] <= 0xDBFF && end + 1 < text.size() &&
                      text[end + 1] >= 0xDC00 && text[end + 1] <= 0xDFFF;
    const size_t length = pair ? 2 : 1;
    const size_t size = PlatformBytes(text.substr(end, length));
    if (used + size > bytes) break;
    used += size;
    end += length;
  }
  text.resize(end);
}

}  // namespace

ai::UnicodeString SafeFileStem(const ai::UnicodeString& title) {
  std::u16string stem = title.as_UTF16();
  for (char16_t& c : stem) {
    if (c < 0x20 || c == 0x7F || kReserved.find(c) != std::u16string_view::npos) c = u'_';
  }
  CutToBytes(stem, kMaxNameBytes - kExtensionBytes);
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
    // The number must fit as well: the stem gives way to it.
    std::u16string cut = base;
    CutToBytes(cut, kMaxNameBytes - std::min(kMaxNameBytes, PlatformBytes(dotted) + suffix.size()));
    name = cut + std::u16string(suffix.begin(), suffix.end()) + dotted;
  }
  given.insert(UpperCase(name));
  return ai::UnicodeString::FromUTF16(name);
}
