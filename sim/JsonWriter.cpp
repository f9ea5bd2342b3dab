#include "sim/JsonWriter.h"

#include <charconv>
#include <cmath>

namespace sim {

namespace {

constexpr size_t kFlushSize = 1 << 20;

template <typename T>
std::string_view Shortest(T value, char (&text)[40]) {
  const auto result = std::to_chars(text, text + sizeof text, value);
  return {text, static_cast<size_t>(result.ptr - text)};
}

// The double a reader takes the number text for. Text of at most 19 digits
// and a power of ten within ±22 is read exactly as its integer digits times
// or over that power: both are exact doubles, so the one rounding is the
// reader's own. Other text goes through the full conversion.
double ReadBack(std::string_view text) {
  static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                       1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  size_t i = 0;
  const bool negative = i < text.size() && text[i] == '-';
  if (negative) ++i;
  uint64_t digits = 0;
  int count = 0, scale = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && !point) {
      point = true;
    } else if (c >= '0' && c <= '9') {
      digits = digits * 10 + static_cast<uint64_t>(c - '0');
      if (++count > 19) break;
      if (point) --scale;
    } else {
      break;
    }
  }
  if (i < text.size() && text[i] == 'e' && count <= 19) {
    int exponent = 0;
    size_t j = i + 1;
    const bool down = j < text.size() && text[j] == '-';
    if (j < text.size() && (text[j] == '-' || text[j] == '+')) ++j;
    const size_t first = j;
    for (; j < text.size() && j - first < 4 && text[j] >= '0' && text[j] <= '9'; ++j) exponent = exponent * 10 + (text[j] - '0');
    if (j > first) {
      scale += down ? -exponent : exponent;
      i = j;
    }
  }
  if (i != text.size() || count == 0 || count > 19 || digits > (uint64_t{1} << 53) || scale < -22 || scale > 22) {
    double read = 0;
    std::from_chars(text.data(), text.data() + text.size(), read);
    return read;
  }
  const double magnitude = scale >= 0 ? static_cast<double>(digits) * kPowers[scale]
                                      : static_cast<double>(digits) / kPowers[-scale];
  return negative ? -magnitude : magnitude;
}

}  // namespace

JsonWriter::JsonWriter(Sink sink, void* context) : sink(sink), context(context) {}

JsonWriter::JsonWriter(std::string& out) : target(&out) {}

JsonWriter::~JsonWriter() = default;

void JsonWriter::Flush() {
  if (target) {
    target->append(buffer);
  } else if (!buffer.empty()) {
    sink(context, buffer.data(), buffer.size());
  }
  buffer.clear();
}

void JsonWriter::Put(std::string_view text) {
  buffer.append(text);
  if (buffer.size() >= kFlushSize) Flush();
}

void JsonWriter::Put(char c) {
  buffer.push_back(c);
  if (buffer.size() >= kFlushSize) Flush();
}

void JsonWriter::Open(bool array, bool inlineItems) {
  BeforeValue();
  Put(array ? '[' : '{');
  levels.push_back(Level{array, inlineItems, true});
  if (inlineItems) ++inlineLevels;
}

void JsonWriter::Close(char bracket) {
  const bool wasEmpty = levels.back().empty;
  const bool wasInline = Inline();
  if (levels.back().inlineItems) --inlineLevels;
  levels.pop_back();
  if (!wasEmpty && !wasInline) NewLine(levels.size());
  Put(bracket);
  if (levels.empty()) Put('\n');
}

void JsonWriter::NewLine(size_t depth) {
  buffer.push_back('\n');
  buffer.append(depth * 2, ' ');
}

void JsonWriter::BeforeValue() {
  if (afterKey) {
    afterKey = false;
    return;
  }
  if (levels.empty()) return;
  Level& level = levels.back();
  if (!level.empty) Put(',');
  if (Inline()) {
    if (!level.empty) Put(' ');
  } else {
    NewLine(levels.size());
  }
  level.empty = false;
}

void JsonWriter::BeginObject(bool inlineItems) { Open(false, inlineItems); }

void JsonWriter::EndObject() { Close('}'); }

void JsonWriter::BeginArray(bool inlineItems) { Open(true, inlineItems); }

void JsonWriter::EndArray() { Close(']'); }

void JsonWriter::Key(std::string_view name) {
  BeforeValue();
  Quoted(name);
  Put(": ");
  afterKey = true;
}

void JsonWriter::String(std::string_view text) {
  BeforeValue();
  Quoted(text);
}

void JsonWriter::Quoted(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  buffer.push_back('"');
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    buffer.append(text.substr(start, i - start));
    start = i + 1;
    switch (c) {
      case '"': buffer.append("\\\""); break;
      case '\\': buffer.append("\\\\"); break;
      case '\n': buffer.append("\\n"); break;
      case '\r': buffer.append("\\r"); break;
      case '\t': buffer.append("\\t"); break;
      default: {
        const char escape[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 15]};
        buffer.append(escape, sizeof escape);
      }
    }
  }
  buffer.append(text.substr(start));
  Put('"');
}

void JsonWriter::NonFinite(double value) {
  String(std::isnan(value) ? "NaN" : value > 0 ? "Infinity" : "-Infinity");
}

void JsonWriter::Number(double value) {
  if (!std::isfinite(value)) return NonFinite(value);
  BeforeValue();
  // "-0" would read back as the integer 0.
  if (value == 0 && std::signbit(value)) return Put("-0.0");
  char text[40];
  Put(Shortest(value, text));
}

void JsonWriter::Number(float value) {
  if (!std::isfinite(value)) return NonFinite(value);
  char text[40];
  const std::string_view shortest = Shortest(value, text);
  // Readers take the number as a double and round it to a float; should that
  // ever land elsewhere, the float's exact double value is written instead.
  const double read = ReadBack(shortest);
  if (static_cast<float>(read) != value || (value == 0 && std::signbit(value))) return Number(static_cast<double>(value));
  BeforeValue();
  Put(shortest);
}

void JsonWriter::Integer(int64_t value) {
  BeforeValue();
  char text[40];
  Put(Shortest(value, text));
}

void JsonWriter::Bool(bool value) {
  BeforeValue();
  Put(value ? "true" : "false");
}

void JsonWriter::Null() {
  BeforeValue();
  Put("null");
}

bool IsValidUtf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t length = 0;
    uint32_t code = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
      code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      code = c & 0x07;
    } else {
      return false;
    }
    if (i + length > bytes.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF))) return false;
    if (code >= 0xD800 && code <= 0xDFFF) return false;
    i += length;
  }
  return true;
}

}  // namespace sim
