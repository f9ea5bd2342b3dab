#include "sim/StringSuites.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

#include "sim/TextCodec.h"

struct AIUnicodeStringRefOpaque {
  std::u16string units;
};

struct AIFilePathRefOpaque {
  std::filesystem::path path;  // UTF-8 on this platform
};

namespace sim {

namespace {

namespace fs = std::filesystem;

AIUnicodeStringRef NewString(std::u16string units) { return new AIUnicodeStringRefOpaque{std::move(units)}; }

AIErr Create(const char* bytes, size_t byteCount, AICharacterEncoding encoding, AIUnicodeStringRef* out) {
  if (!out || (!bytes && byteCount)) return kBadParameterErr;
  *out = NewString(DecodeText(std::string_view(bytes ? bytes : "", byteCount), encoding));
  return kNoErr;
}

AIErr CreateFromUTF16(const uint16_t* units, size_t count, AIUnicodeStringRef* out) {
  if (!out || (!units && count)) return kBadParameterErr;
  *out = NewString(std::u16string(reinterpret_cast<const char16_t*>(units), count));
  return kNoErr;
}

AIErr Duplicate(AIUnicodeStringRef source, AIUnicodeStringRef* out) {
  if (!source || !out) return kBadParameterErr;
  *out = NewString(source->units);
  return kNoErr;
}

AIErr Dispose(AIUnicodeStringRef text) {
  delete text;
  return kNoErr;
}

AIErr GetUTF16(AIUnicodeStringRef text, const uint16_t** units, size_t* count) {
  if (!text || !units || !count) return kBadParameterErr;
  *units = reinterpret_cast<const uint16_t*>(text->units.data());
  *count = text->units.size();
  return kNoErr;
}

AIErr Convert(AIUnicodeStringRef text, AICharacterEncoding encoding, char* buffer, size_t capacity,
              size_t* byteCount) {
  if (!text || !byteCount || (!buffer && capacity)) return kBadParameterErr;
  const std::string bytes = EncodeText(text->units, encoding);
  if (buffer) std::memcpy(buffer, bytes.data(), std::min(capacity, bytes.size()));
  *byteCount = bytes.size();
  return kNoErr;
}

AIErr Append(AIUnicodeStringRef text, AIUnicodeStringRef tail) {
  if (!text || !tail) return kBadParameterErr;
  text->units += tail->units;
  return kNoErr;
}

AIErr Compare(AIUnicodeStringRef a, AIUnicodeStringRef b, int32_t* order) {
  if (!a || !b || !order) return kBadParameterErr;
  const int c = a->units.compare(b->units);
  *order = c < 0 ? -1 : c > 0 ? 1 : 0;
  return kNoErr;
}

const AIUnicodeStringSuite unicodeStringSuite = {Create, CreateFromUTF16, Duplicate, Dispose,
                                                 GetUTF16, Convert, Append, Compare};

std::u16string ToUnits(const fs::path& path) { return Utf8ToUtf16(path.string()); }

AIErr PathCreate(AIUnicodeStringRef fullPath, AIFilePathRef* out) {
  if (!fullPath || !out) return kBadParameterErr;
  *out = new AIFilePathRefOpaque{fs::path(Utf16ToUtf8(fullPath->units))};
  return kNoErr;
}

AIErr PathCreateFromPlatform(const char* path, AIFilePathRef* out) {
  if (!path || !out) return kBadParameterErr;
  *out = new AIFilePathRefOpaque{fs::path(path)};
  return kNoErr;
}

AIErr PathDuplicate(AIFilePathRef source, AIFilePathRef* out) {
  if (!source || !out) return kBadParameterErr;
  *out = new AIFilePathRefOpaque{source->path};
  return kNoErr;
}

AIErr PathDispose(AIFilePathRef path) {
  delete path;
  return kNoErr;
}

AIErr PathIsEmpty(AIFilePathRef path, AIBoolean* empty) {
  if (!path || !empty) return kBadParameterErr;
  *empty = path->path.empty();
  return kNoErr;
}

AIErr PathGetFullPath(AIFilePathRef path, AIUnicodeStringRef* out) {
  if (!path || !out) return kBadParameterErr;
  *out = NewString(ToUnits(path->path));
  return kNoErr;
}

AIErr PathGetPlatformPath(AIFilePathRef path, char* buffer, size_t capacity, size_t* needed) {
  if (!path || !needed || (!buffer && capacity)) return kBadParameterErr;
  const std::string text = path->path.string();
  *needed = text.size() + 1;
  if (buffer && capacity) {
    const size_t n = std::min(capacity - 1, text.size());
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
  }
  return kNoErr;
}

AIErr PathGetFileName(AIFilePathRef path, AIBoolean withExtension, AIUnicodeStringRef* out) {
  if (!path || !out) return kBadParameterErr;
  *out = NewString(ToUnits(withExtension ? path->path.filename() : path->path.stem()));
  return kNoErr;
}

AIErr PathGetFileExtension(AIFilePathRef path, AIUnicodeStringRef* out) {
  if (!path || !out) return kBadParameterErr;
  std::string extension = path->path.extension().string();
  if (!extension.empty()) extension.erase(0, 1);
  *out = NewString(Utf8ToUtf16(extension));
  return kNoErr;
}

AIErr PathGetParent(AIFilePathRef path, AIFilePathRef* out) {
  if (!path || !out) return kBadParameterErr;
  *out = new AIFilePathRefOpaque{path->path.parent_path()};
  return kNoErr;
}

AIErr PathAddComponent(AIFilePathRef path, AIUnicodeStringRef component, AIFilePathRef* out) {
  if (!path || !component || !out) return kBadParameterErr;
  *out = new AIFilePathRefOpaque{path->path / fs::path(Utf16ToUtf8(component->units))};
  return kNoErr;
}

AIErr PathSetFileExtension(AIFilePathRef path, AIUnicodeStringRef extension, AIFilePathRef* out) {
  if (!path || !extension || !out) return kBadParameterErr;
  fs::path changed = path->path;
  const std::string text = Utf16ToUtf8(extension->units);
  changed.replace_extension(text.empty() ? fs::path() : fs::path("." + text));
  *out = new AIFilePathRefOpaque{changed};
  return kNoErr;
}

AIErr PathExists(AIFilePathRef path, AIBoolean* exists, AIBoolean* isFile) {
  if (!path || !exists || !isFile) return kBadParameterErr;
  std::error_code error;
  const auto status = fs::status(path->path, error);
  *exists = !error && fs::exists(status);
  *isFile = !error && fs::is_regular_file(status);
  return kNoErr;
}

AIErr PathEqual(AIFilePathRef a, AIFilePathRef b, AIBoolean* equal) {
  if (!a || !b || !equal) return kBadParameterErr;
  *equal = a->path.lexically_normal() == b->path.lexically_normal();
  return kNoErr;
}

const AIFilePathSuite filePathSuite = {
    PathCreate,        PathCreateFromPlatform, PathDuplicate,       PathDispose,        PathIsEmpty,
    PathGetFullPath,   PathGetPlatformPath,    PathGetFileName,     PathGetFileExtension, PathGetParent,
    PathAddComponent,  PathSetFileExtension,   PathExists,          PathEqual};

}  // namespace

const AIUnicodeStringSuite* UnicodeStringSuite() { return &unicodeStringSuite; }
const AIFilePathSuite* FilePathSuite() { return &filePathSuite; }

}  // namespace sim
