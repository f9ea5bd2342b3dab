#include "attributes/OldAttributeTag.h"

#include <algorithm>
#include <cstring>

#include "host/AITagSuite.h"
#include "host/SuitePointers.h"

namespace {

constexpr std::string_view kTagMark = "KzMapTag";
constexpr size_t kNameBytes = sizeof(DbfFieldDescriptor::name) - 1;
constexpr long long kMaxLength = 255;

// A base-10 integer as C reads it: leading white space, a sign, then digits
// as far as they go; no digits read as 0. Large numbers saturate.
long long ReadInteger(std::string_view text) {
  size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  long long value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    value = std::min(value * 10 + (text[at] - '0'), 1LL << 40);
  }
  return negative ? -value : value;
}

// Whether the byte starts a double-byte Shift-JIS character.
bool IsLeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

// At most kNameBytes bytes of the name, never half a character. A zero
// byte ends the name, as it ends a column name.
std::string_view CutName(std::string_view name) {
  name = name.substr(0, name.find('\0'));
  size_t end = 0;
  while (end < name.size()) {
    const size_t step = IsLeadByte(static_cast<unsigned char>(name[end])) ? 2 : 1;
    if (end + step > kNameBytes || end + step > name.size()) break;
    end += step;
  }
  return name.substr(0, end);
}

}  // namespace

bool DecodeOldAttributeTag(std::string_view name, std::string_view value, OldAttributeEntry& entry) {
  if (name.find(kTagMark) == std::string_view::npos) return false;
  std::string_view pieces[4];
  std::string_view rest = value;
  for (std::string_view& piece : pieces) {
    const size_t bar = rest.find('|');
    if (bar == std::string_view::npos) return false;
    piece = rest.substr(0, bar);
    rest.remove_prefix(bar + 1);
  }
  const long long length = ReadInteger(pieces[2]);
  const long long decimals = ReadInteger(pieces[3]);
  if (length < 1 || length > kMaxLength || decimals < 0 || decimals > length) return false;

  DbfFieldDescriptor descriptor;
  const std::string_view fieldName = CutName(pieces[0]);
  std::copy(fieldName.begin(), fieldName.end(), descriptor.name);
  descriptor.type = pieces[1].empty() ? '\0' : pieces[1].front();
  descriptor.length = static_cast<uint8_t>(length);
  descriptor.decimalCount = static_cast<uint8_t>(decimals);
  entry.descriptor = descriptor;
  entry.value.assign(rest);
  return true;
}

AIErr ReadOldAttributeEntries(AIArtHandle art, std::vector<OldAttributeEntry>& entries, bool firstOnly) {
  entries.clear();
  int32_t count = 0;
  if (AIErr error = sAITag->CountTags(art, &count)) return error;
  for (int32_t i = 0; i < count; ++i) {
    const char* name = nullptr;
    const char* type = nullptr;
    if (AIErr error = sAITag->GetNthTagName(art, i, &name)) return error;
    if (!name) continue;
    // Copied: the host's text lives only while the tag is unchanged.
    const std::string tagName = name;
    if (AIErr error = sAITag->GetTagType(art, tagName.c_str(), &type)) return error;
    std::string value;
    if (type && std::strcmp(type, kTagString) == 0) {
      const char* text = nullptr;
      if (AIErr error = sAITag->GetTagString(art, tagName.c_str(), &text)) return error;
      if (text) value = text;
    }
    OldAttributeEntry entry;
    if (!DecodeOldAttributeTag(tagName, value, entry)) continue;
    entries.push_back(std::move(entry));
    if (firstOnly) return kNoErr;
  }
  return kNoErr;
}
