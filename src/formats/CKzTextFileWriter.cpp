#include "formats/CKzTextFileWriter.h"

#include <cerrno>
#include <charconv>
#include <cstdio>


namespace {

constexpr int32_t kShiftJisCode = 17;
constexpr int32_t kUtf8Code = 1;
constexpr int32_t kUtf16Code = 2;

AICharacterEncoding EncodingOf(int32_t code) {
  return code == kUtf8Code ? kAIUTF8CharacterEncoding : kAIShiftJISCharacterEncoding;
}

}  // namespace

CKzTextFileWriter::~CKzTextFileWriter() { Abandon(); }

bool CKzTextFileWriter::Open(const ai::FilePath& path, int32_t code) {
  Abandon();
  encodingCode = code == kUtf8Code || code == kUtf16Code ? code : kShiftJisCode;
  failed = false;
  return file.Create(path.GetPlatformPath());
}

bool CKzTextFileWriter::Put(const void* bytes, size_t size) {
  if (!file.IsOpen()) return false;
  if (size > 0 && std::fwrite(bytes, 1, size, file.Stream()) != size) {
    failed = true;
    file.Fail(errno);
  }
  return !failed;
}

bool CKzTextFileWriter::WriteBytes(std::string_view bytes) { return Put(bytes.data(), bytes.size()); }

bool CKzTextFileWriter::WriteByteOrderMark() {
  if (encodingCode == kUtf8Code) return Put("\xEF\xBB\xBF", 3);
  if (encodingCode == kUtf16Code) return Put("\xFF\xFE", 2);
  return IsOpen();
}

bool CKzTextFileWriter::WriteLine(const ai::UnicodeString& line) {
  if (encodingCode != kUtf16Code) {
    std::string bytes = line.getInStdString(EncodingOf(encodingCode));
    bytes += "\r\n";
    return Put(bytes.data(), bytes.size());
  }
  std::u16string units = line.as_UTF16();
  units += u"\r\n";
  std::string bytes(units.size() * 2, '\0');
  for (size_t i = 0; i < units.size(); ++i) {
    bytes[2 * i] = static_cast<char>(units[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(units[i] >> 8);
  }
  return Put(bytes.data(), bytes.size());
}

bool CKzTextFileWriter::Commit() {
  if (!file.IsOpen()) return false;
  // Closing flushes what is still buffered: a failure there is a lost write.
  if (file.Close() && !failed && file.PutInPlace()) return true;
  file.Discard();
  return false;
}

void CKzTextFileWriter::Abandon() { file.Discard(); }

bool CKzTextFileWriter::CanEncode(const ai::UnicodeString& text, int32_t code) {
  if (code == kUtf8Code || code == kUtf16Code) return true;
  // The platform turns what Shift-JIS lacks into "?": a text that does not
  // come back unchanged lost characters.
  const std::string bytes = text.getInStdString(kAIShiftJISCharacterEncoding);
  return ai::UnicodeString(bytes, kAIShiftJISCharacterEncoding) == text;
}

std::u16string DelimitedValue(std::u16string_view value, char16_t delimiter) {
  // A quote is quoted whatever the delimiter: a reader of either form takes a
  // field that starts with one for a quoted field.
  const std::u16string_view breaking = delimiter == u',' ? std::u16string_view(u",\"\r\n") : u"\t\"\r\n";
  if (value.find_first_of(breaking) == std::u16string_view::npos) return std::u16string(value);
  std::u16string quoted = u"\"";
  for (char16_t c : value) {
    if (c == u'"') quoted += u'"';
    quoted += c;
  }
  quoted += u'"';
  return quoted;
}

std::string FixedNine(double value) {
  char text[400];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 9);
  if (error != std::errc()) return "nan";
  std::string out(text, end);
  // The "2" of "%2.9f": a minimum width, padded on the left.
  if (out.size() < 2) out.insert(0, 2 - out.size(), ' ');
  return out;
}
