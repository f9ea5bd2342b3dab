// kzmap upgrade: the panel's "以前の形式の属性データをアップグレード" on a map:
// attribute data of the older tag format becomes attribute rows, and the map
// is saved in the current file version (unless it already is just that).
#include <CLI/CLI.hpp>

#include <memory>
#include <string>

#include "app/Command.h"
#include "app/CommandEngine.h"
#include "app/Translate.h"

namespace {

constexpr uint32_t kUpgradeItem = 11;

int Run(const std::string& map) {
  kzmap::MapSession session;
  session.name = "upgrade";
  session.map = map;
  session.command = kzmap::PluginCommand::Flyout(kUpgradeItem);
  // A map with nothing to convert, already in the current file version, stays as it is.
  session.keepUnchangedMap = true;
  return kzmap::CommandEngine::RunOnce(session);
}

kzmap::CommandRun Define(CLI::App& app) {
  auto map = std::make_shared<std::string>();
  app.add_option("MAP", *map, kzmap::Tr("the map document"))->required();
  app.footer(kzmap::Tr("The older tags stay on the objects; running it again adds nothing."));
  return [map] { return Run(*map); };
}

const kzmap::CommandRegistration registration({
    "upgrade",
    "MAP",
    kzmap::TrLater("convert attributes of the older format"),
    Define,
    "kzmap upgrade old.kzmap",
});

}  // namespace
