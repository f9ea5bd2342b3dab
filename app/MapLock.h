// MapLock: one writer at a time on a map. A command that changes the map
// holds the lock from before it loads the map until after it saved it, so
// no change made by another kzmap in between is lost. The lock is a POSIX
// record lock on a file beside the map ("MAP.lock", the map's links
// followed); the system drops it when the process ends, however it ends.
// Readers take no lock: a save replaces the map in one rename, so they
// read either the old map or the new one, whole.
#pragma once

#include <string>

namespace kzmap {

class MapLock {
 public:
  MapLock() = default;
  ~MapLock();
  MapLock(const MapLock&) = delete;
  MapLock& operator=(const MapLock&) = delete;

  // Takes the lock, waiting up to waitMilliseconds while another process
  // holds it. False, with Problem() saying why (and which process holds
  // it), when it could not be had.
  bool Acquire(const std::string& map, int waitMilliseconds);
  void Release();
  const std::string& Problem() const { return problem; }

  // The file locked for a map.
  static std::string LockFileOf(const std::string& map);

 private:
  // One try: 1 locked, 0 held by another (holder set), -1 failed.
  int TryOnce(long& holder);

  std::string path;
  int fd = -1;
  std::string problem;
};

}  // namespace kzmap
