#include "formats/CKzFile.h"

#include <cerrno>

CKzFile::CKzFile(bool ownsStream) : ownsStream(ownsStream) {}

CKzFile::CKzFile(const ai::FilePath& path) : filePath(path), ownsStream(true) {}

CKzFile::~CKzFile() {
  if (ownsStream) Close();
}

void CKzFile::Close() {
  if (!stream) return;
  std::fclose(stream);
  stream = nullptr;
}

bool CKzFile::OpenStream(const std::string& pathText, const char* mode) {
  // A stream we own must not leak when the object is reopened; one we do not
  // own already belongs to whoever took it.
  if (ownsStream) Close();
  stream = std::fopen(pathText.c_str(), mode);
  return stream != nullptr;
}

// errno still tells why a failed open failed when these return.
bool CKzFile::Open(const std::string& pathText, const char* mode) {
  const bool opened = OpenStream(pathText, mode);
  const int reason = errno;
  filePath = ai::FilePath::FromPlatform(pathText);
  errno = reason;
  return opened;
}

bool CKzFile::Open(const ai::FilePath& path, const char* mode) {
  const bool opened = OpenStream(path.GetPlatformPath(), mode);
  const int reason = errno;
  filePath = path;
  errno = reason;
  return opened;
}
