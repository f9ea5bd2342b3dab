// kzmap attr: the attributes of a map's objects. `list` prints each object's
// row; `search`, `set` and `label` run the attribute panel's own commands
// (its "検索..." button, a double-click on a row, its "注記..." button) with
// the dialogs answered from the options, and save the map.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Command.h"
#include "app/TerminalText.h"
#include "app/CommandEngine.h"
#include "app/LeftAtExit.h"
#include "app/LayerTitle.h"
#include "app/OptionChecks.h"
#include "app/StoredRow.h"
#include "app/Translate.h"
#include "attributes/PointMark.h"
#include "formats/PathPieces.h"
#include "host/AITagSuite.h"
#include "host/AINotifierSuite.h"
#include "resources/DialogIds.h"
#include "sim/DocumentFile.h"

namespace {

using sim::DialogAction;
namespace panel_ids = dialog_ids::panel;
namespace search_ids = dialog_ids::search;
namespace value_ids = dialog_ids::value;
namespace annotation_ids = dialog_ids::annotation;

constexpr const char* kUsage =
    "MAP list [--layer TITLE] | MAP search FIELD (--text T | --min A --max B) [--layer TITLE] | "
    "MAP set FIELD=VALUE | MAP label FIELD [--at point|center] [--copy]";

struct Options {
  std::string map;
  std::string action;
  std::string argument;
  std::string layer;
  std::string text;
  std::string min, max;
  std::string at;
  bool copy = false;
  CLI::Option* textOption = nullptr;
  CLI::Option* minOption = nullptr;
  CLI::Option* maxOption = nullptr;
};

int UsageError(const std::string& problem) {
  std::fprintf(stderr, kzmap::Tr("%s: %s (usage: %s %s)\n"), "kzmap attr", problem.c_str(), "kzmap attr", kUsage);
  return 2;
}

// Tabs, line ends, backslashes and every other control character escaped,
// so that one object is one line and the map cannot drive the terminal.
std::string Escaped(const std::string& text) { return kzmap::TerminalSafe(text); }

const char* KindName(const sim::Art& art) {
  switch (art.type) {
    case kGroupArt: return "group";
    case kPathArt: return "path";
    case kCompoundPathArt: return "compound";
    case kTextFrameArt: return "text";
    case kSymbolArt: return "symbol";
    default: return "other";
  }
}

// --- list -----------------------------------------------------------------

// Rows are read from the document as the plug-in stored them; entries not of
// the stored form are counted and told, not silently dropped.
struct ListCounts {
  size_t skippedFields = 0;
  size_t unreadableRows = 0;
};

// The layer's line: "layer" and the titles from its top layer down to it.
std::string LayerLine(const sim::Layer& layer) {
  std::string titles;
  for (const sim::Layer* at = &layer; at; at = at->parent) titles = "\t" + Escaped(sim::Host::Title(*at)) + titles;
  return "layer" + titles;
}

// One line per layer, then one per object of the layer itself (its
// sublayers follow with their own lines) that has a row: the object's
// number in the layer, its kind and NAME=VALUE for each field, tab-separated.
void ListLayer(sim::Host& host, sim::Layer& layer, ListCounts& counts) {
  std::printf("%s\n", LayerLine(layer).c_str());
  const sim::Document& document = *host.CurrentDocument();
  int number = 0;
  for (sim::Art* art : host.ArtOfLayer(layer)) {
    if (document.LayerOfArt(art) != &layer) continue;
    ++number;
    const std::optional<kzmap::StoredRow> row = kzmap::StoredRow::Of(*art);
    if (!row) {
      counts.unreadableRows += kzmap::StoredRow::Unreadable(*art) ? 1 : 0;
      continue;
    }
    counts.skippedFields += row->Skipped();
    std::string line = std::to_string(number) + "\t" + KindName(*art);
    for (const kzmap::StoredField& field : row->Fields())
      line += "\t" + Escaped(field.name) + "=" + Escaped(field.value);
    std::printf("%s\n", line.c_str());
  }
}

// The layer and its sublayers, each with its own lines.
void ListTree(sim::Host& host, sim::Layer& layer, ListCounts& counts) {
  ListLayer(host, layer, counts);
  for (sim::Layer* sublayer : host.CurrentDocument()->Sublayers(&layer)) ListTree(host, *sublayer, counts);
}

void TellUnread(const std::string& map, const ListCounts& counts) {
  if (counts.skippedFields > 0)
    std::fprintf(stderr, kzmap::Tr("kzmap attr list: %s: %zu field(s) that could not be read are not listed\n"),
                 map.c_str(), counts.skippedFields);
  if (counts.unreadableRows > 0)
    std::fprintf(stderr,
                 kzmap::Tr("kzmap attr list: %s: %zu object(s) whose attributes could not be read are not listed\n"),
                 map.c_str(), counts.unreadableRows);
}

int List(const Options& options) {
  const auto keptHost = kzmap::MakeKeptUntilExit<sim::Host>();
  sim::Host& host = *keptHost;
  try {
    sim::LoadDocumentFile(host, options.map, sim::ArtReading::whole);
  } catch (const sim::DocumentFileError& failure) {
    std::fprintf(stderr, "kzmap attr: %s\n", failure.what());
    return 1;
  }
  sim::Document& document = *host.CurrentDocument();
  ListCounts counts;
  if (!options.layer.empty()) {
    std::string problem;
    sim::Layer* layer = kzmap::LayerTitled(host, options.layer, problem);
    if (!layer) {
      std::fprintf(stderr, "kzmap attr: %s: %s\n", options.map.c_str(), problem.c_str());
      return 1;
    }
    ListTree(host, *layer, counts);
  } else {
    for (sim::Layer* layer : document.layers) ListTree(host, *layer, counts);
  }
  TellUnread(options.map, counts);
  return 0;
}

// --- the panel's commands ---------------------------------------------------------

// The stored row read straight from the document, to report what a command did.
bool HasField(const sim::Art& art, const std::string& name) {
  const std::optional<kzmap::StoredRow> row = kzmap::StoredRow::Of(art);
  return row && row->Has(name);
}

void DeselectAll(sim::Host& host) {
  for (sim::Layer* layer : host.CurrentDocument()->layers) {
    for (sim::Art* art : layer->group->children) host.Select(*art, false);
  }
}

// The host tells the plug-in of the open document, so that the panel shows
// its fields; with a layer named, that layer alone is current and nothing
// is selected, so the panel offers that layer's fields.
bool ShowDocument(sim::Host& host, const Options& options) {
  if (!options.layer.empty()) {
    std::string problem;
    sim::Layer* layer = kzmap::LayerTitled(host, options.layer, problem);
    if (!layer) {
      std::fprintf(stderr, "kzmap attr %s: %s: %s\n", options.action.c_str(), options.map.c_str(), problem.c_str());
      return false;
    }
    DeselectAll(host);
    host.CurrentDocument()->currentLayer = layer;
  }
  host.Plugins().Post(kAIDocumentChangedNotifier);
  return true;
}

// The row of the panel's list that shows the field, or -1 with the problem said.
int32_t FieldRow(const sim::DialogState& window, const std::string& field, std::string& problem) {
  const auto& rows = window.Control(panel_ids::kList).rows;
  std::string names;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (!rows[i].empty() && rows[i][0] == field) return static_cast<int32_t>(i);
    if (!rows[i].empty()) names += (names.empty() ? "" : ", ") + rows[i][0];
  }
  problem = names.empty()
                ? kzmap::Format(kzmap::Tr("no field \"%s\" in the layers of the selection (they have no fields)"),
                                field.c_str())
                : kzmap::Format(kzmap::Tr("no field \"%s\" in the layers of the selection (fields: %s)"),
                                field.c_str(), names.c_str());
  return -1;
}

// The selected objects with the field; a group or compound path counts only
// when it is selected as a whole, not because one of its members is.
size_t CountSelectedWith(sim::Host& host, const std::string& field) {
  const sim::Document& document = *host.CurrentDocument();
  size_t count = 0;
  for (sim::Art* art : host.SelectedArt()) {
    if (art->IsContainer() && !document.FullySelected(art)) continue;
    count += HasField(*art, field) ? 1 : 0;
  }
  return count;
}

// Texts of every layer, without reading art a big map left in its file.
size_t CountTexts(sim::Host& host) {
  const sim::Document& document = *host.CurrentDocument();
  size_t count = 0;
  for (const sim::Layer* layer : document.layers) count += document.CountOfType(layer->group, kTextFrameArt);
  return count;
}

bool RanDialog(sim::Host& host, int32_t templateId) { return !host.Dialogs().RunsOf(templateId).empty(); }

int Search(const Options& options) {
  const bool byText = options.textOption->count() > 0;
  const bool byNumber = options.minOption->count() > 0 || options.maxOption->count() > 0;
  if (byText == byNumber) return UsageError(kzmap::Tr("search takes either --text or --min/--max"));
  kzmap::MapSession session;
  session.name = "attr search";
  session.map = options.map;
  const std::string field = options.argument;
  session.command = kzmap::PluginCommand::InPanel([field](const sim::DialogState& window, std::string& problem) {
    if (FieldRow(window, field, problem) < 0) return std::vector<DialogAction>{};
    return std::vector<DialogAction>{DialogAction::Click(panel_ids::kSearch)};
  });
  std::vector<DialogAction> dialog = {DialogAction::ChooseText(search_ids::kField, field)};
  if (byText) {
    dialog.push_back(DialogAction::Click(search_ids::kTextMode));
    dialog.push_back(DialogAction::SetText(search_ids::kText, options.text));
  } else {
    dialog.push_back(DialogAction::Click(search_ids::kNumberMode));
    const bool lower = options.minOption->count() > 0, upper = options.maxOption->count() > 0;
    dialog.push_back(DialogAction::Check(search_ids::kUseLower, lower));
    if (lower) dialog.push_back(DialogAction::SetText(search_ids::kLower, options.min));
    dialog.push_back(DialogAction::Check(search_ids::kUseUpper, upper));
    if (upper) dialog.push_back(DialogAction::SetText(search_ids::kUpper, options.max));
  }
  dialog.push_back(DialogAction::OK());
  session.user.dialogs.push_back({dialog_ids::kSearch, dialog});
  session.dialogOptions[dialog_ids::kSearch] = kzmap::Tr("FIELD, --text, --min or --max");
  session.before = [&options](sim::Host& host) { return ShowDocument(host, options); };
  session.after = [field](sim::Host& host) {
    if (!RanDialog(host, dialog_ids::kSearch)) return false;
    std::printf(kzmap::Tr("%zu objects selected\n"), CountSelectedWith(host, field));
    return true;
  };
  return kzmap::CommandEngine::RunOnce(session);
}

int Set(const Options& options) {
  const size_t equals = options.argument.find('=');
  if (equals == std::string::npos || equals == 0) return UsageError(kzmap::Tr("set takes FIELD=VALUE"));
  const std::string field = options.argument.substr(0, equals);
  const std::string value = options.argument.substr(equals + 1);
  kzmap::MapSession session;
  session.name = "attr set";
  session.map = options.map;
  session.command = kzmap::PluginCommand::InPanel([field](const sim::DialogState& window, std::string& problem) {
    const int32_t row = FieldRow(window, field, problem);
    if (row < 0) return std::vector<DialogAction>{};
    return std::vector<DialogAction>{DialogAction::DoubleClickRow(panel_ids::kList, row, 1)};
  });
  session.user.dialogs.push_back(
      {dialog_ids::kAttributeValue, {DialogAction::SetText(value_ids::kValue, value), DialogAction::OK()}});
  session.dialogOptions[dialog_ids::kAttributeValue] = kzmap::Tr("FIELD=VALUE");
  session.before = [&options](sim::Host& host) { return ShowDocument(host, options); };
  // With nothing selected the plug-in says so and no value is set.
  session.after = [field](sim::Host& host) {
    if (!RanDialog(host, dialog_ids::kAttributeValue)) return false;
    std::printf(kzmap::Tr("%s set on %zu objects\n"), field.c_str(), CountSelectedWith(host, field));
    return true;
  };
  return kzmap::CommandEngine::RunOnce(session);
}

// Whether the group holds the marks of one record of several points.
bool IsMultiPointGroup(const sim::Art& art) {
  if (art.type != kGroupArt) return false;
  for (const sim::Tag& tag : art.Extras().tags) {
    if (tag.name == kMultiPointGroupTag) return tag.type == kTagBoolean && tag.boolean;
  }
  return false;
}

// Whether the art stands for a point: a path of one point, the mark an
// import draws for a point feature, or the marks of a record of several
// points; each is labelled beside itself.
bool IsPoint(const sim::Art& art) {
  if (IsMultiPointGroup(art)) return true;
  if (art.type != kPathArt) return false;
  return art.Segments().size() == 1 || IsPointMarkOutline(art.Segments().ToVector().data(), art.Segments().size(), art.closed);
}

// Whether the annotation gives the art a label of its own: it holds a value
// in the field, and a group or compound path is wholly selected. A
// container without one is no object: its selected contents are.
bool LabelledItself(const sim::Document& document, const sim::Art& art, const std::string& field) {
  if (art.IsContainer() && !document.FullySelected(&art)) return false;
  const std::optional<kzmap::StoredRow> row = kzmap::StoredRow::Of(art);
  if (!row) return false;
  for (const kzmap::StoredField& stored : row->Fields()) {
    if (stored.name == field) return !stored.value.empty();
  }
  return false;
}

// Whether a group or compound path around the art gets the label: the art
// then gets none.
bool InsideLabelled(const sim::Document& document, const sim::Art& art, const std::string& field) {
  for (const sim::Art* at = art.parent; at && !at->ownerLayer; at = at->parent) {
    if (LabelledItself(document, *at, field)) return true;
  }
  return false;
}

// Keeps selected only the objects labelled at their point, or only those
// labelled at the centre of their bounds, judged as the annotation chooses
// them: a wholly selected group or compound path with a value is one object
// labelled at its centre; of one partly selected, or without a value, the
// selected contents are labelled. Returns how many objects keep a label.
size_t KeepLabelled(sim::Host& host, const std::string& at, const std::string& field) {
  const bool atPoint = at == "point";
  const sim::Document& document = *host.CurrentDocument();
  std::vector<sim::Art*> dropped;
  size_t kept = 0;
  for (sim::Art* art : host.SelectedArt()) {
    if (InsideLabelled(document, *art, field) || !LabelledItself(document, *art, field)) continue;
    if (IsPoint(*art) == atPoint) {
      ++kept;
    } else {
      dropped.push_back(art);
    }
  }
  // Only labelled objects are dropped, and a container only whole, so that
  // no container with a value turns from wholly to partly selected.
  for (sim::Art* art : dropped) host.Select(*art, false);
  return kept;
}

int Label(const Options& options) {
  if (options.argument.empty()) return UsageError(kzmap::Tr("label takes FIELD"));
  kzmap::MapSession session;
  session.name = "attr label";
  session.map = options.map;
  const std::string field = options.argument;
  session.command = kzmap::PluginCommand::InPanel([field](const sim::DialogState& window, std::string& problem) {
    if (FieldRow(window, field, problem) < 0) return std::vector<DialogAction>{};
    return std::vector<DialogAction>{DialogAction::Click(panel_ids::kAnnotate)};
  });
  session.user.dialogs.push_back({dialog_ids::kAnnotation,
                                  {DialogAction::ChooseText(annotation_ids::kField, field),
                                   DialogAction::Check(annotation_ids::kCopyValues, options.copy), DialogAction::OK()}});
  session.dialogOptions[dialog_ids::kAnnotation] = kzmap::Tr("FIELD or --copy");
  auto texts = std::make_shared<size_t>(0);
  session.before = [&options, texts](sim::Host& host) {
    if (!options.at.empty() && !host.SelectedArt().empty()) {
      if (KeepLabelled(host, options.at, options.argument) == 0) {
        std::fprintf(stderr,
                     options.at == "point"
                         ? kzmap::Tr("kzmap attr label: no selected object in %s is labelled on its point (--at %s)\n")
                         : kzmap::Tr("kzmap attr label: no selected object in %s is labelled at its centre (--at %s)\n"),
                     options.map.c_str(), options.at.c_str());
        return false;
      }
    }
    *texts = CountTexts(host);
    return ShowDocument(host, options);
  };
  session.after = [texts](sim::Host& host) {
    if (!RanDialog(host, dialog_ids::kAnnotation)) return false;
    std::printf(kzmap::Tr("%zu labels placed\n"), CountTexts(host) - *texts);
    return true;
  };
  return kzmap::CommandEngine::RunOnce(session);
}

int Run(const Options& options) {
  if (options.action != "label" && !options.at.empty()) return UsageError(kzmap::Tr("--at is for label"));
  if (options.action != "label" && options.copy) return UsageError(kzmap::Tr("--copy is for label"));
  if (options.action != "search" && (options.textOption->count() || options.minOption->count() ||
                                     options.maxOption->count())) {
    return UsageError(kzmap::Tr("--text, --min and --max are for search"));
  }
  if (options.action == "list") {
    if (!options.argument.empty()) return UsageError(kzmap::Tr("list takes no FIELD"));
    return List(options);
  }
  if (options.action == "search") {
    if (options.argument.empty()) return UsageError(kzmap::Tr("search takes FIELD"));
    return Search(options);
  }
  // set and label work on the selection, which the map keeps from a search.
  if (!options.layer.empty())
    return UsageError(kzmap::Tr("--layer is for list and search; set and label work on the objects a search "
                                "selected"));
  if (options.action == "set") return Set(options);
  return Label(options);
}

kzmap::CommandRun Define(CLI::App& app) {
  using kzmap::Tr;
  auto options = std::make_shared<Options>();
  app.add_option("MAP", options->map, Tr("the map document"))->required();
  app.add_option("ACTION", options->action, Tr("list, search, set or label"))
      ->required()
      ->check(kzmap::OneOf({"list", "search", "set", "label"}));
  app.add_option("FIELD", options->argument, Tr("the field (FIELD=VALUE for set)"));
  app.add_option("--layer", options->layer,
                 Tr("list: only the layer of this title and its sublayers; search: offer this layer's fields"))
      ->type_name("TITLE");
  options->textOption = app.add_option("--text", options->text, Tr("search: values that contain the text"));
  options->minOption = app.add_option("--min", options->min, Tr("search: values of at least this number"));
  options->maxOption = app.add_option("--max", options->max, Tr("search: values of at most this number"));
  app.add_option("--at", options->at,
                 Tr("label: only the selected points (one-point paths, imported point marks and the marks of a "
                    "MultiPoint record, labelled beside them), or only the other objects (labelled centred on their "
                    "bounds): point or center"))
      ->check(kzmap::OneOf({"point", "center"}));
  app.add_flag("--copy", options->copy, Tr("label: copy each object's attributes onto its label"));
  app.footer(
      Tr("list prints a line per layer (\"layer\" and the titles from the top layer down), then one per object\n"
         "of that layer with a row: its number in the layer, its kind and FIELD=VALUE pairs, tab-separated.\n"
         "search selects the objects whose value matches, as the panel's search does, and saves the selection.\n"
         "set sets the value on the selected objects; label places a text with the value on each selected object."));
  return [options] { return Run(*options); };
}

const kzmap::CommandRegistration registration({
    "attr",
    kUsage,
    kzmap::TrLater("list, search, set and label attribute values"),
    Define,
    "kzmap attr map.kzmap search 種別 --text 国道 --layer 道路\n"
    "kzmap attr map.kzmap label 名称 --at center",
});

}  // namespace
