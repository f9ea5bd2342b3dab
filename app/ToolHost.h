// The headless host as kzmap's commands use it: a sim::Host with every suite,
// the system's suite pointers filled from it, and the plug-in library
// registered, so that the system's classes run as they do inside the host.
#pragma once

#include <string>

#include "sim/Host.h"

namespace kzmap {

class ToolHost {
 public:
  ToolHost();
  ~ToolHost();
  ToolHost(const ToolHost&) = delete;
  ToolHost& operator=(const ToolHost&) = delete;

  sim::Host& Host() { return host; }
  // The plug-in as the host knows it: its file is the plug-in library.
  SPPluginRef Plugin() const { return plugin; }
  // The text of the newest alert shown through the host, or empty.
  std::string LastAlert();

 private:
  sim::Host host;
  SPPluginRef plugin = nullptr;
};

}  // namespace kzmap
