// Attribute values come from files and from stored documents with any field
// definition: normalising must never overflow, and an integer field's value
// must come out as a number that fits its width.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "attributes/FieldValues.h"
#include "support/HostEnvironment.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static kztest::HostEnvironment* host = new kztest::HostEnvironment();  // lives for the process
  (void)host;
  if (size < 9) return 0;
  int32_t numbers[2];
  std::memcpy(numbers, data + 1, sizeof numbers);
  const int32_t types[] = {0, 1, 2, 100, 101, 7};
  ShapeField definition{"F", types[data[0] % 6], numbers[0], numbers[1], {}};
  const std::string_view text(reinterpret_cast<const char*>(data + 9), size - 9);
  const ai::UnicodeString value = ai::UnicodeString::FromUTF8(text);
  const std::string normalised = NormaliseValue(definition, value).as_UTF8();
  if (definition.type == 1) {
    char* end = nullptr;
    const long long number = std::strtoll(normalised.c_str(), &end, 10);
    if (*end != '\0' || normalised.empty()) std::abort();
    if (definition.totalDigits > 0 && definition.totalDigits < 10 && number > 0 &&
        std::to_string(number).size() > static_cast<size_t>(definition.totalDigits)) {
      std::abort();
    }
  }
  if (FieldKey(definition).empty()) std::abort();
  return 0;
}
