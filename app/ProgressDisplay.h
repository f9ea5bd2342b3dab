// The host's progress as the tool shows it on standard error: a bar redrawn
// in place on a terminal, plain percentage lines (every tenth) otherwise.
#pragma once

#include <cstdio>
#include <string>

#include "sim/UserInteraction.h"

namespace kzmap {

class ProgressDisplay {
 public:
  ProgressDisplay(std::FILE* out, bool terminal) : out(out), terminal(terminal) {}
  ~ProgressDisplay() { Finish(); }
  ProgressDisplay(const ProgressDisplay&) = delete;
  ProgressDisplay& operator=(const ProgressDisplay&) = delete;

  // Called with every progress text and update.
  void Show(const sim::ProgressState& progress);
  // Ends the bar's line, so that what follows starts on a line of its own.
  void Finish();

 private:
  void DrawBar(const std::string& text, int percent);

  std::FILE* out;
  bool terminal;
  bool drawn = false;  // a bar is on the current line
  std::string lastText;  // its words only (see Show)
  int lastPercent = -1;
};

}  // namespace kzmap
