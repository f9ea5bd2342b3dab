// kzmap: Kartzmap's command-line tool. Options are parsed with CLI11; each
// command declares its own (see Command.h).
#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "app/Command.h"
#include "app/CoordRefText.h"
#include "app/LeftAtExit.h"
#include "app/Translate.h"

namespace {

using kzmap::Tr;

constexpr const char* kVersion = "Kartzmap 4.5.1";

struct Registered {
  const kzmap::Command* command = nullptr;
  kzmap::CommandRun run;
};

// What comes after a prefix ("The value x is not ..." -> "x is not ...").
bool After(const std::string& text, const std::string& prefix, std::string& rest) {
  if (text.rfind(prefix, 0) != 0) return false;
  rest = text.substr(prefix.size());
  return true;
}

bool Before(const std::string& text, const std::string& suffix, std::string& rest) {
  if (text.size() < suffix.size() || text.compare(text.size() - suffix.size(), suffix.size(), suffix) != 0)
    return false;
  rest = text.substr(0, text.size() - suffix.size());
  return true;
}

// The parser's problem in the tool's words (and so in the user's language).
// The option checks write their own problems already translated; the
// parser's fixed forms are recognised here.
std::string ProblemText(const CLI::ParseError& error) {
  std::string text = error.what();
  if (text.rfind(": ", 0) == 0) text = text.substr(2);  // an option the help does not show has no name
  std::string rest;
  if (After(text, "The following argument was not expected: ", rest) ||
      After(text, "The following arguments were not expected: ", rest))
    return kzmap::Format(Tr("unexpected argument: %s"), rest.c_str());
  if (text == "A subcommand is required" || After(text, "Requires at least ", rest)) return Tr("which command?");
  if (Before(text, " is required", rest)) return kzmap::Format(Tr("%s is required"), rest.c_str());
  if (Before(text, " required TEXT missing", rest) || Before(text, " required INT missing", rest) ||
      Before(text, " required FLOAT missing", rest) || Before(text, " required REF missing", rest) ||
      Before(text, " required PATH missing", rest) || Before(text, " required FILE missing", rest)) {
    return kzmap::Format(Tr("%s needs a value"), rest.substr(0, rest.find(':')).c_str());
  }
  if (After(text, "Could not convert: ", rest)) {
    const size_t equals = rest.find(" = ");
    if (equals != std::string::npos)
      return kzmap::Format(Tr("%s: '%s' is not a number"), rest.substr(0, equals).c_str(),
                           rest.substr(equals + 3).c_str());
  }
  if (After(text, "The value ", rest)) {
    const size_t at = rest.find(" is not an allowed value for ");
    if (at != std::string::npos)
      return kzmap::Format(Tr("%s: '%s' is not a number"), rest.substr(at + 29).c_str(), rest.substr(0, at).c_str());
  }
  const size_t excludes = text.find(" excludes ");
  if (error.get_name() == "ExcludesError" && excludes != std::string::npos)
    return kzmap::Format(Tr("%s cannot be used with %s"), text.substr(0, excludes).c_str(),
                         text.substr(excludes + 10).c_str());
  return text;
}

class CommandLine {
 public:
  CommandLine() : app(Tr("Kartzmap — map-making tools for Japanese coordinate systems."), "kzmap") {
    app.require_subcommand(1);
    app.set_help_flag("-h,--help", Tr("print this help and exit"));
    app.add_flag_callback(
        "--version",
        [] {
          std::printf("%s\n", kVersion);
          throw CLI::Success();
        },
        Tr("print the version and exit"));
    Labels(*app.get_formatter());
    for (const kzmap::Command& command : kzmap::Commands()) Add(command);
    Groups(app);
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
  // The words the help is framed in.
  static void Labels(CLI::FormatterBase& formatter) {
    formatter.label("Usage", Tr("Usage"));
    formatter.label("OPTIONS", Tr("OPTIONS"));
    formatter.label("SUBCOMMAND", Tr("COMMAND"));
    formatter.label("SUBCOMMANDS", Tr("COMMANDS"));
    formatter.label("Positionals", Tr("Arguments"));
    formatter.label("REQUIRED", Tr("(required)"));
    formatter.label("Excludes", Tr("Not with"));
    formatter.label("Needs", Tr("Needs"));
  }

  // Option and command group headings, once every option is declared.
  static void Groups(CLI::App& at) {
    for (CLI::Option* option : at.get_options())
      if (option->get_group() == "Options") option->group(Tr("Options"));
    for (CLI::App* sub : at.get_subcommands([](CLI::App*) { return true; })) {
      if (sub->get_group() == "Subcommands") sub->group(Tr("Commands"));
      Groups(*sub);
    }
  }

  // Commands with several words ("shp dump") nest under a sub-app per word.
  void Add(const kzmap::Command& command) {
    CLI::App* at = &app;
    std::string path;
    size_t start = 0;
    while (true) {
      const size_t end = command.name.find(' ', start);
      const std::string word = command.name.substr(start, end - start);
      path += (path.empty() ? "" : " ") + word;
      at = SubApp(*at, word, end == std::string::npos ? Tr(command.summary.c_str()) : "", path);
      if (end == std::string::npos) break;
      start = end + 1;
    }
    at->set_help_flag("-h,--help", Tr("print this help and exit"));
    registered[at] = Registered{&command, command.define(*at)};
    Footer(*at, command);
  }

  // The help ends with the forms of a reference, where the command takes
  // one, and an example.
  static void Footer(CLI::App& at, const kzmap::Command& command) {
    std::string footer = at.get_footer();
    const auto join = [&footer](const std::string& part) { footer += (footer.empty() ? "" : "\n\n") + part; };
    bool takesReferences = false;
    for (const CLI::Option* option : at.get_options())
      takesReferences |= option->get_type_name() == "REF";
    if (takesReferences) join(Tr(kzmap::kCoordRefHelp));
    if (!command.example.empty()) {
      std::string example = Tr("Example:");
      size_t start = 0;
      while (start <= command.example.size()) {
        const size_t end = command.example.find('\n', start);
        example += "\n  " + command.example.substr(start, end - start);
        if (end == std::string::npos) break;
        start = end + 1;
      }
      join(example);
    }
    at.footer(footer);
  }

  CLI::App* SubApp(CLI::App& parent, const std::string& word, const std::string& summary, const std::string& path) {
    for (CLI::App* existing : parent.get_subcommands([](CLI::App*) { return true; })) {
      if (existing->get_name() != word) continue;
      if (!summary.empty()) existing->description(summary);
      return existing;
    }
    CLI::App* sub = parent.add_subcommand(
        word, summary.empty() ? kzmap::Format(Tr("%s commands"), path.c_str()) : summary);
    if (summary.empty()) {
      sub->require_subcommand(1);
      sub->set_help_flag("-h,--help", Tr("print this help and exit"));
    }
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
      std::fprintf(stderr, Tr("%s: %s (usage: %s %s)\n"), prefix.c_str(), ProblemText(error).c_str(),
                   prefix.c_str(), found->second.command->usage.c_str());
      return 2;
    }
    // A group's own options never fail, so the word after it is what went wrong.
    int depth = 0;
    for (CLI::App* parent = at; parent != &app; parent = parent->get_parent()) ++depth;
    if (1 + depth >= argc) {
      std::fprintf(stderr, Tr("%s: which command? (see %s --help)\n"), prefix.c_str(), prefix.c_str());
      return 2;
    }
    const std::string word = argv[1 + depth];
    if (!word.empty() && word[0] == '-')
      std::fprintf(stderr, Tr("%s: unknown option '%s' (see %s --help)\n"), prefix.c_str(), word.c_str(),
                   prefix.c_str());
    else
      std::fprintf(stderr, Tr("%s: unknown command '%s' (see %s --help)\n"), prefix.c_str(), word.c_str(),
                   prefix.c_str());
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
  kzmap::LeftAtExit::Enable();
  kzmap::SetUpLanguage();
  CommandLine commandLine;
  return commandLine.Run(argc, argv);
}
