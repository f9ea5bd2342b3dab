// kzmap's sub-commands. Each command lives in its own file and registers
// itself with a static CommandRegistration, so adding one touches no other file.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kzmap {

using Arguments = std::vector<std::string>;
// Returns the process exit code: 0 success, 1 failure, 2 bad arguments.
using CommandFunction = std::function<int(const Arguments&)>;

struct Command {
  std::string name;     // first word(s) on the command line, e.g. "shp dump"
  std::string usage;    // one line: arguments
  std::string summary;  // one line: what it does
  CommandFunction run;
};

std::vector<Command>& Commands();

struct CommandRegistration {
  explicit CommandRegistration(Command command) { Commands().push_back(std::move(command)); }
};

// The folder of the plug-in library, where the plug-in finds its data files.
std::string PluginFile();

}  // namespace kzmap
