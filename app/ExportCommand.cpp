// kzmap export: runs the plug-in's Shapefile or coordinate text export on a
// map document, the export dialog filled in from the options.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/Command.h"
#include "app/CommandEngine.h"
#include "app/CoordRefText.h"
#include "resources/DialogIds.h"

namespace {

namespace ids = dialog_ids::export_settings;
using sim::DialogAction;

constexpr uint32_t kShapefileExportItem = 5;
constexpr uint32_t kTextExportItem = 6;
// The plug-in's messages that mean a file was not written.
constexpr const char* kCannotOpenMessage = "出力ファイルを開けません";
constexpr const char* kNoGeoreferenceMessage = "データフレームか座標マーカーが正しくありません";

struct Options {
  std::string map;
  std::string out;
  std::string format;  // empty: from OUT's extension
  std::string type = "point";
  std::string target = "visible";
  bool perLayer = false;
  std::optional<CoordRef> to;
  bool noConvert = false;
  std::string encoding = "sjis";
  std::vector<std::string> kinds;  // empty: every kind the type can hold
  bool bezier = false;
  int accuracy = 5;
  bool layerField = false;
  bool textField = false;
};

// The format a file name asks for: .csv comma-separated text, .txt and .tsv
// tab-separated text, anything else a Shapefile.
std::string FormatOf(const Options& options) {
  if (!options.format.empty()) return options.format;
  const std::string extension = std::filesystem::path(options.out).extension().string();
  if (extension == ".csv") return "csv";
  if (extension == ".txt" || extension == ".tsv") return "tsv";
  return "shp";
}

// A usage problem the parser could not see: options that contradict each other.
std::string Contradiction(const Options& options, const std::string& format) {
  const bool text = format != "shp";
  if (text && options.type != "point") return "coordinate text files hold points only (--type point)";
  if (!text && options.encoding == "utf16") return "Shapefiles are written in sjis or utf8";
  if (options.perLayer && options.target != "visible" && options.target != "all")
    return "--per-layer needs --target visible or all";
  const std::set<std::string> kinds(options.kinds.begin(), options.kinds.end());
  if (options.type != "point" && (kinds.count("groups") || kinds.count("symbols") || kinds.count("texts")))
    return "groups, symbols and texts are exported as points only (--kinds paths,compounds)";
  if (kinds.count("compounds") && !kinds.count("paths") && !kinds.count("groups"))
    return "compounds exports the paths of groups and compound paths one by one: add paths or groups to --kinds";
  if (options.type == "point" && options.bezier) return "--bezier flattens polylines and polygons only";
  return {};
}

// Whether the export wrote every file it was asked for: the plug-in's
// messages about a document without a georeference or an output that could
// not be opened end the run as a failure.
bool NothingMissing(sim::Host& host, size_t firstAlert, const std::string& map) {
  const auto& alerts = host.User().alerts;
  bool complete = true;
  for (size_t i = firstAlert; i < alerts.size(); ++i) {
    const std::string& text = alerts[i].text;
    if (text.rfind(kCannotOpenMessage, 0) == 0) {
      const std::string path = text.size() > std::strlen(kCannotOpenMessage) + 1
                                   ? text.substr(std::strlen(kCannotOpenMessage) + 1)
                                   : std::string("the output");
      std::fprintf(stderr, "kzmap export: %s: cannot be opened for writing\n", path.c_str());
      complete = false;
    } else if (text == kNoGeoreferenceMessage) {
      std::fprintf(stderr, "kzmap export: %s: the map has neither a data frame nor coordinate markers\n",
                   map.c_str());
      complete = false;
    }
  }
  return complete;
}

int TargetItem(const std::string& target) {
  if (target == "visible") return 1;
  if (target == "all") return 2;
  if (target == "selection") return 3;
  return 0;  // current, layer:TITLE
}

void AddKinds(const Options& options, std::vector<DialogAction>& actions) {
  const std::set<std::string> kinds(options.kinds.begin(), options.kinds.end());
  const bool paths = kinds.count("paths") != 0;
  actions.push_back(DialogAction::Check(ids::kUnfilledPaths, paths));
  actions.push_back(DialogAction::Check(ids::kFilledPaths, paths));
  // Boxes that points-only kinds disable are left to the dialog for other types.
  if (options.type == "point") {
    actions.push_back(DialogAction::Check(ids::kGroups, kinds.count("groups") != 0));
    actions.push_back(DialogAction::Check(ids::kTexts, kinds.count("texts") != 0));
    actions.push_back(DialogAction::Check(ids::kSymbols, kinds.count("symbols") != 0));
  }
  const bool elementsPossible = paths || (options.type == "point" && kinds.count("groups"));
  if (elementsPossible) actions.push_back(DialogAction::Check(ids::kElementByElement, kinds.count("compounds") != 0));
}

void AddConversion(const Options& options, std::vector<DialogAction>& actions) {
  if (!options.to) {
    actions.push_back(DialogAction::Click(ids::kNoConversion));
    return;
  }
  const CoordRef& to = *options.to;
  actions.push_back(DialogAction::Click(ids::kConvert));
  const int32_t datum = to.datum == kDatumTokyo     ? ids::kOutputTokyo
                        : to.datum == kDatumJgd2011 ? ids::kOutputJgd2011
                        : to.datum == kDatumWgs84   ? ids::kOutputWgs84
                                                    : ids::kOutputJgd;
  actions.push_back(DialogAction::Click(datum));
  if (to.kind == kKindPlane) {
    actions.push_back(DialogAction::Click(ids::kOutputPlane));
    actions.push_back(DialogAction::Choose(ids::kOutputPlaneSystem, to.system));
  } else if (to.kind == kKindUtm) {
    actions.push_back(DialogAction::Click(ids::kOutputUtm));
    actions.push_back(DialogAction::Choose(ids::kOutputUtmZone, to.zone));
  } else {
    actions.push_back(DialogAction::Click(ids::kOutputLatLong));
  }
}

// What the user does in the export dialog.
std::vector<DialogAction> DialogScript(const Options& options, const std::string& format) {
  std::vector<DialogAction> actions;
  const int target = TargetItem(options.target);
  actions.push_back(DialogAction::Choose(ids::kTarget, target));
  if (target == 1 || target == 2) actions.push_back(DialogAction::Check(ids::kOneFilePerLayer, options.perLayer));
  actions.push_back(DialogAction::Click(options.type == "polyline"  ? ids::kPolyline
                                        : options.type == "polygon" ? ids::kPolygon
                                                                    : ids::kPoint));
  actions.push_back(
      DialogAction::Choose(ids::kEncoding, options.encoding == "utf8" ? 1 : options.encoding == "utf16" ? 2 : 0));
  if (format != "shp") actions.push_back(DialogAction::Click(format == "csv" ? ids::kComma : ids::kTab));
  AddKinds(options, actions);
  actions.push_back(DialogAction::Check(ids::kAddTextField, options.textField));
  actions.push_back(DialogAction::Check(ids::kAddLayerField, options.layerField));
  if (options.type != "point") {
    actions.push_back(DialogAction::Check(ids::kExpandBezier, options.bezier));
    if (options.bezier) actions.push_back(DialogAction::SetTrackPosition(ids::kAccuracy, options.accuracy));
  }
  AddConversion(options, actions);
  actions.push_back(DialogAction::OK());
  return actions;
}

bool AnythingSelected(const sim::Document& document) {
  for (const sim::Layer* layer : document.AllLayers())
    if (document.LayerHasSelection(layer)) return true;
  return false;
}

// Without --kinds: every kind of object the geometry type can hold.
std::vector<std::string> DefaultKinds(const std::string& type) {
  if (type == "point") return {"paths", "groups", "symbols", "texts"};
  return {"paths"};
}

int Run(Options options) {
  if (options.kinds.empty()) options.kinds = DefaultKinds(options.type);
  const std::string format = FormatOf(options);
  if (const std::string problem = Contradiction(options, format); !problem.empty()) {
    std::fprintf(stderr, "kzmap export: %s\n", problem.c_str());
    return 2;
  }
  std::error_code error;
  const std::filesystem::path out = std::filesystem::absolute(options.out, error);
  if (options.perLayer && !std::filesystem::is_directory(out, error) &&
      !std::filesystem::create_directories(out, error)) {
    std::fprintf(stderr, "kzmap export: %s: cannot make the folder (%s)\n", out.string().c_str(),
                 error.message().c_str());
    return 1;
  }

  if (!options.perLayer) {
    const std::filesystem::path folder = out.parent_path();
    if (!std::filesystem::is_directory(folder, error)) {
      std::fprintf(stderr, "kzmap export: %s: the folder %s does not exist\n", out.string().c_str(),
                   folder.string().c_str());
      return 1;
    }
  }

  kzmap::MapSession session;
  session.name = "export";
  session.map = options.map;
  session.saveMap = false;  // an export only reads the map
  session.command = kzmap::PluginCommand::Flyout(format == "shp" ? kShapefileExportItem : kTextExportItem);
  session.user.dialogs.push_back({dialog_ids::kExportSettings, DialogScript(options, format)});
  session.user.fileDialogs.push_back(out.string());
  const std::string target = options.target;
  const std::string map = options.map;
  auto firstAlert = std::make_shared<size_t>(0);
  session.before = [target, map, firstAlert](sim::Host& host) {
    *firstAlert = host.User().alerts.size();
    sim::Document& document = *host.CurrentDocument();
    if (target == "selection" && !AnythingSelected(document)) {
      std::fprintf(stderr, "kzmap export: %s: nothing is selected in the map\n", map.c_str());
      return false;
    }
    if (target.rfind("layer:", 0) != 0) return true;
    sim::Layer* layer = host.FindLayer(target.substr(6));
    if (layer == nullptr) {
      std::fprintf(stderr, "kzmap export: %s: no layer titled '%s'\n", map.c_str(), target.substr(6).c_str());
      return false;
    }
    document.currentLayer = layer;
    return true;
  };
  // The plug-in tells its user with a message and goes on; the tool's caller
  // needs the exit status to say that the file was not written.
  session.after = [map, firstAlert](sim::Host& host) { return NothingMissing(host, *firstAlert, map); };
  return kzmap::CommandEngine().Run(session);
}

kzmap::CommandRun Define(CLI::App& app) {
  auto options = std::make_shared<Options>();
  app.footer(std::string(kzmap::kCoordRefHelp) +
             "\nWithout --format the extension of OUT decides: .csv comma-separated, .txt or .tsv tab-separated, "
             "anything else a Shapefile.");
  app.add_option("MAP", options->map, "the map document")->required()->check(CLI::ExistingFile);
  app.add_option("OUT", options->out, "the file to write; with --per-layer the folder")->required();
  app.add_option("--format", options->format, "shp, csv, or tsv (txt) for tab-separated text")
      ->check(CLI::IsMember({"shp", "csv", "tsv", "txt"}));
  app.add_option("--type", options->type, "the geometry written")
      ->check(CLI::IsMember({"point", "polyline", "polygon"}))
      ->capture_default_str();
  app.add_option("--target", options->target, "visible (every visible layer), all (every layer), selection (the selected objects), current (the "
                 "map's current layer) or layer:TITLE (the layer of that title)")
      ->check(CLI::Validator(
          [](std::string& text) {
            static const std::set<std::string> names{"visible", "all", "selection", "current"};
            if (names.count(text) || (text.rfind("layer:", 0) == 0 && text.size() > 6)) return std::string();
            return "unknown target '" + text + "'";
          },
          "TARGET"))
      ->capture_default_str();
  app.add_flag("--per-layer", options->perLayer, "one file per layer, in the folder OUT");
  auto* to = app.add_option_function<std::string>(
                    "--to", [options](const std::string& text) { options->to = kzmap::ParseCoordRef(text); },
                    "convert the coordinates to REF (default: the map's own system)")
                 ->type_name("REF")
                 ->check(kzmap::CoordRefCheck());
  app.add_flag("--no-convert", options->noConvert, "write the coordinates in the map's own system (the default)")->excludes(to);
  app.add_option("--encoding", options->encoding, "sjis, utf8, or utf16 (text files only)")
      ->check(CLI::IsMember({"sjis", "utf8", "utf16"}))
      ->capture_default_str();
  app.add_option("--kinds", options->kinds,
                 "objects exported: paths,compounds,groups,symbols,texts (compounds: the members of groups and "
                 "compound paths one by one); default: paths,groups,symbols,texts for points, paths otherwise")
      ->delimiter(',')
      ->check(CLI::IsMember({"paths", "compounds", "groups", "symbols", "texts"}));
  auto* bezier = app.add_flag("--bezier", options->bezier, "flatten curves into straight pieces");
  app.add_option("--accuracy", options->accuracy, "flattening accuracy of --bezier, 1 rough to 9 precise")
      ->check(CLI::Range(1, 9))
      ->needs(bezier)
      ->capture_default_str();
  app.add_flag("--layer-field", options->layerField, "add the column AI_LAYER with each object's layer");
  app.add_flag("--text-field", options->textField, "add the column AI_TEXT with the text of text objects");
  return [options] { return Run(*options); };
}

const kzmap::CommandRegistration registration({
    "export",
    "MAP OUT [--format shp|csv|tsv|txt] [--type point|polyline|polygon] "
    "[--target visible|all|selection|current|layer:TITLE] [--per-layer] [--to REF|--no-convert] "
    "[--encoding sjis|utf8|utf16] [--kinds paths,compounds,groups,symbols,texts] [--bezier] [--accuracy 1..9] "
    "[--layer-field] [--text-field]",
    "write a map's art as a Shapefile or a coordinate text file",
    Define,
});

}  // namespace
