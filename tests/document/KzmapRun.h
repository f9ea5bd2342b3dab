// Runs the kzmap tool with arguments and captures its exit status and output.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "document/ScratchFolder.h"

namespace kztest {

struct KzmapRun {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// `arguments` is shell text after the tool's own path.
inline KzmapRun RunKzmap(const std::string& arguments) {
  ScratchFolder folder;
  const std::string line = ShellQuote(KZ_TOOL_FILE) + " " + arguments + " > " + ShellQuote(folder.Path("out")) +
                           " 2> " + ShellQuote(folder.Path("err")) + " < /dev/null";
  const int status = std::system(line.c_str());
  KzmapRun run;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = ScratchFolder::Read(folder.Path("out"));
  run.err = ScratchFolder::Read(folder.Path("err"));
  return run;
}

}  // namespace kztest
