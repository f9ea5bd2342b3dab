// kzmap's sub-commands. Each command lives in its own file and registers
// itself with a static CommandRegistration, so adding one touches no other file.
//
// A command declares its options and arguments on its own CLI11 sub-app and
// returns the function that runs it once they are parsed:
//
//   kzmap::CommandRun Define(CLI::App& app) {
//     auto options = std::make_shared<Options>();
//     app.add_option("MAP", options->map, "the map document")->required();
//     app.add_flag("--json", options->json, "print one JSON object");
//     return [options] { return Run(*options); };
//   }
//   const kzmap::CommandRegistration registration(
//       {"info", "MAP [--json]", kzmap::TrLater("summarise a map"), Define, "kzmap info map.kzm"});
//
// Bad usage never reaches the command: the parser prints one line naming the
// command and the problem, and kzmap exits 2. Help texts, summaries and
// problems are written in English and shown through Tr (app/Translate.h);
// every command's help ends with an example, and with the forms of a
// reference when it takes one.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace kzmap {

// Runs the command; returns the process exit code: 0 success, 1 failure, 2 bad usage.
using CommandRun = std::function<int()>;
// Declares the command's options on its sub-app; the returned function runs it.
using CommandDefine = std::function<CommandRun(CLI::App&)>;

struct Command {
  std::string name;     // the words on the command line, e.g. "shp dump"
  std::string usage;    // one line: arguments, repeated after a usage error
  std::string summary;  // one line: what it does (English; shown through Tr)
  CommandDefine define;
  std::string example;  // one or more command lines that end its help
};

std::vector<Command>& Commands();

struct CommandRegistration {
  explicit CommandRegistration(Command command) { Commands().push_back(std::move(command)); }
};

// The plug-in library, where the plug-in finds its data files (KZMAP_PLUGIN overrides it).
std::string PluginFile();

}  // namespace kzmap
