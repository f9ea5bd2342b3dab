// kzmap attr: the attributes of a map's objects. `list` prints each object's
// row; `search`, `set` and `label` run the attribute panel's own commands
// (its "検索..." button, a double-click on a row, its "注記..." button) with
// the dialogs answered from the options, and save the map.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/Command.h"
#include "app/TerminalText.h"
#include "app/CommandEngine.h"
#include "app/ToolHost.h"
#include "attributes/CKzShapeAttr.h"
#include "attributes/PointMark.h"
#include "host/AINotifierSuite.h"
#include "resources/DialogIds.h"
#include "sim/DocumentFile.h"
#include "sim/TextCodec.h"

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
  std::fprintf(stderr, "kzmap attr: %s (usage: kzmap attr %s)\n", problem.c_str(), kUsage);
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

std::vector<ShapeField> Row(sim::Art& art) {
  CKzShapeAttr record;
  record.Load(sim::Host::Handle(art));
  std::vector<ShapeField> fields;
  for (int32_t i = 0; i < record.Count(); ++i) {
    ShapeField field;
    if (record.Get(i, field)) fields.push_back(field);
  }
  return fields;
}

// The layer's line: "layer" and the titles from its top layer down to it.
std::string LayerLine(const sim::Layer& layer) {
  std::string titles;
  for (const sim::Layer* at = &layer; at; at = at->parent) titles = "\t" + Escaped(sim::Host::Title(*at)) + titles;
  return "layer" + titles;
}

// One line per layer, then one per object of the layer itself (its
// sublayers follow with their own lines) that has a row: the object's
// number in the layer, its kind and NAME=VALUE for each field, tab-separated.
void ListLayer(sim::Host& host, sim::Layer& layer) {
  std::printf("%s\n", LayerLine(layer).c_str());
  const sim::Document& document = *host.CurrentDocument();
  int number = 0;
  for (sim::Art* art : host.ArtOfLayer(layer)) {
    if (document.LayerOfArt(art) != &layer) continue;
    ++number;
    CKzShapeAttr record;
    record.Load(sim::Host::Handle(*art));
    if (!record.IsLoaded()) continue;
    std::string line = std::to_string(number) + "\t" + KindName(*art);
    for (const ShapeField& field : Row(*art)) {
      line += "\t" + Escaped(field.name.as_UTF8()) + "=" + Escaped(field.value.as_UTF8());
    }
    std::printf("%s\n", line.c_str());
  }
}

// The layer and its sublayers, each with its own lines.
void ListTree(sim::Host& host, sim::Layer& layer) {
  ListLayer(host, layer);
  for (sim::Layer* sublayer : host.CurrentDocument()->Sublayers(&layer)) ListTree(host, *sublayer);
}

int List(const Options& options) {
  kzmap::ToolHost tool;
  sim::Host& host = tool.Host();
  try {
    sim::LoadDocumentFile(host, options.map);
  } catch (const sim::DocumentFileError& failure) {
    std::fprintf(stderr, "kzmap attr: %s\n", failure.what());
    return 1;
  }
  sim::Document& document = *host.CurrentDocument();
  if (!options.layer.empty()) {
    sim::Layer* layer = host.FindLayer(options.layer);
    if (!layer) {
      std::fprintf(stderr, "kzmap attr: %s has no layer \"%s\"\n", options.map.c_str(), options.layer.c_str());
      return 1;
    }
    ListTree(host, *layer);
    return 0;
  }
  for (sim::Layer* layer : document.layers) ListTree(host, *layer);
  return 0;
}

// --- the panel's commands ---------------------------------------------------------

// The stored form read straight from the document, to report what a command did.
bool HasField(const sim::Art& art, const std::string& name) {
  if (!art.dictionary) return false;
  const auto found = art.dictionary->entries.find(kFieldDictionaryKey);
  if (found == art.dictionary->entries.end()) return false;
  const auto* row = std::get_if<sim::ArrayPtr>(&found->second.data);
  if (!row) return false;
  for (const sim::Value& item : (*row)->items) {
    const auto* entry = std::get_if<sim::ArrayPtr>(&item.data);
    if (!entry || (*entry)->items.empty()) continue;
    const auto* text = std::get_if<std::u16string>(&(*entry)->items[0].data);
    if (text && sim::Utf16ToUtf8(*text) == name) return true;
  }
  return false;
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
    sim::Layer* layer = host.FindLayer(options.layer);
    if (!layer) {
      std::fprintf(stderr, "kzmap attr %s: %s has no layer \"%s\"\n", options.action.c_str(), options.map.c_str(),
                   options.layer.c_str());
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
  problem = "no field \"" + field + "\" in the layers of the selection (" +
            (names.empty() ? std::string("they have no fields") : "fields: " + names) + ")";
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

// Texts of every layer; a layer's art includes that of its sublayers.
size_t CountTexts(sim::Host& host) {
  size_t count = 0;
  for (sim::Layer* layer : host.CurrentDocument()->layers) {
    for (sim::Art* art : host.ArtOfLayer(*layer)) count += art->type == kTextFrameArt ? 1 : 0;
  }
  return count;
}

bool RanDialog(sim::Host& host, int32_t templateId) { return !host.Dialogs().RunsOf(templateId).empty(); }

int Search(const Options& options) {
  const bool byText = options.textOption->count() > 0;
  const bool byNumber = options.minOption->count() > 0 || options.maxOption->count() > 0;
  if (byText == byNumber) return UsageError("search takes either --text or --min/--max");
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
  session.before = [&options](sim::Host& host) { return ShowDocument(host, options); };
  session.after = [field](sim::Host& host) {
    if (!RanDialog(host, dialog_ids::kSearch)) return false;
    std::printf("%zu objects selected\n", CountSelectedWith(host, field));
    return true;
  };
  return kzmap::CommandEngine().Run(session);
}

int Set(const Options& options) {
  const size_t equals = options.argument.find('=');
  if (equals == std::string::npos || equals == 0) return UsageError("set takes FIELD=VALUE");
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
  session.before = [&options](sim::Host& host) { return ShowDocument(host, options); };
  // With nothing selected the plug-in says so and no value is set.
  session.after = [field](sim::Host& host) {
    if (!RanDialog(host, dialog_ids::kAttributeValue)) return false;
    std::printf("%s set on %zu objects\n", field.c_str(), CountSelectedWith(host, field));
    return true;
  };
  return kzmap::CommandEngine().Run(session);
}

// Whether the art stands for a point: a path of one point, or the mark an
// import draws for a point feature; either is labelled beside itself.
bool IsPoint(const sim::Art& art) {
  if (art.type != kPathArt) return false;
  return art.segments.size() == 1 || IsPointMarkOutline(art.segments.data(), art.segments.size(), art.closed);
}

// Whether a group or compound path around the art is wholly selected: that
// container then gets the one label, not the art.
bool InsideWhollySelected(const sim::Document& document, const sim::Art& art) {
  for (const sim::Art* at = art.parent; at && !at->ownerLayer; at = at->parent) {
    if (document.FullySelected(at)) return true;
  }
  return false;
}

// Keeps selected only the objects labelled at their point, or only those
// labelled at the centre of their bounds, judged as the annotation chooses
// them: a wholly selected group or compound path is one object labelled at
// its centre; of one partly selected, its selected contents are labelled.
void KeepLabelled(sim::Host& host, const std::string& at) {
  const bool atPoint = at == "point";
  const sim::Document& document = *host.CurrentDocument();
  std::vector<sim::Art*> dropped;
  for (sim::Art* art : host.SelectedArt()) {
    if (InsideWhollySelected(document, *art)) continue;
    if (art->IsContainer() && !document.FullySelected(art)) continue;
    if (IsPoint(*art) != atPoint) dropped.push_back(art);
  }
  for (sim::Art* art : dropped) host.Select(*art, false);
}

int Label(const Options& options) {
  if (options.argument.empty()) return UsageError("label takes FIELD");
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
  auto texts = std::make_shared<size_t>(0);
  session.before = [&options, texts](sim::Host& host) {
    if (!options.at.empty() && !host.SelectedArt().empty()) {
      KeepLabelled(host, options.at);
      if (host.SelectedArt().empty()) {
        std::fprintf(stderr, "kzmap attr label: no selected object in %s is labelled %s (--at %s)\n",
                     options.map.c_str(), options.at == "point" ? "on its point" : "at its centre",
                     options.at.c_str());
        return false;
      }
    }
    *texts = CountTexts(host);
    return ShowDocument(host, options);
  };
  session.after = [texts](sim::Host& host) {
    if (!RanDialog(host, dialog_ids::kAnnotation)) return false;
    std::printf("%zu labels placed\n", CountTexts(host) - *texts);
    return true;
  };
  return kzmap::CommandEngine().Run(session);
}

int Run(const Options& options) {
  if (options.action != "label" && !options.at.empty()) return UsageError("--at is for label");
  if (options.action != "label" && options.copy) return UsageError("--copy is for label");
  if (options.action != "search" && (options.textOption->count() || options.minOption->count() ||
                                     options.maxOption->count())) {
    return UsageError("--text, --min and --max are for search");
  }
  if (options.action == "list") {
    if (!options.argument.empty()) return UsageError("list takes no FIELD");
    return List(options);
  }
  if (options.action == "search") {
    if (options.argument.empty()) return UsageError("search takes FIELD");
    return Search(options);
  }
  if (!options.layer.empty()) return UsageError("--layer is for list and search");
  if (options.action == "set") return Set(options);
  return Label(options);
}

kzmap::CommandRun Define(CLI::App& app) {
  auto options = std::make_shared<Options>();
  app.add_option("MAP", options->map, "the map document")->required();
  app.add_option("ACTION", options->action, "list, search, set or label")
      ->required()
      ->check(CLI::IsMember({"list", "search", "set", "label"}));
  app.add_option("FIELD", options->argument, "the field (FIELD=VALUE for set)");
  app.add_option("--layer", options->layer, "list: only this layer and its sublayers; search: offer this layer's fields");
  options->textOption = app.add_option("--text", options->text, "search: values that contain the text");
  options->minOption = app.add_option("--min", options->min, "search: values of at least this number");
  options->maxOption = app.add_option("--max", options->max, "search: values of at most this number");
  app.add_option("--at", options->at,
                 "label: only the selected points (one-point paths and imported point marks, labelled beside "
                 "them), or only the other objects (labelled centred on their bounds)")
      ->check(CLI::IsMember({"point", "center"}));
  app.add_flag("--copy", options->copy, "label: copy each object's attributes onto its label");
  app.footer(
      "list prints a line per layer (\"layer\" and the titles from the top layer down), then one per object\n"
      "of that layer with a row: its number in the layer, its kind and FIELD=VALUE pairs, tab-separated.\n"
      "search selects the objects whose value matches, as the panel's search does, and saves the selection.\n"
      "set sets the value on the selected objects; label places a text with the value on each selected object.");
  return [options] { return Run(*options); };
}

const kzmap::CommandRegistration registration({"attr", kUsage, "list, search, set and label attribute values", Define});

}  // namespace
