// kzmap import: the plug-in's Shapefile import ("シェープファイル読み込み...")
// run on a map document through the command engine, exactly as the host runs
// it: the open-file dialog is answered with the files (one selection, as the
// host hands them over) and the encoding, the coordinate settings dialog is
// filled from the options. A missing MAP becomes a new map.
#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Command.h"
#include "app/CommandEngine.h"
#include "app/ToolHost.h"
#include "geodesy/CoordRef.h"
#include "georef/CoordMarkers.h"
#include "georef/DataFrame.h"
#include "sim/DocumentFile.h"

namespace {

using sim::DialogAction;

constexpr const char* kUsage =
    "MAP FILE... [--encoding sjis|utf8] [--from REF] [--to REF] [--scale N] [--north-up|--no-north-up] "
    "[--area SOUTH,WEST,NORTH,EAST]";
constexpr int32_t kCoordDialog = 108;
constexpr int32_t kEncodingCombo = 1081;

struct Options {
  std::string map;
  std::vector<std::string> files;
  std::string encoding;
  std::optional<CoordRef> from, to;
  std::optional<std::string> scale;
  std::optional<bool> northUp;
  std::optional<std::string> area;
};

bool Digits(const std::string& text, int lowest, int highest, int& value) {
  if (text.empty() || text.size() > 2 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  value = std::atoi(text.c_str());
  return value >= lowest && value <= highest;
}

// A reference as kzmap convert writes it: jgd2000:xy9, tokyo:bl, jgd2000:utm54.
std::optional<CoordRef> ParseRef(const std::string& text) {
  CoordRef ref;
  const size_t colon = text.find(':');
  if (colon == std::string::npos) return std::nullopt;
  const std::string datum = text.substr(0, colon), rest = text.substr(colon + 1);
  if (datum == "jgd2000") {
    ref.datum = kDatumJgd2000;
  } else if (datum == "tokyo") {
    ref.datum = kDatumTokyo;
  } else {
    return std::nullopt;
  }
  if (rest == "bl") {
    ref.kind = kKindLatLong;
  } else if (rest.rfind("xy", 0) == 0 && Digits(rest.substr(2), 1, kPlaneSystemCount, ref.system)) {
    ref.kind = kKindPlane;
  } else if (rest.rfind("utm", 0) == 0 && Digits(rest.substr(3), 1, kUtmZoneCount, ref.zone)) {
    ref.kind = kKindUtm;
  } else {
    return std::nullopt;
  }
  return ref;
}

// Four finite numbers separated by commas.
std::optional<std::vector<std::string>> SplitArea(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1) {
    parts.push_back(text.substr(start, comma - start));
  }
  parts.push_back(text.substr(start));
  if (parts.size() != 4) return std::nullopt;
  for (const std::string& part : parts) {
    char* end = nullptr;
    const double value = std::strtod(part.c_str(), &end);
    if (part.empty() || *end != '\0' || !std::isfinite(value)) return std::nullopt;
  }
  return parts;
}

CLI::Validator RefCheck() {
  return CLI::Validator(
      [](std::string& text) { return ParseRef(text) ? std::string() : "unknown coordinate reference '" + text + "'"; },
      "REF");
}

// Whether the map already holds a georeference the import will use (its
// data frame or its markers), read as the plug-in reads it.
bool IsGeoreferenced(const std::string& map) {
  if (!std::filesystem::exists(map)) return false;
  kzmap::ToolHost tool;
  sim::LoadDocumentFile(tool.Host(), map);
  DataFrameParams frame;
  MarkerSet markers;
  MarkerTexts texts;
  return ReadDataFrame(frame) || ReadMarkerSet(markers, texts);
}

void AddRefActions(const CoordRef& ref, int32_t jgd, int32_t tokyo, int32_t latLong, int32_t plane, int32_t system,
                   int32_t utm, int32_t zone, std::vector<DialogAction>& actions) {
  actions.push_back(DialogAction::Click(ref.datum == kDatumTokyo ? tokyo : jgd));
  if (ref.kind == kKindPlane) {
    actions.push_back(DialogAction::Click(plane));
    actions.push_back(DialogAction::Choose(system, ref.system));
  } else if (ref.kind == kKindUtm) {
    actions.push_back(DialogAction::Click(utm));
    actions.push_back(DialogAction::Choose(zone, ref.zone));
  } else {
    actions.push_back(DialogAction::Click(latLong));
  }
}

std::vector<DialogAction> CoordinateActions(const Options& options, bool newMap) {
  std::vector<DialogAction> actions;
  if (options.from) AddRefActions(*options.from, 1123, 1124, 1125, 1126, 1115, 1087, 1075, actions);
  if (newMap) {
    if (options.to) AddRefActions(*options.to, 1127, 1128, 1129, 1130, 1132, 1131, 1133, actions);
    if (options.scale) actions.push_back(DialogAction::SetText(1114, *options.scale));
    if (options.northUp) actions.push_back(DialogAction::Check(1082, *options.northUp));
  }
  if (options.area) {
    const std::vector<std::string> parts = *SplitArea(*options.area);  // south, west, north, east
    actions.push_back(DialogAction::Check(1076, true));
    actions.push_back(DialogAction::SetText(1079, parts[2] + "," + parts[1]));
    actions.push_back(DialogAction::SetText(1080, parts[0] + "," + parts[3]));
  }
  actions.push_back(DialogAction::OK());
  return actions;
}

int Run(const Options& options) {
  bool newMap = true;
  try {
    newMap = !IsGeoreferenced(options.map);
  } catch (const sim::DocumentFileError& error) {
    std::fprintf(stderr, "kzmap import: %s\n", error.what());
    return 1;
  }
  if (!newMap && (options.to || options.scale || options.northUp)) {
    std::fprintf(stderr, "kzmap import: note: %s is already georeferenced; --to, --scale and --north-up are not used\n",
                 options.map.c_str());
  }
  std::vector<std::string> files;
  for (const std::string& file : options.files) files.push_back(std::filesystem::absolute(file).string());
  std::vector<DialogAction> encoding;
  if (options.encoding == "sjis") encoding.push_back(DialogAction::ChooseText(kEncodingCombo, "シフトJIS"));
  if (options.encoding == "utf8") encoding.push_back(DialogAction::ChooseText(kEncodingCombo, "UTF-8"));

  kzmap::MapSession session;
  session.name = "import";
  session.map = options.map;
  session.createMap = true;
  session.command = kzmap::PluginCommand::Flyout(1);  // "シェープファイル読み込み..."
  session.user.dialogs.push_back({kCoordDialog, CoordinateActions(options, newMap)});
  session.user.setUp = [files, encoding](sim::Host& host) {
    host.Dialogs().ExpectOpenFile(sim::OpenFileAnswer::Choose(files, encoding));
  };
  // The file choice must have gone through, or nothing was imported.
  session.after = [](sim::Host& host) {
    const auto& runs = host.Dialogs().OpenFileRuns();
    if (!runs.empty() && runs.back().confirmed) return true;
    for (const auto& run : runs) {
      for (const std::string& problem : run.problems) std::fprintf(stderr, "kzmap import: error: %s\n", problem.c_str());
    }
    std::fprintf(stderr, "kzmap import: error: the files were not taken\n");
    return false;
  };
  return kzmap::CommandEngine().Run(session);
}

kzmap::CommandRun Define(CLI::App& app) {
  auto options = std::make_shared<Options>();
  app.add_option("MAP", options->map, "the map document (made when missing)")->required();
  app.add_option("FILE", options->files, "Shapefiles (.shp) to import, each into a layer of its own")
      ->required()
      ->check(CLI::ExistingFile);
  app.add_option("--encoding", options->encoding, "encoding of the attribute text (default: the .cpg, else sjis)")
      ->check(CLI::IsMember({"sjis", "utf8"}));
  app.add_option_function<std::string>(
         "--from", [options](const std::string& text) { options->from = ParseRef(text); },
         "reference of the files' coordinates (default: the .prj, else jgd2000:bl)")
      ->check(RefCheck());
  app.add_option_function<std::string>(
         "--to", [options](const std::string& text) { options->to = ParseRef(text); },
         "reference of a new map (default jgd2000:bl)")
      ->check(RefCheck());
  app.add_option_function<std::string>(
         "--scale", [options](const std::string& text) { options->scale = text; }, "scale denominator of a new map (default 25000)")
      ->check(CLI::PositiveNumber);
  auto* up = app.add_flag_function("--north-up", [options](int64_t) { options->northUp = true; },
                                   "turn a new map so that true north points up (the default)");
  auto* down = app.add_flag_function("--no-north-up", [options](int64_t) { options->northUp = false; },
                                     "keep grid north up");
  up->excludes(down);
  app.add_option_function<std::string>(
         "--area", [options](const std::string& text) { options->area = text; },
         "import only what lies in SOUTH,WEST,NORTH,EAST (the files' coordinates)")
      ->check(CLI::Validator(
          [](std::string& text) { return SplitArea(text) ? std::string() : "expected SOUTH,WEST,NORTH,EAST"; },
          "SOUTH,WEST,NORTH,EAST"));
  return [options] { return Run(*options); };
}

const kzmap::CommandRegistration registration({"import", kUsage, "import Shapefiles into a map", Define});

}  // namespace
