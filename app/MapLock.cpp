#include "app/MapLock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "app/Translate.h"
#include "sim/DocumentFile.h"

namespace kzmap {

namespace {

constexpr auto kRetryPause = std::chrono::milliseconds(50);

struct flock WholeFile(short type) {
  struct flock region {};
  region.l_type = type;
  region.l_whence = SEEK_SET;
  region.l_start = 0;
  region.l_len = 0;
  return region;
}

}  // namespace

MapLock::~MapLock() { Release(); }

std::string MapLock::LockFileOf(const std::string& map) { return sim::DocumentSaveTarget(map) + ".lock"; }

int MapLock::TryOnce(long& holder) {
  fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) {
    problem = Format(Tr("%s: cannot lock the map: %s"), path.c_str(), std::strerror(errno));
    return -1;
  }
  struct flock region = WholeFile(F_WRLCK);
  if (::fcntl(fd, F_SETLK, &region) != 0) {
    const int error = errno;
    if (error == EACCES || error == EAGAIN) {
      struct flock probe = WholeFile(F_WRLCK);
      holder = ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK ? static_cast<long>(probe.l_pid) : 0;
    } else {
      problem = Format(Tr("%s: cannot lock the map: %s"), path.c_str(), std::strerror(error));
    }
    ::close(fd);
    fd = -1;
    return error == EACCES || error == EAGAIN ? 0 : -1;
  }
  // The holder before us may have removed the file while we waited: a lock
  // on a file no longer at the path locks nothing.
  struct stat opened {}, named {};
  if (::fstat(fd, &opened) != 0 || ::stat(path.c_str(), &named) != 0 || opened.st_ino != named.st_ino ||
      opened.st_dev != named.st_dev) {
    ::close(fd);
    fd = -1;
    holder = 0;
    return 0;
  }
  return 1;
}

bool MapLock::Acquire(const std::string& map, int waitMilliseconds) {
  Release();
  problem.clear();
  path = LockFileOf(map);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMilliseconds);
  long holder = 0;
  for (;;) {
    const int result = TryOnce(holder);
    if (result == 1) return true;
    if (result < 0) return false;
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(kRetryPause);
  }
  problem = holder > 0 ? Format(Tr("%s is being changed by another kzmap, process %ld; try again when it has finished"),
                                map.c_str(), holder)
                       : Format(Tr("%s is being changed by another kzmap; try again when it has finished"), map.c_str());
  return false;
}

void MapLock::Release() {
  if (fd < 0) return;
  // Removed while still held, so that no one can lock the old file after us.
  ::unlink(path.c_str());
  ::close(fd);
  fd = -1;
}

}  // namespace kzmap
