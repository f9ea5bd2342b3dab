// kzmap: Kartzmap's command-line tool. Options are parsed with CLI11; each
// command declares its own (see Command.h).
#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "app/Command.h"

namespace {

constexpr const char* kVersion = "Kartzmap 4.5.1";

struct Registered {
  const kzmap::Command* command = nullptr;
  kzmap::CommandRun run;
};

class CommandLine {
 public:
  CommandLine() : app("Kartzmap — map-making tools for Japanese coordinate systems.", "kzmap") {
    app.require_subcommand(1);
    app.add_flag_callback(
        "--version",
        [] {
          std::printf("%s\n", kVersion);
          throw CLI::Success();
        },
        "print the version and exit");
    for (const kzmap::Command& command : kzmap::Commands()) Add(command);
  }

  int Run(int argc, char** argv) {
    if (argc < 2) {
      std::fputs(app.help().c_str(), stderr);
      return 2;
    }
    try {
      app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {  // before Success, which it derives from
      std::fputs(app.help().c_str(), stdout);  // descends into the chosen command
      return 0;
    } catch (const CLI::CallForAllHelp&) {
      std::fputs(app.help("", CLI::AppFormatMode::All).c_str(), stdout);
      return 0;
    } catch (const CLI::Success&) {
      return 0;
    } catch (const CLI::ParseError& error) {
      return Usage(error, argc, argv);
    }
    const auto found = registered.find(Deepest());
    if (found == registered.end()) return 2;
    return found->second.run();
  }

 private:
  // Commands with several words ("shp dump") nest under a sub-app per word.
  void Add(const kzmap::Command& command) {
    CLI::App* at = &app;
    std::string path;
    size_t start = 0;
    while (true) {
      const size_t end = command.name.find(' ', start);
      const std::string word = command.name.substr(start, end - start);
      path += (path.empty() ? "" : " ") + word;
      at = SubApp(*at, word, end == std::string::npos ? command.summary : "", path);
      if (end == std::string::npos) break;
      start = end + 1;
    }
    registered[at] = Registered{&command, command.define(*at)};
  }

  CLI::App* SubApp(CLI::App& parent, const std::string& word, const std::string& summary, const std::string& path) {
    for (CLI::App* existing : parent.get_subcommands([](CLI::App*) { return true; })) {
      if (existing->get_name() != word) continue;
      if (!summary.empty()) existing->description(summary);
      return existing;
    }
    CLI::App* sub = parent.add_subcommand(word, summary.empty() ? path + " commands" : summary);
    if (summary.empty()) sub->require_subcommand(1);
    return sub;
  }

  CLI::App* Deepest() {
    CLI::App* at = &app;
    while (!at->get_subcommands().empty()) at = at->get_subcommands().front();
    return at;
  }

  // One line: the command, the problem, and the command's usage.
  int Usage(const CLI::ParseError& error, int argc, char** argv) {
    CLI::App* at = Deepest();
    const std::string name = NameOf(at);
    const std::string prefix = name.empty() ? "kzmap" : "kzmap " + name;
    const auto found = registered.find(at);
    if (found != registered.end()) {
      std::fprintf(stderr, "%s: %s (usage: %s %s)\n", prefix.c_str(), error.what(), prefix.c_str(),
                   found->second.command->usage.c_str());
      return 2;
    }
    // A group's own options never fail, so the word after it is what went wrong.
    int depth = 0;
    for (CLI::App* parent = at; parent != &app; parent = parent->get_parent()) ++depth;
    if (1 + depth >= argc) {
      std::fprintf(stderr, "%s: which command? (see %s --help)\n", prefix.c_str(), prefix.c_str());
      return 2;
    }
    const std::string word = argv[1 + depth];
    const char* what = !word.empty() && word[0] == '-' ? "unknown option" : "unknown command";
    std::fprintf(stderr, "%s: %s '%s' (see %s --help)\n", prefix.c_str(), what, word.c_str(), prefix.c_str());
    return 2;
  }

  std::string NameOf(CLI::App* at) const {
    std::string name;
    for (; at && at != &app; at = at->get_parent())
      name = at->get_name() + (name.empty() ? "" : " " + name);
    return name;
  }

  CLI::App app;
  std::map<CLI::App*, Registered> registered;
};

}  // namespace

int main(int argc, char** argv) {
  CommandLine commandLine;
  return commandLine.Run(argc, argv);
}
