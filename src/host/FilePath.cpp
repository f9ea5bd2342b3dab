#include "host/FilePath.h"

#include <utility>

#include "host/AIError.h"
#include "host/AIFilePathSuite.h"
#include "host/SuitePointers.h"

namespace ai {

FilePath::FilePath(const UnicodeString& fullPath) { check_ai_error(sAIFilePath->Create(fullPath.Ref(), &ref)); }

FilePath FilePath::FromPlatform(const std::string& path) {
  AIFilePathRef ref = nullptr;
  check_ai_error(sAIFilePath->CreateFromPlatformPath(path.c_str(), &ref));
  return FilePath(ref);
}

FilePath FilePath::Adopt(AIFilePathRef adopted) { return FilePath(adopted); }

FilePath::FilePath(const FilePath& other) {
  if (other.ref) check_ai_error(sAIFilePath->Duplicate(other.ref, &ref));
}

FilePath::FilePath(FilePath&& other) noexcept : ref(std::exchange(other.ref, nullptr)) {}

FilePath& FilePath::operator=(const FilePath& other) {
  if (this != &other) {
    FilePath copy(other);
    std::swap(ref, copy.ref);
  }
  return *this;
}

FilePath& FilePath::operator=(FilePath&& other) noexcept {
  std::swap(ref, other.ref);
  return *this;
}

FilePath::~FilePath() {
  if (ref && sAIFilePath) sAIFilePath->Dispose(ref);
}

bool FilePath::IsEmpty() const {
  if (!ref) return true;
  AIBoolean empty = true;
  check_ai_error(sAIFilePath->IsEmpty(ref, &empty));
  return empty;
}

UnicodeString FilePath::GetFullPath() const {
  if (!ref) return UnicodeString();
  AIUnicodeStringRef text = nullptr;
  check_ai_error(sAIFilePath->GetFullPath(ref, &text));
  return UnicodeString::Adopt(text);
}

std::string FilePath::GetPlatformPath() const {
  if (!ref) return {};
  size_t needed = 0;
  check_ai_error(sAIFilePath->GetPlatformPath(ref, nullptr, 0, &needed));
  std::string path(needed, '\0');
  check_ai_error(sAIFilePath->GetPlatformPath(ref, path.data(), path.size(), &needed));
  path.resize(needed > 0 ? needed - 1 : 0);
  return path;
}

UnicodeString FilePath::GetFileName(bool withExtension) const {
  if (!ref) return UnicodeString();
  AIUnicodeStringRef text = nullptr;
  check_ai_error(sAIFilePath->GetFileName(ref, withExtension, &text));
  return UnicodeString::Adopt(text);
}

UnicodeString FilePath::GetFileExtension() const {
  if (!ref) return UnicodeString();
  AIUnicodeStringRef text = nullptr;
  check_ai_error(sAIFilePath->GetFileExtension(ref, &text));
  return UnicodeString::Adopt(text);
}

FilePath FilePath::GetParent() const {
  if (!ref) return FilePath();
  AIFilePathRef parent = nullptr;
  check_ai_error(sAIFilePath->GetParent(ref, &parent));
  return FilePath(parent);
}

FilePath FilePath::AddComponent(const UnicodeString& component) const {
  if (!ref) return FilePath(component);
  AIFilePathRef joined = nullptr;
  check_ai_error(sAIFilePath->AddComponent(ref, component.Ref(), &joined));
  return FilePath(joined);
}

FilePath FilePath::SetFileExtension(const UnicodeString& extension) const {
  if (!ref) return FilePath();
  AIFilePathRef changed = nullptr;
  check_ai_error(sAIFilePath->SetFileExtension(ref, extension.Ref(), &changed));
  return FilePath(changed);
}

bool FilePath::Exists() const {
  if (!ref) return false;
  AIBoolean exists = false, isFile = false;
  check_ai_error(sAIFilePath->Exists(ref, &exists, &isFile));
  return exists;
}

bool FilePath::IsFile() const {
  if (!ref) return false;
  AIBoolean exists = false, isFile = false;
  check_ai_error(sAIFilePath->Exists(ref, &exists, &isFile));
  return exists && isFile;
}

bool FilePath::operator==(const FilePath& other) const {
  if (!ref || !other.ref) return IsEmpty() && other.IsEmpty();
  AIBoolean equal = false;
  check_ai_error(sAIFilePath->Equal(ref, other.ref, &equal));
  return equal;
}

}  // namespace ai
