// ai::FilePath: a value class over host file paths.
#pragma once

#include <string>

#include "host/HostTypes.h"
#include "host/UnicodeString.h"

namespace ai {

class FilePath {
 public:
  FilePath() = default;  // empty
  explicit FilePath(const UnicodeString& fullPath);
  // From a path text in the platform's file-system encoding.
  static FilePath FromPlatform(const std::string& path);
  static FilePath Adopt(AIFilePathRef ref);

  FilePath(const FilePath& other);
  FilePath(FilePath&& other) noexcept;
  FilePath& operator=(const FilePath& other);
  FilePath& operator=(FilePath&& other) noexcept;
  ~FilePath();

  bool IsEmpty() const;
  UnicodeString GetFullPath() const;
  // The full path in the platform's file-system encoding, for C streams.
  std::string GetPlatformPath() const;
  UnicodeString GetFileName(bool withExtension = true) const;
  UnicodeString GetFileNameNoExt() const { return GetFileName(false); }
  UnicodeString GetFileExtension() const;
  FilePath GetParent() const;
  FilePath AddComponent(const UnicodeString& component) const;
  FilePath SetFileExtension(const UnicodeString& extension) const;
  bool Exists() const;
  bool IsFile() const;
  bool operator==(const FilePath& other) const;

  AIFilePathRef Ref() const { return ref; }

 private:
  explicit FilePath(AIFilePathRef adopted) : ref(adopted) {}
  AIFilePathRef ref = nullptr;  // null is the empty path
};

}  // namespace ai
