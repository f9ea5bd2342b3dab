// ai::UnicodeString: a value class over host Unicode strings. Every
// user-visible text of the system travels in one of these.
#pragma once

#include <string>
#include <string_view>

#include "host/HostTypes.h"

namespace ai {

class UnicodeString {
 public:
  UnicodeString();
  // From UTF-8 text (the encoding of the system's own literals).
  UnicodeString(const char* utf8);  // NOLINT: literals convert implicitly
  UnicodeString(std::string_view bytes, AICharacterEncoding encoding);
  static UnicodeString FromUTF8(std::string_view utf8) { return UnicodeString(utf8, kAIUTF8CharacterEncoding); }
  static UnicodeString FromPlatform(std::string_view bytes) {
    return UnicodeString(bytes, kAIPlatformCharacterEncoding);
  }
  static UnicodeString FromUTF16(std::u16string_view units);
  // Takes ownership of a host string reference.
  static UnicodeString Adopt(AIUnicodeStringRef ref);

  UnicodeString(const UnicodeString& other);
  UnicodeString(UnicodeString&& other) noexcept;
  UnicodeString& operator=(const UnicodeString& other);
  UnicodeString& operator=(UnicodeString&& other) noexcept;
  ~UnicodeString();

  std::string as_UTF8() const { return getInStdString(kAIUTF8CharacterEncoding); }
  std::string as_Platform() const { return getInStdString(kAIPlatformCharacterEncoding); }
  std::string getInStdString(AICharacterEncoding encoding) const;
  std::u16string as_UTF16() const;

  // Length in UTF-16 code units.
  size_t length() const;
  bool empty() const { return length() == 0; }
  UnicodeString& append(const UnicodeString& tail);
  UnicodeString& operator+=(const UnicodeString& tail) { return append(tail); }
  UnicodeString substr(size_t position, size_t count = std::u16string::npos) const;
  int compare(const UnicodeString& other) const;
  bool operator==(const UnicodeString& other) const { return compare(other) == 0; }
  bool operator!=(const UnicodeString& other) const { return compare(other) != 0; }
  bool operator<(const UnicodeString& other) const { return compare(other) < 0; }

  // The host reference, still owned by this object.
  AIUnicodeStringRef Ref() const { return ref; }

 private:
  explicit UnicodeString(AIUnicodeStringRef adopted) : ref(adopted) {}
  AIUnicodeStringRef ref = nullptr;
};

UnicodeString operator+(UnicodeString head, const UnicodeString& tail);

}  // namespace ai
