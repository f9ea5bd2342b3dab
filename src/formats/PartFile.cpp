#include "formats/PartFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

namespace {

constexpr int kAttempts = 100;

std::string RandomSuffix() {
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 generator{std::random_device{}() ^ static_cast<uint64_t>(::getpid())};
  std::string suffix = ".";
  for (size_t i = 1; i < PartFile::kSuffixBytes; ++i) suffix += kLetters[generator() % (sizeof kLetters - 1)];
  return suffix;
}

// The name cut so that the suffix still fits a file name, never inside a
// UTF-8 character.
std::string TemporaryBase(const std::string& target) {
  const size_t slash = target.find_last_of('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const size_t room = PartFile::kMaxNameBytes - PartFile::kSuffixBytes;
  if (target.size() - nameStart <= room) return target;
  size_t end = nameStart + room;
  while (end > nameStart && (static_cast<unsigned char>(target[end]) & 0xC0) == 0x80) --end;
  return target.substr(0, end);
}

}  // namespace

std::string SystemReason(int error) { return std::strerror(error); }

PartFile::~PartFile() { Discard(); }

// Messages name the file the user asked for, not the temporary one.
void PartFile::Fail(int error) { Fail(target, error); }

void PartFile::Fail(const std::string& file, int error) {
  if (problem.empty()) problem = file + ": " + SystemReason(error != 0 ? error : EIO);
}

bool PartFile::Create(const std::string& path) {
  Discard();
  target = path;
  problem.clear();
  const std::string base = TemporaryBase(target);
  int error = 0;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const std::string name = base + RandomSuffix();
    // O_EXCL with O_CREAT never follows a link and never opens a file that is there.
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      error = errno;
      if (error == EEXIST) continue;
      break;
    }
    stream = ::fdopen(fd, "wb");
    if (!stream) {
      error = errno;
      ::close(fd);
      ::unlink(name.c_str());
      break;
    }
    temporary = name;
    return true;
  }
  Fail(target, error);
  return false;
}

bool PartFile::Close() {
  if (!stream) return false;
  bool ok = std::fflush(stream) == 0 && !std::ferror(stream);
  int error = ok ? 0 : errno;
  if (ok && ::fsync(::fileno(stream)) != 0) {
    ok = false;
    error = errno;
  }
  if (std::fclose(stream) != 0 && ok) {
    ok = false;
    error = errno;
  }
  stream = nullptr;
  if (!ok) Fail(error);
  return ok && problem.empty();
}

bool PartFile::PutInPlace() {
  if (stream || temporary.empty() || !problem.empty()) return false;
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    Fail(target, errno);
    return false;
  }
  temporary.clear();
  return true;
}

void PartFile::Discard() {
  if (stream) std::fclose(stream);
  stream = nullptr;
  if (!temporary.empty()) ::unlink(temporary.c_str());
  temporary.clear();
}
