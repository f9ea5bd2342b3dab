#include "host/UnicodeString.h"

#include <utility>

#include "host/AIError.h"
#include "host/AIUnicodeStringSuite.h"
#include "host/SuitePointers.h"

namespace ai {

namespace {

AIUnicodeStringRef CreateRef(std::string_view bytes, AICharacterEncoding encoding) {
  AIUnicodeStringRef ref = nullptr;
  check_ai_error(sAIUnicodeString->Create(bytes.data(), bytes.size(), encoding, &ref));
  return ref;
}

}  // namespace

UnicodeString::UnicodeString() : ref(CreateRef({}, kAIUTF8CharacterEncoding)) {}

UnicodeString::UnicodeString(const char* utf8)
    : ref(CreateRef(utf8 ? std::string_view(utf8) : std::string_view(), kAIUTF8CharacterEncoding)) {}

UnicodeString::UnicodeString(std::string_view bytes, AICharacterEncoding encoding)
    : ref(CreateRef(bytes, encoding)) {}

UnicodeString UnicodeString::FromUTF16(std::u16string_view units) {
  AIUnicodeStringRef ref = nullptr;
  check_ai_error(
      sAIUnicodeString->CreateFromUTF16(reinterpret_cast<const uint16_t*>(units.data()), units.size(), &ref));
  return UnicodeString(ref);
}

UnicodeString UnicodeString::Adopt(AIUnicodeStringRef adopted) { return UnicodeString(adopted); }

UnicodeString::UnicodeString(const UnicodeString& other) {
  check_ai_error(sAIUnicodeString->Duplicate(other.ref, &ref));
}

UnicodeString::UnicodeString(UnicodeString&& other) noexcept : ref(std::exchange(other.ref, nullptr)) {}

UnicodeString& UnicodeString::operator=(const UnicodeString& other) {
  if (this != &other) {
    UnicodeString copy(other);
    std::swap(ref, copy.ref);
  }
  return *this;
}

UnicodeString& UnicodeString::operator=(UnicodeString&& other) noexcept {
  std::swap(ref, other.ref);
  return *this;
}

UnicodeString::~UnicodeString() {
  if (ref && sAIUnicodeString) sAIUnicodeString->Dispose(ref);
}

std::string UnicodeString::getInStdString(AICharacterEncoding encoding) const {
  if (!ref) return {};
  size_t size = 0;
  check_ai_error(sAIUnicodeString->Convert(ref, encoding, nullptr, 0, &size));
  std::string bytes(size, '\0');
  check_ai_error(sAIUnicodeString->Convert(ref, encoding, bytes.data(), bytes.size(), &size));
  bytes.resize(size);
  return bytes;
}

std::u16string UnicodeString::as_UTF16() const {
  if (!ref) return {};
  const uint16_t* units = nullptr;
  size_t count = 0;
  check_ai_error(sAIUnicodeString->GetUTF16(ref, &units, &count));
  return std::u16string(reinterpret_cast<const char16_t*>(units), count);
}

size_t UnicodeString::length() const {
  if (!ref) return 0;
  const uint16_t* units = nullptr;
  size_t count = 0;
  check_ai_error(sAIUnicodeString->GetUTF16(ref, &units, &count));
  return count;
}

UnicodeString& UnicodeString::append(const UnicodeString& tail) {
  if (!ref) *this = UnicodeString();
  check_ai_error(sAIUnicodeString->Append(ref, tail.ref));
  return *this;
}

UnicodeString UnicodeString::substr(size_t position, size_t count) const {
  std::u16string units = as_UTF16();
  if (position >= units.size()) return UnicodeString();
  return FromUTF16(std::u16string_view(units).substr(position, count));
}

int UnicodeString::compare(const UnicodeString& other) const {
  if (!ref || !other.ref) return static_cast<int>(length() > 0) - static_cast<int>(other.length() > 0);
  int32_t order = 0;
  check_ai_error(sAIUnicodeString->Compare(ref, other.ref, &order));
  return order;
}

UnicodeString operator+(UnicodeString head, const UnicodeString& tail) {
  head.append(tail);
  return head;
}

}  // namespace ai
