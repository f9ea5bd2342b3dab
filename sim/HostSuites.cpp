#include "sim/HostSuites.h"

#include "sim/StringSuites.h"

namespace sim {

std::u16string UnitsOf(AIUnicodeStringRef text) {
  const uint16_t* units = nullptr;
  size_t count = 0;
  if (!text || UnicodeStringSuite()->GetUTF16(text, &units, &count) != kNoErr) return {};
  return std::u16string(reinterpret_cast<const char16_t*>(units), count);
}

AIUnicodeStringRef NewString(const std::u16string& units) {
  AIUnicodeStringRef text = nullptr;
  UnicodeStringSuite()->CreateFromUTF16(reinterpret_cast<const uint16_t*>(units.data()), units.size(), &text);
  return text;
}

std::string PathOf(AIFilePathRef path) {
  if (!path) return {};
  size_t needed = 0;
  if (FilePathSuite()->GetPlatformPath(path, nullptr, 0, &needed) != kNoErr || needed == 0) return {};
  std::string text(needed, '\0');
  FilePathSuite()->GetPlatformPath(path, text.data(), text.size(), &needed);
  text.resize(needed - 1);
  return text;
}

AIFilePathRef NewPath(const std::string& path) {
  AIFilePathRef ref = nullptr;
  FilePathSuite()->CreateFromPlatformPath(path.c_str(), &ref);
  return ref;
}

}  // namespace sim
