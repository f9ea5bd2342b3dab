#include "app/CommandEngine.h"

#include <unistd.h>

#include <cctype>
#include <csignal>
#include <cstdlib>
#include <new>

#include "app/Command.h"
#include "app/ImportFootprint.h"
#include "app/MapLock.h"
#include "app/ProgressDisplay.h"
#include "app/Translate.h"
#include "host/AIUserSuite.h"
#include "sim/DocumentFile.h"

namespace kzmap {

namespace {

volatile std::sig_atomic_t interruptRequested = 0;

void OnInterrupt(int) { interruptRequested = 1; }

// Ctrl-C asks the running command to stop through the host's progress
// cancel. The handler is one-shot: a second Ctrl-C ends the tool at once,
// for a command that never looks at its progress.
class InterruptGuard {
 public:
  InterruptGuard() {
    interruptRequested = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    installed = sigaction(SIGINT, &action, &previous) == 0;
  }
  ~InterruptGuard() {
    if (installed) sigaction(SIGINT, &previous, nullptr);
  }
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

  static bool Requested() { return interruptRequested != 0; }
  // Every further Ctrl-C is caught as well.
  static void KeepCatching() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
  }

 private:
  struct sigaction previous {};
  bool installed = false;
};

// How long a command that changes a map waits for another one to finish
// with it; KZMAP_LOCK_WAIT_MS sets another wait (in milliseconds).
constexpr int kDefaultLockWaitMilliseconds = 5000;

int LockWaitMilliseconds() {
  const char* text = std::getenv("KZMAP_LOCK_WAIT_MS");
  if (!text || !*text) return kDefaultLockWaitMilliseconds;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (*end != '\0' || value < 0 || value > 24L * 3600 * 1000) return kDefaultLockWaitMilliseconds;
  return static_cast<int>(value);
}

// A result as the host's people read it: four characters when it spells them.
std::string CodeText(AIErr code) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const unsigned char c = static_cast<unsigned char>(static_cast<uint32_t>(code) >> shift);
    if (!std::isprint(c)) return std::to_string(code);
    text += static_cast<char>(c);
  }
  return "'" + text + "'";
}

std::string DialogName(const sim::DialogRun& run) {
  return "「" + run.caption + "」 (dialog " + std::to_string(run.templateId) + ")";
}

// "not enough memory to open MAP", the doing given as a format with the map.
std::string OutOfMemory(const char* doing, const std::string& map) {
  char text[4096];
  std::snprintf(text, sizeof text, doing, map.c_str());
  return std::string(Tr("not enough memory")) + " " + text;
}

// The page of a new map: A4 portrait, in points, y up.
constexpr AIRealRect kNewMapPage{0, 842, 595, 0};
constexpr const char* kNewMapLayer = "レイヤー 1";

}  // namespace

PluginCommand PluginCommand::Flyout(uint32_t item, std::string panel) {
  PluginCommand command;
  command.kind = Kind::Flyout;
  command.item = item;
  command.panel = std::move(panel);
  return command;
}

PluginCommand PluginCommand::InPanel(PanelActions actions, std::string panel) {
  PluginCommand command;
  command.kind = Kind::Panel;
  command.panelActions = std::move(actions);
  command.panel = std::move(panel);
  return command;
}

PluginCommand PluginCommand::Menu(std::string name) {
  PluginCommand command;
  command.kind = Kind::Menu;
  command.menuItem = std::move(name);
  return command;
}

EngineSettings EngineSettings::ForTool() {
  EngineSettings settings;
  settings.messages = stderr;
  settings.terminal = ::isatty(STDERR_FILENO) == 1;
  settings.pluginFile = PluginFile();
  settings.preferences = sim::PreferenceStore::UserFile();
  return settings;
}

CommandEngine::CommandEngine(EngineSettings settings) : settings(std::move(settings)) {}

CommandEngine::~CommandEngine() {
  loader.reset();  // the plug-in goes before the host it talks to
}

int CommandEngine::Run(const MapSession& session) {
  name = session.name;
  // A command that changes the map holds it from before the load until
  // after the save; readers read whichever whole map is there.
  MapLock lock;
  if (session.saveMap && !lock.Acquire(session.map, LockWaitMilliseconds())) {
    Say(lock.Problem());
    return 1;
  }
  LoadPreferences();
  sim::Document* document = OpenMap(session);
  if (!document) {
    SavePreferences();
    return 1;
  }
  if (!StartPlugin()) {
    SavePreferences();
    return 1;
  }

  Verdict verdict = Verdict::Failed;
  // Ctrl-C cancels the command and, up to the moment the map is replaced, its save.
  InterruptGuard interrupt;
  if (!session.before || session.before(host)) {
    firstAlert = host.User().alerts.size();
    firstDialog = host.Dialogs().Runs().size();
    firstFileDialog = host.User().fileDialogs.size();
    Script(session.user);
    std::optional<AIErr> menuResult;
    bool invoked = false;
    bool interrupted = false;
    {
      ProgressDisplay display(settings.messages, settings.terminal);
      host.User().progressShown = [&display](const sim::ProgressState& progress) { display.Show(progress); };
      host.User().cancelRequested = &InterruptGuard::Requested;
      invoked = Invoke(session.command, menuResult);
      host.User().progressShown = nullptr;
      host.User().cancelRequested = nullptr;
      interrupted = InterruptGuard::Requested();
    }
    if (invoked) verdict = Judge(session, menuResult, interrupted);
    if (verdict == Verdict::Succeeded && session.after && !session.after(host)) verdict = Verdict::Failed;
  }

  if (verdict == Verdict::Succeeded && session.saveMap) verdict = SaveMap(session, *document);
  if (verdict == Verdict::Failed && session.saveMap) Say("the command failed; " + session.map + " was not saved");
  if (verdict == Verdict::Cancelled && session.saveMap) Say("cancelled; " + session.map + " was not saved");
  if (verdict == Verdict::Cancelled && !session.saveMap) Say("cancelled");
  StopPlugin();
  SavePreferences();
  return verdict == Verdict::Succeeded ? 0 : 1;
}

// --- Steps ------------------------------------------------------------------

bool CommandEngine::LoadPreferences() {
  if (settings.preferences.empty()) return true;
  const auto report = host.Preferences().Load(settings.preferences);
  if (report.problem.empty()) return true;
  std::string text = "preferences " + settings.preferences.string() + ": " + report.problem;
  if (!report.setAside.empty()) text += "; set aside as " + report.setAside.string();
  Finding("warning", text + "; the defaults are used");
  return false;
}

void CommandEngine::SavePreferences() {
  if (settings.preferences.empty()) return;
  const std::string problem = host.Preferences().Save(settings.preferences);
  if (!problem.empty()) Finding("warning", "preferences not kept: " + problem);
}

sim::Document* CommandEngine::OpenMap(const MapSession& session) {
  std::error_code error;
  if (session.createMap && !std::filesystem::exists(session.map, error)) {
    sim::Document& document = host.NewDocument(kNewMapPage, session.map);
    host.AddLayer(kNewMapLayer);
    return &document;
  }
  // A map the machine cannot hold is refused before it is read, not
  // ended by the system half-way.
  if (const auto available = ImportFootprint::Available()) {
    const std::string problem = ImportFootprint::OpenProblem(session.map, *available);
    if (!problem.empty()) {
      Say(problem);
      return nullptr;
    }
  }
  try {
    return &sim::LoadDocumentFile(host, session.map);
  } catch (const sim::DocumentFileError& failure) {
    Say(failure.what());
  } catch (const std::bad_alloc&) {
    Say(OutOfMemory(Tr("to open %s"), session.map));
  }
  return nullptr;
}

bool CommandEngine::StartPlugin() {
  loader = std::make_unique<sim::PluginLoader>(host.Broker(), host.Plugins());
  if (!loader->Load(settings.pluginFile)) {
    Say("cannot load the plug-in: " + loader->LoadError());
    return false;
  }
  const size_t before = host.User().alerts.size();
  const AIErr started = loader->Startup();
  if (started != kNoErr) {
    bool failed = false;
    PrintAlertsFrom(before, failed);
    Say("the plug-in did not start (" + CodeText(started) + ")");
    return false;
  }
  host.ApplicationStarted();
  return true;
}

void CommandEngine::StopPlugin() {
  if (!loader || !loader->Global()) return;
  const size_t before = host.User().alerts.size();
  host.ApplicationShutdown();
  const AIErr stopped = loader->Shutdown();
  bool failed = false;
  PrintAlertsFrom(before, failed);
  if (stopped != kNoErr) Finding("warning", "the plug-in did not shut down cleanly (" + CodeText(stopped) + ")");
}

void CommandEngine::Script(const ScriptedUser& user) {
  for (const auto& [templateId, actions] : user.dialogs) host.Dialogs().Expect(templateId, actions);
  sim::UserInteraction& interaction = host.User();
  for (const auto& answer : user.fileDialogs) interaction.fileDialogAnswers.push_back(answer);
  for (bool yes : user.answers) interaction.yesNoAnswers.push_back(yes ? kAIYesAnswer : kAINoAnswer);
  interaction.progress.cancelAt = user.cancelAt;
  if (user.setUp) user.setUp(host);
}

bool CommandEngine::Invoke(const PluginCommand& command, std::optional<AIErr>& menuResult) {
  if (command.kind == PluginCommand::Kind::Panel) return ActInPanel(command);
  if (command.kind == PluginCommand::Kind::Flyout) {
    sim::Panel* panel = host.FindPanel(command.panel);
    if (!panel) {
      Say("the plug-in has no panel \"" + command.panel + "\"");
      return false;
    }
    if (!host.ChooseFlyoutItem(*panel, command.item)) {
      Say("the panel's menu has no item " + std::to_string(command.item) + " that can be chosen now");
      return false;
    }
    return true;
  }
  for (const auto& item : host.UI().menuItems) {
    if (item->plugin != loader->Ref() || item->name != command.menuItem) continue;
    menuResult = host.ChooseMenuItem(*loader, *item);
    if (menuResult) return true;
    Say("the menu item \"" + command.menuItem + "\" cannot be chosen now");
    return false;
  }
  Say("the plug-in has no menu item \"" + command.menuItem + "\"");
  return false;
}

bool CommandEngine::ActInPanel(const PluginCommand& command) {
  sim::Panel* panel = host.FindPanel(command.panel);
  if (!panel) {
    Say("the plug-in has no panel \"" + command.panel + "\"");
    return false;
  }
  host.Idle();
  std::string problem;
  const std::vector<sim::DialogAction> actions =
      command.panelActions ? command.panelActions(host.Dialogs().Snapshot(panel->window), problem)
                           : std::vector<sim::DialogAction>{};
  if (!problem.empty()) {
    Say(problem);
    return false;
  }
  for (const sim::DialogAction& action : actions) {
    problem = host.ActInPanel(*panel, action);
    if (!problem.empty()) {
      Say("in the panel: " + problem);
      return false;
    }
  }
  return true;
}

CommandEngine::Verdict CommandEngine::Judge(const MapSession& session, std::optional<AIErr> menuResult,
                                            bool interrupted) {
  bool failed = false;
  bool cancelled = interrupted || host.User().progress.cancelled;
  PrintAlertsFrom(firstAlert, failed);

  const auto& runs = host.Dialogs().Runs();
  for (size_t i = firstDialog; i < runs.size(); ++i) {
    const sim::DialogRun& run = runs[i];
    if (!run.scripted) {
      Finding("error", "unexpected dialog " + DialogName(run) + ": no answers were given for it, so it was cancelled");
      failed = true;
      continue;
    }
    for (const std::string& problem : run.problems) {
      Finding("error", DialogName(run) + ": " + problem);
      failed = true;
    }
    if (run.ended && run.result == kCanceledErr && session.dialogCancelCancels) cancelled = true;
  }
  const auto& fileDialogs = host.User().fileDialogs;
  for (size_t i = firstFileDialog; i < fileDialogs.size(); ++i) {
    const sim::FileDialogRecord& record = fileDialogs[i];
    if (!record.scripted) {
      Finding("error", "unexpected file dialog 「" + record.title + "」: no file was given for it, so it was cancelled");
      failed = true;
    } else if (!record.chosen) {
      cancelled = true;
    }
  }
  if (menuResult && *menuResult == kCanceledErr) cancelled = true;
  if (menuResult && *menuResult != kNoErr && *menuResult != kCanceledErr && !failed) {
    Finding("error", "the command failed (" + CodeText(*menuResult) + ")");
    failed = true;
  }

  // Answers the command never asked for: the options asked for something it did not do.
  if (const size_t left = host.Dialogs().PendingScripts())
    Finding("warning", std::to_string(left) + " dialog answer(s) were not used");
  if (const size_t left = host.User().fileDialogAnswers.size())
    Finding("warning", std::to_string(left) + " file answer(s) were not used");
  if (const size_t left = host.User().yesNoAnswers.size())
    Finding("warning", std::to_string(left) + " yes/no answer(s) were not used");

  if (failed) return Verdict::Failed;
  return cancelled ? Verdict::Cancelled : Verdict::Succeeded;
}

void CommandEngine::PrintAlertsFrom(size_t first, bool& failed) {
  const auto& alerts = host.User().alerts;
  for (size_t i = first; i < alerts.size(); ++i) {
    const sim::AlertRecord& alert = alerts[i];
    switch (alert.kind) {
      case sim::AlertRecord::Kind::Error:
        Finding("error", alert.text);
        failed = true;
        break;
      case sim::AlertRecord::Kind::Message:
        Finding("note", alert.text);
        break;
      case sim::AlertRecord::Kind::YesNo:
        if (alert.scripted) {
          Finding("note", alert.text + " (answered " + (alert.answer == kAIYesAnswer ? "yes" : "no") + ")");
        } else {
          Finding("error", alert.text + " (no answer was given for this question, so it was answered no)");
          failed = true;
        }
        break;
    }
  }
}

CommandEngine::Verdict CommandEngine::SaveMap(const MapSession& session, const sim::Document& document) {
  // The guard is no longer one-shot: a second Ctrl-C must not end the
  // process with the temporary file left behind.
  InterruptGuard::KeepCatching();
  try {
    sim::SaveDocumentFile(document, session.map, &InterruptGuard::Requested);
    return Verdict::Succeeded;
  } catch (const sim::DocumentSaveCancelled&) {
    return Verdict::Cancelled;
  } catch (const sim::DocumentFileError& failure) {
    Say(failure.what());
  } catch (const std::bad_alloc&) {
    Say(OutOfMemory(Tr("to save %s; it was left as it was"), session.map));
  }
  return Verdict::Failed;
}

void CommandEngine::Say(const std::string& line) {
  std::fprintf(settings.messages, "kzmap %s: %s\n", name.c_str(), line.c_str());
  std::fflush(settings.messages);
}

void CommandEngine::Finding(const char* kind, const std::string& text) {
  std::fprintf(settings.messages, "%s: %s\n", kind, text.c_str());
  std::fflush(settings.messages);
}

}  // namespace kzmap
