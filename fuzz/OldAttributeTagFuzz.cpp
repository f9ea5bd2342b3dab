// Tags of the older attribute format come from documents of earlier
// versions, made by anyone: a tag that decodes must describe a field that a
// dBASE column can hold, keep its name within the column name without half
// a Shift-JIS character, and turn into an attribute field without trouble.
//
// Input: the first byte is the length of the tag name, the name follows,
// the rest is the tag's value.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "attributes/FieldValues.h"
#include "attributes/OldAttributeTag.h"
#include "formats/ShapeField.h"
#include "support/HostEnvironment.h"

namespace {

constexpr int32_t kShiftJis = 17;

bool IsLeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

// The name ends on a whole character: no lead byte is left without its partner.
bool EndsOnWholeCharacter(const char* name, size_t length) {
  size_t at = 0;
  while (at < length) at += IsLeadByte(static_cast<unsigned char>(name[at])) ? 2 : 1;
  return at == length;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static kztest::HostEnvironment* host = new kztest::HostEnvironment();  // lives for the process
  (void)host;
  if (size < 1) return 0;
  const size_t nameLength = std::min<size_t>(data[0], size - 1);
  const std::string_view name(reinterpret_cast<const char*>(data + 1), nameLength);
  const std::string_view value(reinterpret_cast<const char*>(data + 1 + nameLength), size - 1 - nameLength);
  OldAttributeEntry entry;
  if (!DecodeOldAttributeTag(name, value, entry)) return 0;

  const DbfFieldDescriptor& descriptor = entry.descriptor;
  if (descriptor.length < 1 || descriptor.decimalCount > descriptor.length) std::abort();
  const size_t fieldNameLength = strnlen(descriptor.name, sizeof descriptor.name);
  if (fieldNameLength >= sizeof descriptor.name) std::abort();
  if (!EndsOnWholeCharacter(descriptor.name, fieldNameLength)) std::abort();
  if (entry.value.size() > value.size()) std::abort();

  const ShapeField field = FieldFromDbaseColumn(descriptor, entry.value, kShiftJis);
  if (field.totalDigits != descriptor.length) std::abort();
  (void)NormaliseValue(field, field.value);
  return 0;
}
