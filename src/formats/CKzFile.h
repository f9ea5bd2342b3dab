// CKzFile: a host file path paired with a C stream, and who closes the stream.
#pragma once

#include <cstdio>
#include <string>

#include "host/FilePath.h"

class CKzFile {
 public:
  // With ownsStream clear the stream outlives this object: whoever takes it
  // from GetStream closes it.
  explicit CKzFile(bool ownsStream);
  explicit CKzFile(const ai::FilePath& path);
  CKzFile(const CKzFile&) = delete;
  CKzFile& operator=(const CKzFile&) = delete;
  virtual ~CKzFile();

  virtual void Close();

  // pathText is in the platform's multibyte encoding (the file system's own on
  // this platform). The path is remembered even when the open fails.
  bool Open(const std::string& pathText, const char* mode);
  bool Open(const ai::FilePath& path, const char* mode);

  std::FILE* GetStream() const { return stream; }
  const ai::FilePath& GetPath() const { return filePath; }

 protected:
  ai::FilePath filePath;
  bool ownsStream;
  std::FILE* stream = nullptr;

 private:
  bool OpenStream(const std::string& pathText, const char* mode);
};
