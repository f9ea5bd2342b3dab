// The host's progress as the tool shows it on standard error: a bar redrawn
// in place on a terminal, plain percentage lines (every tenth) otherwise.
// Each phase (a new text) is shown from 0 % and, once it is done, at 100 %
// with its counter ("12 / 3400") at its end, "3400 / 3400": the plug-in
// reports before each object, so its own last report of a phase falls short.
#pragma once

#include <cstdio>
#include <string>

#include "sim/UserInteraction.h"

namespace kzmap {

class ProgressDisplay {
 public:
  ProgressDisplay(std::FILE* out, bool terminal) : out(out), terminal(terminal) {}
  ~ProgressDisplay() { Finish(false); }
  ProgressDisplay(const ProgressDisplay&) = delete;
  ProgressDisplay& operator=(const ProgressDisplay&) = delete;

  // Called with every progress text and update.
  void Show(const sim::ProgressState& progress);
  // Ends the display; `completed` when the work ran to its end (not
  // cancelled, no error), which shows the last phase at 100 %.
  void Finish(bool completed);

 private:
  void Print(const std::string& text, int percent);
  void Complete();

  std::FILE* out;
  bool terminal;
  bool drawn = false;  // a bar is on the current line
  std::string lastWords;  // the phase's text without its numbers (see Show)
  std::string lastText;   // as last reported
  int lastPercent = -1;   // as last shown
  int32_t base = 0;       // where the phase's count started
  int32_t lastCurrent = 0;
  bool staleStart = false;  // a new phase's text came with the last phase's final value
};

}  // namespace kzmap
