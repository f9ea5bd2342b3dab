// The host SDK's error exception, raised by the host-interface wrappers when a
// suite call fails and caught at the dispatch boundary.
#pragma once

#include <exception>

#include "host/HostTypes.h"

namespace ai {

class Error : public std::exception {
 public:
  explicit Error(AIErr code) : code(code) {}
  const char* what() const noexcept override { return "host error"; }
  operator AIErr() const { return code; }
  AIErr Code() const { return code; }

 private:
  AIErr code;
};

// Raises the host error for a non-zero result.
inline void check_ai_error(AIErr result) {
  if (result != kNoErr) throw Error(result);
}

}  // namespace ai
