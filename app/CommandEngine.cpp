#include "app/CommandEngine.h"

#include <unistd.h>

#include <cctype>
#include <csignal>
#include <cstdlib>
#include <new>

#include "app/Command.h"
#include "app/LeftAtExit.h"
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

// Whether the plug-in told of an error since the alert numbered `first`.
bool ErrorAlertIn(sim::Host& host, size_t first) {
  const auto& alerts = host.User().alerts;
  for (size_t i = first; i < alerts.size(); ++i)
    if (alerts[i].kind == sim::AlertRecord::Kind::Error) return true;
  return false;
}

std::string DialogName(const sim::DialogRun& run) { return "「" + run.caption + "」"; }

// What the session's options put into a dialog, or nothing.
std::string OptionsOf(const MapSession& session, int32_t templateId) {
  const auto found = session.dialogOptions.find(templateId);
  return found == session.dialogOptions.end() ? std::string() : found->second;
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

int CommandEngine::RunOnce(const MapSession& session) {
  return MakeKeptUntilExit<CommandEngine>()->Run(session);
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
      // The display needs the newest text only; the host would otherwise
      // keep one text per object counted (a million for a million points).
      host.User().progressShown = [this, &display](const sim::ProgressState& progress) {
        display.Show(progress);
        std::vector<std::string>& texts = host.User().progress.texts;
        if (texts.size() > 1) texts.erase(texts.begin(), texts.end() - 1);
      };
      host.User().cancelRequested = &InterruptGuard::Requested;
      invoked = Invoke(session.command, menuResult);
      host.User().progressShown = nullptr;
      host.User().cancelRequested = nullptr;
      interrupted = InterruptGuard::Requested();
      display.Finish(invoked && !interrupted && !host.User().progress.cancelled && !ErrorAlertIn(host, firstAlert) &&
                     (!menuResult || *menuResult == kNoErr));
    }
    if (invoked) verdict = Judge(session, menuResult, interrupted);
    if (verdict == Verdict::Succeeded && session.after && !session.after(host)) verdict = Verdict::Failed;
  }
  // Art the command reached but that could not be read from the map file is
  // missing from what it did.
  if (const std::string& failure = document->lazy.Failure(); !failure.empty()) {
    Say(failure);
    verdict = Verdict::Failed;
  }

  if (verdict == Verdict::Succeeded && session.saveMap) verdict = SaveMap(session, *document);
  if (const std::string& failure = document->spill.Failure(); !failure.empty())
    Finding(Tr("warning"), Format(Tr("the map was kept whole in memory: %s"), failure.c_str()));
  if (verdict == Verdict::Failed && session.saveMap) Say(Format(Tr("the command failed; %s was not saved"), session.map.c_str()));
  if (verdict == Verdict::Cancelled && session.saveMap) Say(Format(Tr("cancelled; %s was not saved"), session.map.c_str()));
  if (verdict == Verdict::Cancelled && !session.saveMap) Say(Tr("cancelled"));
  StopPlugin();
  SavePreferences();
  return verdict == Verdict::Succeeded ? 0 : 1;
}

// --- Steps ------------------------------------------------------------------

bool CommandEngine::LoadPreferences() {
  if (settings.preferences.empty()) return true;
  const auto report = host.Preferences().Load(settings.preferences);
  if (report.problem.empty()) return true;
  std::string text = Format(Tr("preferences %s: %s"), settings.preferences.string().c_str(), report.problem.c_str());
  if (!report.setAside.empty()) text += Format(Tr("; set aside as %s"), report.setAside.string().c_str());
  Finding(Tr("warning"), text + Tr("; the defaults are used"));
  return false;
}

void CommandEngine::SavePreferences() {
  if (settings.preferences.empty()) return;
  const std::string problem = host.Preferences().Save(settings.preferences);
  if (!problem.empty()) Finding(Tr("warning"), Format(Tr("preferences not kept: %s"), problem.c_str()));
}

sim::Document* CommandEngine::OpenMap(const MapSession& session) {
  std::error_code error;
  if (session.createMap && !std::filesystem::exists(session.map, error)) {
    sim::Document& document = host.NewDocument(kNewMapPage, session.map);
    host.AddLayer(kNewMapLayer);
    return &document;
  }
  // A map the machine cannot hold is refused by the loader from its
  // header's counts, before anything is allocated for it.
  try {
    // A command that saves the map reads only what it reaches; one that
    // only reads it goes over all of it, and a damaged map fails here.
    return &sim::LoadDocumentFile(host, session.map,
                                  session.saveMap ? sim::ArtReading::asReached : sim::ArtReading::whole);
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
    Say(Format(Tr("cannot load the plug-in: %s"), loader->LoadError().c_str()));
    return false;
  }
  const size_t before = host.User().alerts.size();
  const AIErr started = loader->Startup();
  if (started != kNoErr) {
    bool failed = false;
    PrintAlertsFrom(before, failed);
    Say(Format(Tr("the plug-in did not start (%s)"), CodeText(started).c_str()));
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
  if (stopped != kNoErr)
    Finding(Tr("warning"), Format(Tr("the plug-in did not shut down cleanly (%s)"), CodeText(stopped).c_str()));
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
      Say(Format(Tr("the plug-in has no panel \"%s\""), command.panel.c_str()));
      return false;
    }
    if (!host.ChooseFlyoutItem(*panel, command.item)) {
      Say(Format(Tr("the panel's menu has no item %u that can be chosen now"), static_cast<unsigned>(command.item)));
      return false;
    }
    return true;
  }
  for (const auto& item : host.UI().menuItems) {
    if (item->plugin != loader->Ref() || item->name != command.menuItem) continue;
    menuResult = host.ChooseMenuItem(*loader, *item);
    if (menuResult) return true;
    Say(Format(Tr("the menu item \"%s\" cannot be chosen now"), command.menuItem.c_str()));
    return false;
  }
  Say(Format(Tr("the plug-in has no menu item \"%s\""), command.menuItem.c_str()));
  return false;
}

bool CommandEngine::ActInPanel(const PluginCommand& command) {
  sim::Panel* panel = host.FindPanel(command.panel);
  if (!panel) {
    Say(Format(Tr("the plug-in has no panel \"%s\""), command.panel.c_str()));
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
      Say(Format(Tr("in the panel: %s"), problem.c_str()));
      return false;
    }
  }
  return true;
}

CommandEngine::Verdict CommandEngine::Judge(const MapSession& session, std::optional<AIErr> menuResult,
                                            bool interrupted) {
  bool failed = false;
  bool cancelled = interrupted || host.User().progress.cancelled;
  const bool alerted = host.User().alerts.size() > firstAlert;
  PrintAlertsFrom(firstAlert, failed);

  // The user's options fill in the dialogs; when one is refused the user
  // hears which options, not how the tool plays the dialog.
  const auto& runs = host.Dialogs().Runs();
  const bool debug = std::getenv("KZMAP_DEBUG") != nullptr;
  for (size_t i = firstDialog; i < runs.size(); ++i) {
    const sim::DialogRun& run = runs[i];
    if (!run.scripted) {
      Finding(Tr("error"), Format(Tr("the command opened %s, which the options do not fill in; it was cancelled"),
                                  DialogName(run).c_str()));
      failed = true;
      continue;
    }
    if (!run.problems.empty()) {
      const std::string options = OptionsOf(session, run.templateId);
      if (options.empty())
        Finding(Tr("error"), Format(Tr("%s did not accept the values given"), DialogName(run).c_str()));
      else if (alerted)
        Finding(Tr("error"), Format(Tr("%s did not accept %s: correct them as the message above says"),
                                    DialogName(run).c_str(), options.c_str()));
      else
        Finding(Tr("error"), Format(Tr("%s did not accept %s"), DialogName(run).c_str(), options.c_str()));
      if (debug)
        for (const std::string& problem : run.problems) Finding("debug", problem);
      failed = true;
    }
    if (run.ended && run.result == kCanceledErr && session.dialogCancelCancels) cancelled = true;
  }
  const auto& fileDialogs = host.User().fileDialogs;
  for (size_t i = firstFileDialog; i < fileDialogs.size(); ++i) {
    const sim::FileDialogRecord& record = fileDialogs[i];
    if (!record.scripted) {
      Finding(Tr("error"),
              Format(Tr("the command asked for a file (%s), which the options do not give; it was cancelled"),
                     ("「" + record.title + "」").c_str()));
      failed = true;
    } else if (!record.chosen) {
      cancelled = true;
    }
  }
  if (menuResult && *menuResult == kCanceledErr) cancelled = true;
  if (menuResult && *menuResult != kNoErr && *menuResult != kCanceledErr && !failed) {
    Finding(Tr("error"), Format(Tr("the command failed (%s)"), CodeText(*menuResult).c_str()));
    failed = true;
  }
  TellUnusedAnswers(session);

  if (failed) return Verdict::Failed;
  return cancelled ? Verdict::Cancelled : Verdict::Succeeded;
}

// What the options asked for that the command never came to: said in the
// options' terms, so that the user sees what was not done.
void CommandEngine::TellUnusedAnswers(const MapSession& session) {
  if (host.Dialogs().PendingScripts() > 0) {
    std::map<int32_t, size_t> expected;
    for (const auto& [templateId, actions] : session.user.dialogs) ++expected[templateId];
    for (const auto& [templateId, count] : expected) {
      if (host.Dialogs().RunsOf(templateId).size() >= count) continue;
      const std::string options = OptionsOf(session, templateId);
      Finding(Tr("warning"), options.empty()
                                 ? std::string(Tr("some of the options were not used: the command ended before it "
                                                  "asked for them"))
                                 : Format(Tr("%s not used: the command ended before it asked for them"),
                                          options.c_str()));
    }
  }
  const auto& files = host.User().fileDialogAnswers;
  for (const auto& file : files) {
    Finding(Tr("warning"), Format(Tr("%s was not written: the command ended before it asked for the file"),
                                  file ? file->c_str() : "-"));
  }
  if (const size_t left = host.User().yesNoAnswers.size())
    Finding(Tr("warning"), Format(Tr("%zu of the answers the options gave to questions were not needed"), left));
}

void CommandEngine::PrintAlertsFrom(size_t first, bool& failed) {
  const auto& alerts = host.User().alerts;
  for (size_t i = first; i < alerts.size(); ++i) {
    const sim::AlertRecord& alert = alerts[i];
    switch (alert.kind) {
      case sim::AlertRecord::Kind::Error:
        Finding(Tr("error"), alert.text);
        failed = true;
        break;
      case sim::AlertRecord::Kind::Message:
        Finding(Tr("note"), alert.text);
        break;
      case sim::AlertRecord::Kind::YesNo:
        if (alert.scripted) {
          Finding(Tr("note"), alert.text + (alert.answer == kAIYesAnswer ? Tr(" (answered yes)") : Tr(" (answered no)")));
        } else {
          Finding(Tr("error"), alert.text + Tr(" (the options do not answer this question, so it was answered no)"));
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
    if (session.keepUnchangedMap && sim::DocumentFileHolds(document, session.map)) {
      Say(Format(Tr("%s is already up to date; it was not rewritten"), session.map.c_str()));
      return Verdict::Succeeded;
    }
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
