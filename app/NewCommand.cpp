// kzmap new: writes an empty map document (one layer) of the chosen artboard.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "app/ArtboardSize.h"
#include "app/Command.h"
#include "app/Translate.h"
#include "sim/DocumentFile.h"
#include "sim/Host.h"

namespace {

// The first layer of a new document, as the host names it.
constexpr const char* kFirstLayerTitle = "レイヤー 1";

struct Options {
  std::string map;
  std::string artboard = "a4";
  bool landscape = false;
  bool force = false;
};

int Run(const Options& options) {
  auto size = kzmap::ParseArtboardSize(options.artboard);
  if (!size) {
    std::fprintf(stderr, kzmap::Tr("kzmap new: unknown artboard size '%s' (a4, a3, a2, a1, WxH in points or WxHmm)\n"),
                 options.artboard.c_str());
    return 2;
  }
  // Named sizes are portrait; WxH is taken as given. --landscape puts the longer side across.
  if (options.landscape && size->width < size->height) std::swap(size->width, size->height);
  std::error_code error;
  if (!options.force && std::filesystem::exists(options.map, error)) {
    std::fprintf(stderr, kzmap::Tr("kzmap new: %s: the file exists (--force replaces it)\n"), options.map.c_str());
    return 1;
  }
  sim::Host host;
  // The page rectangle runs y up from the bottom left corner.
  const AIRealRect bounds{0, static_cast<AIReal>(size->height), static_cast<AIReal>(size->width), 0};
  sim::Document& document = host.NewDocument(bounds);
  host.AddLayer(kFirstLayerTitle);
  try {
    sim::SaveDocumentFile(document, options.map);
  } catch (const sim::DocumentFileError& failure) {
    std::fprintf(stderr, "kzmap new: %s\n", failure.what());
    return 1;
  }
  return 0;
}

kzmap::CommandRun Define(CLI::App& app) {
  auto options = std::make_shared<Options>();
  using kzmap::Tr;
  app.add_option("MAP", options->map, Tr("the map document to write"))->required();
  app.add_option("--artboard", options->artboard,
                 Tr("a4, a3, a2, a1, or WIDTHxHEIGHT in points (\"800x600\") or millimetres (\"420x297mm\")"))
      ->capture_default_str();
  app.add_flag("--landscape", options->landscape, Tr("the longer side across"));
  app.add_flag("--force", options->force, Tr("replace MAP when it exists"));
  return [options] { return Run(*options); };
}

const kzmap::CommandRegistration registration({
    "new",
    "MAP [--artboard a4|a3|a2|a1|WxH] [--landscape] [--force]",
    kzmap::TrLater("write an empty map document with one layer"),
    Define,
    "kzmap new tokyo.kzmap --artboard a3 --landscape",
});

}  // namespace
