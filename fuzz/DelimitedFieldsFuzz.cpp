// The field splitter of coordinate text files over any line: the first byte
// chooses tab or comma, the rest are the line's UTF-16 units. Every field
// written back quoted must split into the same fields again.
#include <cstdint>
#include <cstring>
#include <string>

#include "formats/DelimitedFields.h"

namespace {

std::u16string Quoted(const std::u16string& field) {
  std::u16string out = u"\"";
  for (char16_t c : field) {
    if (c == u'"') out += u'"';
    out += c;
  }
  return out + u'"';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const char16_t delimiter = (data[0] & 1) ? u',' : u'\t';
  std::u16string line((size - 1) / 2, u'\0');
  std::memcpy(line.data(), data + 1, line.size() * 2);

  const std::vector<std::u16string> fields = SplitDelimitedFields(line, delimiter);
  size_t characters = 0;
  for (const std::u16string& field : fields) characters += field.size();
  // Fields only ever lose characters (quotes, delimiters), never gain them.
  if (fields.empty() || fields.size() > line.size() + 1 || characters > line.size()) __builtin_trap();

  std::u16string rewritten;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) rewritten += delimiter;
    rewritten += Quoted(fields[i]);
  }
  if (SplitDelimitedFields(rewritten, delimiter) != fields) __builtin_trap();
  // Every quote written closes: the record does not go on to the next line.
  if (EndsInsideQuotes(rewritten, delimiter)) __builtin_trap();
  EndsInsideQuotes(line, delimiter);
  return 0;
}
