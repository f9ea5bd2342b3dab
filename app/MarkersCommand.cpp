// kzmap markers: the panel's "4点座標マーカーレイヤー作成" or
// "3点座標マーカーレイヤー作成" on a map, which is then saved.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <set>
#include <string>

#include "app/Command.h"
#include "app/CommandEngine.h"
#include "app/OptionChecks.h"
#include "app/Translate.h"

namespace {

constexpr uint32_t kFourPointItem = 8;
constexpr uint32_t kThreePointItem = 9;

struct Options {
  std::string map;
  std::string kind;
};

std::set<const sim::Layer*> Layers(sim::Host& host) {
  const auto all = host.CurrentDocument()->AllLayers();
  return {all.begin(), all.end()};
}

int Run(const Options& options) {
  kzmap::MapSession session;
  session.name = "markers";
  session.map = options.map;
  session.command = kzmap::PluginCommand::Flyout(options.kind == "four" ? kFourPointItem : kThreePointItem);
  auto before = std::make_shared<std::set<const sim::Layer*>>();
  session.before = [before](sim::Host& host) {
    *before = Layers(host);
    return true;
  };
  // The new layers, by title, for the user to fill.
  session.after = [before](sim::Host& host) {
    for (const sim::Layer* layer : host.CurrentDocument()->AllLayers()) {
      if (!before->count(layer)) std::printf(kzmap::Tr("added layer \"%s\"\n"), sim::Host::Title(*layer).c_str());
    }
    return true;
  };
  return kzmap::CommandEngine::RunOnce(session);
}

kzmap::CommandRun Define(CLI::App& app) {
  auto options = std::make_shared<Options>();
  using kzmap::Tr;
  app.add_option("MAP", options->map, Tr("the map document"))->required();
  app.add_option("KIND", options->kind, Tr("four or three marker layers"))
      ->required()
      ->check(kzmap::OneOf({"four", "three"}));
  app.footer(
      Tr("The new marker layers are empty. Put one point text in each, anchored on a point of known map\n"
         "coordinates, its text the northing and the easting joined by \"&\" (-5000.0&-35000.0, metres), or the\n"
         "latitude and the longitude (35.5&139.75, or D/M/S as 35/30/0.0&139/45/0.0). Four markers must mark a\n"
         "rectangle (lower left, upper left, upper right, lower right); three may lie anywhere not in a line."));
  return [options] { return Run(*options); };
}

const kzmap::CommandRegistration registration({
    "markers",
    "MAP four|three",
    kzmap::TrLater("add coordinate marker layers"),
    Define,
    "kzmap markers scan.kzmap four",
});

}  // namespace
