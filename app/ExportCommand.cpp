// kzmap export: runs the plug-in's Shapefile or coordinate text export on a
// map document, the export dialog filled in from the options.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/Command.h"
#include "app/CommandEngine.h"
#include "app/CoordRefText.h"
#include "app/LayerTitle.h"
#include "app/MapOutput.h"
#include "app/OptionChecks.h"
#include "app/Translate.h"
#include "export/ExportAlerts.h"
#include "resources/DialogIds.h"

namespace {

namespace ids = dialog_ids::export_settings;
using sim::DialogAction;

constexpr uint32_t kShapefileExportItem = 5;
constexpr uint32_t kTextExportItem = 6;

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
  std::vector<std::string> kinds;  // empty: what the type means to a user (DefaultKinds)
  bool bezier = false;    // asked for; flattening is the dialog's default anyway
  bool noBezier = false;  // anchors joined by straight lines
  int accuracy = 5;
  bool accuracySet = false;
  bool layerField = false;
  bool textField = false;
};

// The names --kinds takes, each turned into the box of the export dialog it
// ticks: short English names, the dialog's own captions, and "paths" for both
// path boxes. A compound path goes with the path boxes as one object (a filled
// compound path is a filled path); "elements" writes the members of groups and
// compound paths one by one.
const std::map<std::string, std::vector<std::string>>& KindNames() {
  static const std::map<std::string, std::vector<std::string>> names{
      {"unfilled", {"unfilled"}},
      {"filled", {"filled"}},
      {"paths", {"unfilled", "filled"}},
      {"groups", {"groups"}},
      {"texts", {"texts"}},
      {"symbols", {"symbols"}},
      {"elements", {"elements"}},
      {"compound", {"elements"}},
      {"compounds", {"elements"}},
      {"塗りの無いパス", {"unfilled"}},
      {"塗りのあるパス", {"filled"}},
      {"グループ", {"groups"}},
      {"テキスト", {"texts"}},
      {"シンボル", {"symbols"}},
      {"グループと複合パスは内部の要素を個別に書き出す", {"elements"}},
  };
  return names;
}

std::set<std::string> BoxesOf(const std::vector<std::string>& kinds) {
  std::set<std::string> boxes;
  for (const std::string& kind : kinds) {
    const auto found = KindNames().find(kind);
    if (found != KindNames().end()) boxes.insert(found->second.begin(), found->second.end());
  }
  return boxes;
}

// The format a file name asks for: .csv comma-separated text, .txt and .tsv
// tab-separated text, anything else a Shapefile. Extensions are compared
// without regard to case, as the import does.
std::string FormatOf(const Options& options) {
  if (!options.format.empty()) return options.format;
  std::string extension = std::filesystem::path(options.out).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == ".csv") return "csv";
  if (extension == ".txt" || extension == ".tsv") return "tsv";
  return "shp";
}

// Types whose records are points: a group of marks is one MultiPoint record,
// or one point record per mark.
bool PointsOnly(const std::string& type) { return type == "point" || type == "multipoint"; }

// A usage problem the parser could not see: options that contradict each other.
std::string Contradiction(const Options& options, const std::string& format) {
  const bool text = format != "shp";
  using kzmap::Tr;
  if (text && options.type != "point") return Tr("coordinate text files hold points only (--type point)");
  const bool points = PointsOnly(options.type);
  if (!text && options.encoding == "utf16") return Tr("Shapefiles are written in CP932 or UTF-8");
  if (options.perLayer && options.target != "visible" && options.target != "all")
    return Tr("--per-layer needs --target visible or all");
  const std::set<std::string> kinds = BoxesOf(options.kinds);
  if (!points && (kinds.count("groups") || kinds.count("symbols") || kinds.count("texts")))
    return Tr("groups, symbols and texts are exported as points only (--kinds unfilled,filled,elements)");
  if (kinds.count("elements") && !kinds.count("unfilled") && !kinds.count("filled") && !kinds.count("groups"))
    return Tr("elements exports the paths of groups and compound paths one by one: add unfilled, filled or groups "
              "to --kinds");
  if (points && (options.bezier || options.noBezier || options.accuracySet))
    return Tr("--bezier, --no-bezier and --accuracy flatten polylines and polygons only");
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
    if (text.rfind(kCannotOpenAlert, 0) == 0) {
      // The message, the file and, when known, the system's reason, a line each.
      const size_t pathStart = std::min(text.size(), std::strlen(kCannotOpenAlert) + 1);
      const size_t reasonStart = text.find('\n', pathStart);
      std::string path = text.substr(pathStart, reasonStart == std::string::npos ? std::string::npos
                                                                                  : reasonStart - pathStart);
      if (path.empty()) path = "the output";
      const std::string reason = reasonStart == std::string::npos ? "" : " (" + text.substr(reasonStart + 1) + ")";
      std::fprintf(stderr, "kzmap export: %s: cannot be opened for writing%s\n", path.c_str(), reason.c_str());
      complete = false;
    } else if (text == kNoGeoreferenceAlert) {
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
  const std::set<std::string> kinds = BoxesOf(options.kinds);
  const bool unfilled = kinds.count("unfilled") != 0;
  const bool filled = kinds.count("filled") != 0;
  actions.push_back(DialogAction::Check(ids::kUnfilledPaths, unfilled));
  actions.push_back(DialogAction::Check(ids::kFilledPaths, filled));
  // Boxes that points-only kinds disable are left to the dialog for other types.
  if (PointsOnly(options.type)) {
    actions.push_back(DialogAction::Check(ids::kGroups, kinds.count("groups") != 0));
    actions.push_back(DialogAction::Check(ids::kTexts, kinds.count("texts") != 0));
    actions.push_back(DialogAction::Check(ids::kSymbols, kinds.count("symbols") != 0));
  }
  const bool elementsPossible = unfilled || filled || (PointsOnly(options.type) && kinds.count("groups"));
  if (elementsPossible) actions.push_back(DialogAction::Check(ids::kElementByElement, kinds.count("elements") != 0));
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
  actions.push_back(DialogAction::Click(options.type == "polyline"     ? ids::kPolyline
                                        : options.type == "polygon"    ? ids::kPolygon
                                        : options.type == "multipoint" ? ids::kMultiPoint
                                                                       : ids::kPoint));
  actions.push_back(
      DialogAction::Choose(ids::kEncoding, options.encoding == "utf8" ? 1 : options.encoding == "utf16" ? 2 : 0));
  if (format != "shp") actions.push_back(DialogAction::Click(format == "csv" ? ids::kComma : ids::kTab));
  AddKinds(options, actions);
  actions.push_back(DialogAction::Check(ids::kAddTextField, options.textField));
  actions.push_back(DialogAction::Check(ids::kAddLayerField, options.layerField));
  // The dialog's own default is to flatten curves at accuracy 5; so is the tool's.
  if (!PointsOnly(options.type)) {
    actions.push_back(DialogAction::Check(ids::kExpandBezier, !options.noBezier));
    if (!options.noBezier) actions.push_back(DialogAction::SetTrackPosition(ids::kAccuracy, options.accuracy));
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

// Without --kinds, what a user of each type means: polygons are the filled
// paths (compound paths among them), polylines the unfilled ones, and points
// the marks of points (paths, groups and symbols) but not the labels, which
// would each become a record of its own with an empty row.
std::vector<std::string> DefaultKinds(const std::string& type) {
  if (type == "polygon") return {"filled"};
  if (type == "polyline") return {"unfilled"};
  return {"unfilled", "filled", "groups", "symbols"};
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
  if (!options.perLayer && std::filesystem::is_directory(out, error)) {
    std::fprintf(stderr,
                 kzmap::Tr("kzmap export: %s is a folder: give the file to write, or --per-layer for one file per "
                           "layer in it\n"),
                 options.out.c_str());
    return 2;
  }
  if (!options.perLayer) {
    const std::vector<std::string> written =
        format == "shp" ? kzmap::ShapefileSet(out.string()) : std::vector<std::string>{out.string()};
    if (const std::string map = kzmap::OutputThatIsMap(options.map, written); !map.empty()) {
      std::fprintf(stderr, kzmap::Tr("kzmap export: %s is the map %s itself; choose another output\n"), map.c_str(),
                   options.map.c_str());
      return 2;
    }
  }
  if (options.perLayer && !std::filesystem::is_directory(out, error) &&
      !std::filesystem::create_directories(out, error)) {
    std::fprintf(stderr, kzmap::Tr("kzmap export: %s: cannot make the folder (%s)\n"), out.string().c_str(),
                 error.message().c_str());
    return 1;
  }

  if (!options.perLayer) {
    const std::filesystem::path folder = out.parent_path();
    if (!std::filesystem::is_directory(folder, error)) {
      std::fprintf(stderr, kzmap::Tr("kzmap export: %s: the folder %s does not exist\n"), out.string().c_str(),
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
  session.dialogOptions[dialog_ids::kExportSettings] =
      kzmap::Tr("--type, --target, --layer, --encoding, --kinds, --accuracy or --to");
  session.user.fileDialogs.push_back(out.string());
  const std::string target = options.target;
  const std::string map = options.map;
  auto firstAlert = std::make_shared<size_t>(0);
  session.before = [target, map, firstAlert](sim::Host& host) {
    *firstAlert = host.User().alerts.size();
    sim::Document& document = *host.CurrentDocument();
    if (target == "selection" && !AnythingSelected(document)) {
      std::fprintf(stderr, kzmap::Tr("kzmap export: %s: nothing is selected in the map\n"), map.c_str());
      return false;
    }
    if (target.rfind("layer:", 0) != 0) return true;
    std::string problem;
    sim::Layer* layer = kzmap::LayerTitled(host, target.substr(6), problem);
    if (layer == nullptr) {
      std::fprintf(stderr, "kzmap export: %s: %s\n", map.c_str(), problem.c_str());
      return false;
    }
    document.currentLayer = layer;
    return true;
  };
  // The plug-in tells its user with a message and goes on; the tool's caller
  // needs the exit status to say that the file was not written.
  session.after = [map, firstAlert](sim::Host& host) { return NothingMissing(host, *firstAlert, map); };
  return kzmap::CommandEngine::RunOnce(session);
}

kzmap::CommandRun Define(CLI::App& app) {
  using kzmap::Tr;
  auto options = std::make_shared<Options>();
  app.footer(Tr("Without --format the extension of OUT decides: .csv comma-separated, .txt or .tsv tab-separated, "
                "anything else a Shapefile."));
  app.add_option("MAP", options->map, Tr("the map document"))->required()->check(kzmap::ExistingFileCheck());
  app.add_option("OUT", options->out, Tr("the file to write; with --per-layer the folder"))->required();
  app.add_option("--format", options->format, Tr("shp, csv, or tsv (txt) for tab-separated text"))
      ->check(kzmap::OneOf({"shp", "csv", "tsv", "txt"}));
  app.add_option("--type", options->type, Tr("the geometry written: point, polyline, polygon or multipoint"))
      ->check(kzmap::OneOf({"point", "polyline", "polygon", "multipoint"}))
      ->capture_default_str();
  auto* target =
      app.add_option("--target", options->target,
                     Tr("visible (every visible layer), all (every layer), selection (the selected objects), current "
                        "(the map's current layer) or layer:TITLE (the same as --layer TITLE)"))
          ->check(CLI::Validator(
              [](std::string& text) {
                static const std::set<std::string> names{"visible", "all", "selection", "current"};
                if (names.count(text) || (text.rfind("layer:", 0) == 0 && text.size() > 6)) return std::string();
                return kzmap::Format(Tr("unknown target '%s': visible, all, selection, current or layer:TITLE"),
                                     text.c_str());
              },
              ""))
          ->capture_default_str();
  app.add_option_function<std::string>(
         "--layer", [options](const std::string& title) { options->target = "layer:" + title; },
         Tr("export the layer of this title (and its sublayers)"))
      ->type_name("TITLE")
      ->excludes(target);
  app.add_flag("--per-layer", options->perLayer, Tr("one file per layer, in the folder OUT"));
  auto* to = app.add_option_function<std::string>(
                    "--to", [options](const std::string& text) { options->to = kzmap::ParseCoordRef(text); },
                    Tr("convert the coordinates to REF (default: the map's own system)"))
                 ->type_name("REF")
                 ->check(kzmap::CoordRefCheck());
  app.add_flag("--no-convert", options->noConvert, Tr("write the coordinates in the map's own system (the default)"))
      ->excludes(to);
  app.add_option("--encoding", options->encoding,
                 Tr("CP932 (Shift_JIS, sjis), UTF-8 (utf8), or UTF-16 (utf16, text files only)"))
      ->type_name("ENCODING")
      ->check(kzmap::EncodingCheck({"sjis", "utf8", "utf16"}))
      ->capture_default_str();
  std::vector<std::string> kindNames;
  for (const auto& [name, boxes] : KindNames()) kindNames.push_back(name);
  app.add_option("--kinds", options->kinds,
                 Tr("objects exported: unfilled, filled (paths: both; a compound path counts as one path), groups, "
                    "texts, symbols, elements (also compound, compounds: the members of groups and compound paths one "
                    "by one), or the export dialog's captions; default: filled for polygons, unfilled for polylines, "
                    "unfilled,filled,groups,symbols for points"))
      ->delimiter(',')
      ->check(kzmap::OneOf(kindNames));
  auto* bezier = app.add_flag("--bezier", options->bezier, Tr("flatten curves into straight pieces (the default)"));
  auto* noBezier = app.add_flag("--no-bezier", options->noBezier, Tr("join the anchors of curves by straight lines"))
                       ->excludes(bezier);
  app.add_option_function<int>(
         "--accuracy",
         [options](int value) {
           options->accuracy = value;
           options->accuracySet = true;
         },
         Tr("flattening accuracy, 1 rough to 9 precise (default 5)"))
      ->check(CLI::Validator(
          [](std::string& text) {
            return text.size() == 1 && text[0] >= '1' && text[0] <= '9'
                       ? std::string()
                       : kzmap::Format(Tr("'%s' is not a whole number from 1 to 9"), text.c_str());
          },
          ""))
      ->excludes(noBezier);
  app.add_flag("--layer-field", options->layerField, Tr("add the column AI_LAYER with each object's layer"));
  app.add_flag("--text-field", options->textField, Tr("add the column AI_TEXT with the text of text objects"));
  return [options] { return Run(*options); };
}

const kzmap::CommandRegistration registration({
    "export",
    "MAP OUT [--format shp|csv|tsv|txt] [--type point|polyline|polygon|multipoint] "
    "[--target visible|all|selection|current | --layer TITLE] [--per-layer] [--to REF|--no-convert] "
    "[--encoding ENCODING] [--kinds unfilled,filled,groups,texts,symbols,elements] [--bezier|--no-bezier] "
    "[--accuracy 1..9] "
    "[--layer-field] [--text-field]",
    kzmap::TrLater("write a map's art as a Shapefile or a coordinate text file"),
    Define,
    "kzmap export map.kzmap roads.shp --type polyline --layer 道路 --to EPSG:6677\n"
    "kzmap export map.kzmap points.csv --target all --to jgd2011:bl --encoding UTF-8",
});

}  // namespace
