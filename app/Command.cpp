#include "app/Command.h"

#include <cstdlib>

namespace kzmap {

std::vector<Command>& Commands() {
  static std::vector<Command> commands;
  return commands;
}

std::string PluginFile() {
  if (const char* override = std::getenv("KZMAP_PLUGIN")) return override;
  return KZ_PLUGIN_FILE;
}

}  // namespace kzmap
