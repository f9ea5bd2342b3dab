// A command's model is left for the end of the process to reclaim: freeing a
// million objects one by one took a third of `kzmap info`, and the system
// takes the whole address space back at once. Outputs are flushed and
// closed by the commands themselves and the map lock is released before the
// model would be freed, so leaving it changes nothing the user sees.
//
// Only the tool's main turns it on, and not in sanitizer builds (so that
// LeakSanitizer still sees every real leak). KZMAP_FREE_AT_EXIT=1 frees
// everything anyway (for memory checkers on normal builds); =0 leaves the
// model even under sanitizers (to test the path that normal builds take).
#pragma once

#include <memory>

namespace kzmap {

class LeftAtExit {
 public:
  // Called once by the tool's main before any command runs.
  static void Enable();
  static bool Enabled();

  template <typename T>
  struct Deleter {
    void operator()(T* object) const {
      if (!Enabled()) delete object;
    }
  };
};

// An object freed at the end of its scope unless the tool leaves models at exit.
template <typename T>
using KeptUntilExit = std::unique_ptr<T, LeftAtExit::Deleter<T>>;

template <typename T, typename... Arguments>
KeptUntilExit<T> MakeKeptUntilExit(Arguments&&... arguments) {
  return KeptUntilExit<T>(new T(std::forward<Arguments>(arguments)...));
}

}  // namespace kzmap
