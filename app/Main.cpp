// kzmap: Kartzmap's command-line tool.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/Command.h"

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

namespace {

void PrintHelp(std::FILE* out) {
  std::fprintf(out,
               "Kartzmap — map-making tools for Japanese coordinate systems.\n\n"
               "usage: kzmap --version\n"
               "       kzmap --help\n");
  for (const auto& command : kzmap::Commands())
    std::fprintf(out, "       kzmap %s %s\n", command.name.c_str(), command.usage.c_str());
  if (!kzmap::Commands().empty()) std::fprintf(out, "\ncommands:\n");
  for (const auto& command : kzmap::Commands())
    std::fprintf(out, "  %-14s %s\n", command.name.c_str(), command.summary.c_str());
}

// Number of leading arguments that spell the command's name, or 0.
size_t Matches(const kzmap::Command& command, int argc, char** argv) {
  size_t used = 0;
  size_t start = 0;
  const std::string& name = command.name;
  while (start <= name.size()) {
    size_t end = name.find(' ', start);
    if (end == std::string::npos) end = name.size();
    if (1 + static_cast<int>(used) >= argc || name.compare(start, end - start, argv[1 + used]) != 0 ||
        std::strlen(argv[1 + used]) != end - start)
      return 0;
    ++used;
    start = end + 1;
  }
  return used;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintHelp(stderr);
    return 2;
  }
  const std::string first = argv[1];
  if (first == "--version") {
    std::printf("Kartzmap 4.5.1\n");
    return 0;
  }
  if (first == "--help" || first == "-h") {
    PrintHelp(stdout);
    return 0;
  }
  const kzmap::Command* best = nullptr;
  size_t bestUsed = 0;
  for (const auto& command : kzmap::Commands()) {
    const size_t used = Matches(command, argc, argv);
    if (used > bestUsed) {
      best = &command;
      bestUsed = used;
    }
  }
  if (!best) {
    std::fprintf(stderr, "kzmap: unknown command '%s'\n\n", first.c_str());
    PrintHelp(stderr);
    return 2;
  }
  kzmap::Arguments arguments(argv + 1 + bestUsed, argv + argc);
  return best->run(arguments);
}
