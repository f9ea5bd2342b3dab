// kzmap markers: the panel's "4点座標マーカーレイヤー作成" or
// "3点座標マーカーレイヤー作成" on a map, which is then saved.
#include <CLI/CLI.hpp>

#include <memory>
#include <string>

#include "app/Command.h"
#include "app/CommandEngine.h"

namespace {

constexpr uint32_t kFourPointItem = 8;
constexpr uint32_t kThreePointItem = 9;

struct Options {
  std::string map;
  std::string kind;
};

int Run(const Options& options) {
  kzmap::MapSession session;
  session.name = "markers";
  session.map = options.map;
  session.command = kzmap::PluginCommand::Flyout(options.kind == "four" ? kFourPointItem : kThreePointItem);
  return kzmap::CommandEngine().Run(session);
}

kzmap::CommandRun Define(CLI::App& app) {
  auto options = std::make_shared<Options>();
  app.add_option("MAP", options->map, "the map document")->required();
  app.add_option("KIND", options->kind, "four or three marker layers")
      ->required()
      ->check(CLI::IsMember({"four", "three"}));
  app.footer("The marker layers are placed on the map's artboard; move each marker onto a point of known\n"
             "coordinates and write the coordinates into its text.");
  return [options] { return Run(*options); };
}

const kzmap::CommandRegistration registration({"markers", "MAP four|three", "add coordinate marker layers", Define});

}  // namespace
