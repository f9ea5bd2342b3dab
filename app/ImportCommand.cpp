// kzmap import: the plug-in's imports run on a map document through the
// command engine, exactly as the host runs them. The file's extension picks
// the import: Shapefiles ("シェープファイル読み込み...", several in one
// selection as the host hands them over), coordinate text files
// (".csv", ".txt", ".tsv": the field settings dialog is answered from
// --delimiter, --header and --columns) and KML, one file per run. The
// open-file dialog is answered with the files and the encoding, the
// coordinate settings dialog from the options. A missing MAP becomes a new map.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Command.h"
#include "app/CommandEngine.h"
#include "app/CoordRefText.h"
#include "app/ImportFootprint.h"
#include "app/MapSummary.h"
#include "app/OptionChecks.h"
#include "app/TextColumns.h"
#include "app/ToolHost.h"
#include "app/Translate.h"
#include "geodesy/CoordRef.h"
#include "georef/CoordMarkers.h"
#include "georef/DataFrame.h"
#include "resources/DialogIds.h"
#include "sim/DocumentFile.h"

namespace {

using sim::DialogAction;

constexpr const char* kUsage =
    "MAP FILE... [--encoding ENCODING] [--from REF] [--to REF] [--scale 25000|1:25000] [--north-up|--no-north-up] "
    "[--area WEST,SOUTH,EAST,NORTH] [--delimiter comma|tab] [--header|--no-header] [--columns SPEC]";
namespace coord_ids = dialog_ids::import_coord;

enum class FileKind { Shape, Text, Kml };

// One run of one of the plug-in's imports.
struct Batch {
  FileKind kind;
  std::vector<std::string> files;
};

struct Options {
  std::string map;
  std::vector<std::string> files;
  std::string encoding;
  std::optional<CoordRef> from, to;
  std::optional<std::string> scale;
  std::optional<bool> northUp;
  std::optional<kzmap::Area> area;
  std::optional<char> delimiter;  // ',' or '\t'
  std::optional<bool> header;
  std::vector<kzmap::TextColumn> columns;
};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::optional<FileKind> KindOf(const std::string& file) {
  const std::string extension = Lower(std::filesystem::path(file).extension().string());
  if (extension == ".shp") return FileKind::Shape;
  if (extension == ".csv" || extension == ".txt" || extension == ".tsv") return FileKind::Text;
  if (extension == ".kml") return FileKind::Kml;
  return std::nullopt;
}

// The files in the user's order: Shapefiles next to each other share one
// selection; text and KML files are imported one at a time.
std::vector<Batch> Batches(const std::vector<std::string>& files) {
  std::vector<Batch> batches;
  for (const std::string& file : files) {
    const FileKind kind = *KindOf(file);
    const std::string absolute = std::filesystem::absolute(file).string();
    if (kind == FileKind::Shape && !batches.empty() && batches.back().kind == FileKind::Shape) {
      batches.back().files.push_back(absolute);
    } else {
      batches.push_back({kind, {absolute}});
    }
  }
  return batches;
}

// Whether the map already holds a georeference the import will use (its
// data frame or its markers), read as the plug-in reads it from a summary
// of the map (its big runs of art are not read).
bool IsGeoreferenced(const std::string& map) {
  if (!std::filesystem::exists(map)) return false;
  kzmap::ToolHost tool;
  kzmap::LoadMapSummary(tool.Host(), map);
  DataFrameParams frame;
  MarkerSet markers;
  MarkerTexts texts;
  return ReadDataFrame(frame) || ReadMarkerSet(markers, texts);
}

struct DatumButtons {
  int32_t jgd2000, tokyo, jgd2011;
};

// WGS 84 is chosen as JGD2011, which it is taken for.
void AddRefActions(const CoordRef& ref, DatumButtons datum, int32_t latLong, int32_t plane, int32_t system,
                   int32_t utm, int32_t zone, std::vector<DialogAction>& actions) {
  const int32_t converted = AsConverted(ref).datum;
  const int32_t button = converted == kDatumTokyo     ? datum.tokyo
                         : converted == kDatumJgd2011 ? datum.jgd2011
                                                      : datum.jgd2000;
  actions.push_back(DialogAction::Click(button));
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
  if (options.from)
    AddRefActions(*options.from, {coord_ids::kSourceJgd2000, coord_ids::kSourceTokyo, coord_ids::kSourceJgd2011},
                  coord_ids::kSourceLatLong, coord_ids::kSourcePlane, coord_ids::kSourceSystem, coord_ids::kSourceUtm,
                  coord_ids::kSourceZone, actions);
  if (newMap) {
    if (options.to)
      AddRefActions(*options.to, {coord_ids::kTargetJgd2000, coord_ids::kTargetTokyo, coord_ids::kTargetJgd2011},
                    coord_ids::kTargetLatLong, coord_ids::kTargetPlane, coord_ids::kTargetSystem, coord_ids::kTargetUtm,
                    coord_ids::kTargetZone, actions);
    if (options.scale) actions.push_back(DialogAction::SetText(coord_ids::kScale, *options.scale));
    if (options.northUp) actions.push_back(DialogAction::Check(coord_ids::kNorthUp, *options.northUp));
  }
  if (options.area) {
    // The dialog takes the north-west and the south-east corners, each y first.
    const kzmap::Area& area = *options.area;
    actions.push_back(DialogAction::Check(coord_ids::kLimitArea, true));
    actions.push_back(DialogAction::SetText(coord_ids::kNorthWest, area.north + "," + area.west));
    actions.push_back(DialogAction::SetText(coord_ids::kSouthEast, area.south + "," + area.east));
  }
  actions.push_back(DialogAction::OK());
  return actions;
}

// The field settings dialog and, for each column given, the field
// definition dialog its double-click opens.
void AddFieldDialogs(const Options& options, kzmap::ScriptedUser& user) {
  namespace ids = dialog_ids::text_fields;
  std::vector<DialogAction> actions;
  if (options.delimiter) actions.push_back(DialogAction::Check(*options.delimiter == ',' ? ids::kComma : ids::kTab, true));
  if (options.header) actions.push_back(DialogAction::Check(ids::kHeader, *options.header));
  for (size_t column = 0; column < options.columns.size(); ++column) {
    actions.push_back(DialogAction::DoubleClickRow(ids::kColumns, static_cast<int32_t>(column)));
  }
  actions.push_back(DialogAction::OK());
  user.dialogs.push_back({dialog_ids::kTextFieldSettings, actions});
  for (const kzmap::TextColumn& column : options.columns) {
    user.dialogs.push_back({dialog_ids::kFieldDefinition, kzmap::FieldDefinitionActions(column)});
  }
}

// Whether the start of a file is UTF-8 with at least one character beyond
// ASCII (or starts with its byte-order mark). Shift-JIS text almost never
// passes, so such a file is read as UTF-8 when the user named no encoding.
bool LooksLikeUtf8(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::string head(64 * 1024, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(in.gcount()));
  if (head.rfind("\xEF\xBB\xBF", 0) == 0) return true;
  bool beyondAscii = false;
  for (size_t i = 0; i < head.size();) {
    const auto lead = static_cast<unsigned char>(head[i]);
    const size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 0 || (length == 2 && lead < 0xC2)) return false;
    if (i + length > head.size()) break;  // cut at the end of the sample
    for (size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(head[i + k]) & 0xC0) != 0x80) return false;
    }
    beyondAscii |= length > 1;
    i += length;
  }
  return beyondAscii;
}

std::vector<DialogAction> EncodingActions(const std::string& encoding) {
  if (encoding == "sjis") return {DialogAction::ChooseText(dialog_ids::open_file::kEncoding, "シフトJIS")};
  if (encoding == "utf8") return {DialogAction::ChooseText(dialog_ids::open_file::kEncoding, "UTF-8")};
  if (encoding == "utf16") return {DialogAction::ChooseText(dialog_ids::open_file::kEncoding, "UTF-16")};
  return {};
}

// The last batch's model is left at exit; earlier ones go before the next loads the map.
int RunBatch(const Options& options, const Batch& batch, bool newMap, bool last) {
  const std::vector<std::string> files = batch.files;
  std::string chosen = options.encoding;
  if (chosen.empty() && batch.kind == FileKind::Text && LooksLikeUtf8(batch.files.front())) chosen = "utf8";
  const std::vector<DialogAction> encoding =
      batch.kind == FileKind::Kml ? std::vector<DialogAction>() : EncodingActions(chosen);

  kzmap::MapSession session;
  session.name = "import";
  session.map = options.map;
  session.createMap = true;
  switch (batch.kind) {
    case FileKind::Shape:
      session.command = kzmap::PluginCommand::Flyout(1);  // "シェープファイル読み込み..."
      break;
    case FileKind::Text:
      session.command = kzmap::PluginCommand::Flyout(2);  // the coordinate text import
      AddFieldDialogs(options, session.user);
      break;
    case FileKind::Kml:
      session.command = kzmap::PluginCommand::Flyout(3);  // the KML import
      break;
  }
  session.user.dialogs.push_back({dialog_ids::kImportCoordSettings, CoordinateActions(options, newMap)});
  session.dialogOptions[dialog_ids::kImportCoordSettings] =
      newMap ? kzmap::Tr("--from, --to, --scale, --north-up or --area") : kzmap::Tr("--from or --area");
  session.dialogOptions[dialog_ids::kTextFieldSettings] = kzmap::Tr("--delimiter, --header or --columns");
  session.dialogOptions[dialog_ids::kFieldDefinition] = kzmap::Tr("--columns");
  session.user.setUp = [files, encoding](sim::Host& host) {
    host.Dialogs().ExpectOpenFile(sim::OpenFileAnswer::Choose(files, encoding));
  };
  // The file choice must have gone through, or nothing was imported.
  session.after = [](sim::Host& host) {
    const auto& runs = host.Dialogs().OpenFileRuns();
    if (!runs.empty() && runs.back().confirmed) return true;
    for (const auto& run : runs) {
      for (const std::string& problem : run.problems)
        std::fprintf(stderr, kzmap::Tr("kzmap import: error: %s\n"), problem.c_str());
    }
    std::fprintf(stderr, "%s", kzmap::Tr("kzmap import: error: the files were not taken\n"));
    return false;
  };
  return last ? kzmap::CommandEngine::RunOnce(session) : kzmap::CommandEngine().Run(session);
}

std::string FileNames(const std::vector<Batch>& batches, size_t first) {
  std::string names;
  for (size_t b = first; b < batches.size(); ++b) {
    for (const std::string& file : batches[b].files) {
      names += (names.empty() ? "" : ", ") + std::filesystem::path(file).filename().string();
    }
  }
  return names;
}

int Run(const Options& options) {
  const std::vector<Batch> batches = Batches(options.files);
  const bool hasText = std::any_of(batches.begin(), batches.end(), [](const Batch& b) { return b.kind == FileKind::Text; });
  if (!hasText && (options.delimiter || options.header || !options.columns.empty())) {
    std::fprintf(stderr, "%s",
                 kzmap::Tr("kzmap import: note: no coordinate text file is imported; --delimiter, --header and "
                           "--columns are not used\n"));
  }
  if ((options.from && options.from->datum == kDatumWgs84) || (options.to && options.to->datum == kDatumWgs84)) {
    std::fprintf(stderr, kzmap::Tr("kzmap import: note: %s\n"), kzmap::Tr(kzmap::kWgs84Note));
  }
  // Stopped before anything is read when the machine cannot hold it.
  if (const auto available = kzmap::ImportFootprint::Available()) {
    const std::string problem = kzmap::ImportFootprint::Of(options.files, options.map).Problem(*available);
    if (!problem.empty()) {
      std::fprintf(stderr, "kzmap import: %s\n", problem.c_str());
      return 1;
    }
  }
  try {
    // The map is read for its georeference once; after the first import it
    // has one, made by that import if not before.
    bool georeferenced = IsGeoreferenced(options.map);
    if (georeferenced && (options.to || options.scale || options.northUp)) {
      std::fprintf(stderr,
                   kzmap::Tr("kzmap import: note: %s is already georeferenced; --to, --scale and --north-up are not "
                             "used\n"),
                   options.map.c_str());
    }
    for (size_t b = 0; b < batches.size(); ++b) {
      const int status = RunBatch(options, batches[b], !georeferenced, b + 1 == batches.size());
      georeferenced = true;
      if (status == 0) continue;
      // The files before this batch went in by saves of their own.
      if (b > 0) {
        std::vector<Batch> done(batches.begin(), batches.begin() + static_cast<std::ptrdiff_t>(b));
        std::fprintf(stderr,
                     kzmap::Tr("kzmap import: %s was saved with %s imported, before the failure; not imported: %s\n"),
                     options.map.c_str(), FileNames(done, 0).c_str(), FileNames(batches, b).c_str());
      }
      return status;
    }
  } catch (const sim::DocumentFileError& error) {
    std::fprintf(stderr, "kzmap import: %s\n", error.what());
    return 1;
  }
  return 0;
}

kzmap::CommandRun Define(CLI::App& app) {
  using kzmap::Tr;
  auto options = std::make_shared<Options>();
  app.add_option("MAP", options->map, Tr("the map document (made when missing)"))->required();
  app.add_option("FILE", options->files,
                 Tr("files to import, each into a layer of its own: Shapefiles (.shp), coordinate text files (.csv, "
                    ".txt, .tsv), KML (.kml)"))
      ->required()
      ->check(kzmap::ExistingFileCheck())
      ->check(CLI::Validator(
          [](std::string& file) {
            return KindOf(file) ? std::string()
                                : kzmap::Format(Tr("'%s' is not a .shp, .csv, .txt, .tsv or .kml file"), file.c_str());
          },
          ""));
  app.add_option("--encoding", options->encoding,
                 Tr("encoding of the attribute text: CP932 (Shift_JIS, sjis), UTF-8 (utf8), UTF-16 (utf16, text "
                    "files only) (default: a Shapefile's .cpg, a text file that reads as UTF-8, else CP932)"))
      ->type_name("ENCODING")
      ->check(kzmap::EncodingCheck({"sjis", "utf8", "utf16"}));
  app.add_option_function<std::string>(
         "--delimiter", [options](const std::string& text) { options->delimiter = text == "comma" ? ',' : '\t'; },
         Tr("text files: the field delimiter, comma or tab (default: comma for .csv, tab otherwise)"))
      ->check(kzmap::OneOf({"comma", "tab"}));
  auto* header = app.add_flag_function("--header", [options](int64_t) { options->header = true; },
                                       Tr("text files: the first line holds the field names (the default)"));
  auto* noHeader = app.add_flag_function("--no-header", [options](int64_t) { options->header = false; },
                                         Tr("text files: the first line is data"));
  header->excludes(noHeader);
  app.add_option_function<std::string>(
         "--columns",
         [options](const std::string& text) {
           std::string problem;
           options->columns = *kzmap::ParseTextColumns(text, problem);
         },
         Tr("text files: the columns' types in file order, comma-separated: y (latitude or northing), x (longitude "
            "or easting), string[:LEN], integer[:LEN], real[:LEN.DEC] (default: y,x, then strings)"))
      ->type_name("SPEC")
      ->check(CLI::Validator(
          [](std::string& text) {
            std::string problem;
            return kzmap::ParseTextColumns(text, problem) ? std::string() : problem;
          },
          ""));
  app.add_option_function<std::string>(
         "--from", [options](const std::string& text) { options->from = kzmap::ParseCoordRef(text); },
         Tr("reference of every file's coordinates (default: each file's own .prj, else jgd2000:bl)"))
      ->type_name("REF")->check(kzmap::CoordRefCheck());
  app.add_option_function<std::string>(
         "--to", [options](const std::string& text) { options->to = kzmap::ParseCoordRef(text); },
         Tr("reference of a new map (default jgd2000:bl)"))
      ->type_name("REF")->check(kzmap::CoordRefCheck());
  app.add_option_function<std::string>(
         "--scale", [options](const std::string& text) { options->scale = text; },
         Tr("scale of a new map: 25000, 1:25000 or 1/25000 (default 25000)"))
      ->type_name("SCALE")
      ->check(kzmap::ScaleCheck());
  auto* up = app.add_flag_function("--north-up", [options](int64_t) { options->northUp = true; },
                                   Tr("turn a new map so that true north points up (the default)"));
  auto* down = app.add_flag_function("--no-north-up", [options](int64_t) { options->northUp = false; },
                                     Tr("keep grid north up"));
  up->excludes(down);
  app.add_option_function<std::string>(
         "--area", [options](const std::string& text) { options->area = kzmap::ParseArea(text); },
         Tr("import only what lies in WEST,SOUTH,EAST,NORTH, in the files' coordinates (longitude and latitude in "
            "degrees, or easting and northing in metres), as cs2cs --bbox"))
      ->type_name("WEST,SOUTH,EAST,NORTH")
      ->check(kzmap::AreaCheck());
  return [options] {
    if (options->encoding == "utf16" &&
        std::any_of(options->files.begin(), options->files.end(), [](const std::string& f) { return *KindOf(f) != FileKind::Text; })) {
      std::fprintf(stderr, "%s", kzmap::Tr("kzmap import: --encoding UTF-16 is for coordinate text files only\n"));
      return 2;
    }
    return Run(*options);
  };
}

const kzmap::CommandRegistration registration({
    "import",
    kUsage,
    kzmap::TrLater("import Shapefiles, coordinate text files and KML into a map"),
    Define,
    "kzmap import map.kzmap roads.shp stations.csv --to jgd2011:xy9 --scale 1:25000\n"
    "kzmap import map.kzmap survey.shp --from EPSG:4612 --encoding CP932 --area 139.7,35.6,139.8,35.7",
});

}  // namespace
