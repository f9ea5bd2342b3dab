// What the stand-in host records of its conversation with the user, and the
// scripted answers it gives: alerts, progress, save-file and folder dialogs.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/HostTypes.h"

namespace sim {

struct AlertRecord {
  enum class Kind { Message, Error, YesNo };
  Kind kind = Kind::Message;
  std::string text;  // UTF-8
  int32_t answer = 0;            // yes/no alerts: 1 yes, 0 no
  bool scripted = true;          // false: a yes/no alert nobody expected (answered no)
  AIWindowRef modalParent = nullptr;
};

struct ProgressState {
  std::vector<std::string> texts;  // every text set, in order (UTF-8)
  int32_t current = 0;
  int32_t maximum = 0;
  int64_t updates = 0;
  // The user cancels once an update reaches this value.
  std::optional<int32_t> cancelAt;
  bool cancelled = false;

  // Back to an idle display; a scripted cancel value stays.
  void Reset() {
    texts.clear();
    current = maximum = 0;
    updates = 0;
    cancelled = false;
  }
};

// One command of the user's, as the host runs it from a menu or a panel's
// flyout: the progress display starts fresh, and a cancel scripted for the
// command is spent when it ends, so it never reaches the next one. What the
// command showed stays observable until the next command starts.
class ProgressCommandScope {
 public:
  explicit ProgressCommandScope(ProgressState& progress) : progress(progress) { progress.Reset(); }
  ~ProgressCommandScope() { progress.cancelAt.reset(); }
  ProgressCommandScope(const ProgressCommandScope&) = delete;
  ProgressCommandScope& operator=(const ProgressCommandScope&) = delete;

 private:
  ProgressState& progress;
};

struct FileDialogRecord {
  enum class Kind { SaveFile, Folder };
  Kind kind = Kind::SaveFile;
  std::string title;
  std::u16string filter;  // description/pattern pairs, each ended by U+0000
  std::string defaultName;
  std::string initial;  // starting location, empty when none
  std::optional<std::string> chosen;  // nothing: cancelled
  bool scripted = true;
};

struct UserInteraction {
  std::vector<AlertRecord> alerts;
  std::deque<int32_t> yesNoAnswers;  // consumed in order; none left answers no
  ProgressState progress;
  // Shown each progress text and update as they happen (the tool's progress bar); may be empty.
  std::function<void(const ProgressState&)> progressShown;
  // Asked at every cancel check besides the script: true once the user asked
  // to stop some other way (Ctrl-C in the tool); may be empty.
  std::function<bool()> cancelRequested;
  std::vector<FileDialogRecord> fileDialogs;
  // Consumed in order by save-file and folder dialogs; nothing cancels. With
  // no answer left the dialog is cancelled and recorded as unscripted.
  std::deque<std::optional<std::string>> fileDialogAnswers;
  std::vector<std::string> openedUrls;
};

}  // namespace sim
