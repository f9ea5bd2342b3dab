// PartFile: a file written under a unique temporary name in its target's
// folder and given the target's name only once it is whole. The temporary
// name is created exclusively (never following a link planted there), so
// two writers of one target never share a file, and a failed or abandoned
// write leaves the target as it was and nothing beside it.
#pragma once

#include <cstdio>
#include <string>

class PartFile {
 public:
  PartFile() = default;
  // Removes the temporary file unless it was put in place.
  ~PartFile();
  PartFile(const PartFile&) = delete;
  PartFile& operator=(const PartFile&) = delete;

  // Creates the temporary file for target (a path in the file system's
  // encoding). False, with Problem() saying why, when it cannot be made.
  bool Create(const std::string& target);
  std::FILE* Stream() const { return stream; }
  bool IsOpen() const { return stream != nullptr; }

  // Writes the buffered bytes, makes them reach the disk and closes the
  // stream; false (Problem() set) when any of that failed.
  bool Close();
  // Renames the closed file over the target.
  bool PutInPlace();
  // Closes and removes the temporary file; the target stays as it was.
  void Discard();

  const std::string& Target() const { return target; }
  const std::string& TemporaryPath() const { return temporary; }
  // The first failure: the file and the system's reason ("…: No space left
  // on device"); empty when nothing failed.
  const std::string& Problem() const { return problem; }
  // Records a failure of a write made through Stream().
  void Fail(int error);

  // The bytes the temporary name adds to the target's name.
  static constexpr size_t kSuffixBytes = 7;  // ".XXXXXX"
  // The longest file name most file systems hold, in bytes.
  static constexpr size_t kMaxNameBytes = 255;

 private:
  void Fail(const std::string& file, int error);

  std::string target;
  std::string temporary;
  std::FILE* stream = nullptr;
  std::string problem;
};

// The system's reason for an error number, in English as the C library gives it.
std::string SystemReason(int error);
