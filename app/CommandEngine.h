// The command engine: how kzmap's map commands (import, export, attr, ...)
// run one of the plug-in's own commands on a map document file, exactly as
// the host would, with a scripted user in place of the person at the screen.
//
// One run, in order:
//   1. the user's preferences are read from their file (a damaged file is
//      reported as a warning and set aside);
//   2. MAP is loaded (or, when the command asks for it and MAP is missing,
//      made as a new document with one layer);
//   3. the plug-in library is loaded and started through PluginMain, and told
//      that the application has started;
//   4. `before` runs (select art, check the document, ...);
//   5. the scripted user is put in place: dialog scripts by template id,
//      file-dialog answers, yes/no answers, a progress cancel;
//   6. the plug-in's flyout item or menu item is chosen as the host does it
//      (the flyout menu's pre-visibility callback or the item's update first;
//      a disabled item is an error); its progress is shown on standard error
//      and Ctrl-C becomes the host's progress cancel;
//   7. every alert it showed is printed, one line each: "error: TEXT" for
//      error alerts, "note: TEXT" for messages and answered questions;
//      dialogs, file dialogs and questions that nobody scripted were
//      cancelled (or answered no) by the stand-in host and are printed as
//      errors; answers the command never asked for are printed as warnings;
//   8. the verdict: the command failed when it showed an error alert, met a
//      dialog or question nobody scripted, a dialog script could not be
//      played, a menu command returned a failure, or `after` said so; it
//      was cancelled when its progress was cancelled (by the script or
//      Ctrl-C), a file dialog was answered with nothing, or a dialog ended
//      with Cancel (unless dialogCancelCancels is false);
//   9. `after` runs when the command succeeded (print what it found, ...);
//  10. MAP is saved, only when the command succeeded and saveMap is set (a
//      command that saves holds a lock on MAP from before step 2 to here, and
//      a Ctrl-C up to the moment MAP is replaced cancels the save);
//  11. the plug-in hears of the application's shut-down and is shut down;
//      the preferences are written back to their file.
// The result is the exit status: 0 success, 1 failed or cancelled. Usage
// errors (2) are the option parser's.
//
// A command file builds a MapSession from its options:
//
//   kzmap::MapSession session;
//   session.name = "import shp";
//   session.map = options->map;
//   session.command = kzmap::PluginCommand::Flyout(1);  // "シェープファイル読み込み..."
//   session.user.dialogs.push_back({dialog_ids::kImportCoordSettings,
//                                   {sim::DialogAction::Choose(dialog_ids::import_coord::kTargetSystem, 8),
//                                    sim::DialogAction::OK()}});
//   session.user.setUp = [files](sim::Host& host) { /* open-file dialog answers */ };
//   return kzmap::CommandEngine().Run(session);
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sim/DialogPlatform.h"
#include "sim/Host.h"
#include "sim/PluginLoader.h"

namespace kzmap {

// Which of the plug-in's commands to run.
struct PluginCommand {
  enum class Kind { Flyout, Menu, Panel };
  // What the user does in a panel's window (a button, a double-click on a
  // row), decided from the window as it shows at that moment; a problem
  // text instead stops the command.
  using PanelActions = std::function<std::vector<sim::DialogAction>(const sim::DialogState& window,
                                                                    std::string& problem)>;
  Kind kind = Kind::Flyout;
  std::string panel = "Kartzmap";  // flyout, panel: the id of the panel
  uint32_t item = 0;               // flyout: the item's id
  std::string menuItem;            // menu: the item's name, as the plug-in added it
  PanelActions panelActions;       // panel

  static PluginCommand Flyout(uint32_t item, std::string panel = "Kartzmap");
  static PluginCommand Menu(std::string name);
  static PluginCommand InPanel(PanelActions actions, std::string panel = "Kartzmap");
};

// What the person at the screen does during the command.
struct ScriptedUser {
  // Dialogs expected, by template id, each with the user's actions; a
  // template id may appear several times (taken in order).
  std::vector<std::pair<int32_t, std::vector<sim::DialogAction>>> dialogs;
  // Save-file and folder dialogs, in order: the path chosen, or nothing to cancel.
  std::vector<std::optional<std::string>> fileDialogs;
  // Yes/no questions, in order: true answers yes.
  std::vector<bool> answers;
  // The user cancels once the progress reaches this value.
  std::optional<int32_t> cancelAt;
  // Any further scripting on the host (answers for dialogs the host adds later).
  std::function<void(sim::Host&)> setUp;
};

struct MapSession {
  std::string name;  // the tool's command ("import shp"): messages start "kzmap NAME: "
  std::string map;   // MAP, the document file
  bool createMap = false;  // a missing MAP becomes a new document with one layer
  bool saveMap = true;     // false for commands that only read MAP
  // MAP is not rewritten when its file already holds the document as a
  // save would write it (said on stderr; bytes, inode and times kept).
  bool keepUnchangedMap = false;
  PluginCommand command;
  ScriptedUser user;
  // A dialog that the script ended with Cancel means the command was cancelled.
  bool dialogCancelCancels = true;
  // For each dialog template filled in from the options, those options in
  // the user's words ("--from, --to, --scale, --north-up or --area"): what
  // the tool names when the dialog refuses them or is never shown.
  std::map<int32_t, std::string> dialogOptions;
  // After the plug-in started, before the command; false fails the run (it says why).
  std::function<bool(sim::Host&)> before;
  // After a successful command, before saving; false fails the run (it says why).
  std::function<bool(sim::Host&)> after;
};

struct EngineSettings {
  std::FILE* messages = stderr;  // alerts, findings and progress
  bool terminal = false;         // draw the progress as a bar (messages is a terminal)
  std::string pluginFile;        // the plug-in library
  std::filesystem::path preferences;  // the preference file; empty: none kept

  // stderr, a bar when it is a terminal, the tool's plug-in, the user's preference file.
  static EngineSettings ForTool();
};

class CommandEngine {
 public:
  explicit CommandEngine(EngineSettings settings = EngineSettings::ForTool());
  ~CommandEngine();
  CommandEngine(const CommandEngine&) = delete;
  CommandEngine& operator=(const CommandEngine&) = delete;

  // Runs the session; 0 success, 1 failed or cancelled. One run per engine.
  int Run(const MapSession& session);
  // Runs the session in an engine of its own, whose model is left for the
  // process's end when the tool leaves models at exit (LeftAtExit).
  static int RunOnce(const MapSession& session);

  // The host as the run left it (the record of every alert, dialog and progress).
  sim::Host& Host() { return host; }

 private:
  enum class Verdict { Succeeded, Failed, Cancelled };

  bool LoadPreferences();
  void SavePreferences();
  sim::Document* OpenMap(const MapSession& session);
  bool StartPlugin();
  void StopPlugin();
  void Script(const ScriptedUser& user);
  // Chooses the item; false (with the reason printed) when it cannot be chosen.
  bool Invoke(const PluginCommand& command, std::optional<AIErr>& menuResult);
  bool ActInPanel(const PluginCommand& command);
  Verdict Judge(const MapSession& session, std::optional<AIErr> menuResult, bool interrupted);
  void PrintAlertsFrom(size_t first, bool& failed);
  void TellUnusedAnswers(const MapSession& session);
  Verdict SaveMap(const MapSession& session, const sim::Document& document);
  void Say(const std::string& line);        // "kzmap NAME: line"
  void Finding(const char* kind, const std::string& text);  // "error: text"

  EngineSettings settings;
  sim::Host host;
  std::unique_ptr<sim::PluginLoader> loader;
  std::string name;
  size_t firstAlert = 0, firstDialog = 0, firstFileDialog = 0;
};

}  // namespace kzmap
