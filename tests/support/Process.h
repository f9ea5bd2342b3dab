// Running outside programs and kzmap from the tests: shell command lines with
// their input given and both outputs captured, and kzmap started without a
// shell under real limits (a file size limit, signals, several at once).
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kztest {

struct CommandResult {
  int status = -1;  // exit status; -1 when the command did not end normally
  int signal = 0;   // the signal that ended it
  std::string out;
  std::string err;
};

// The text as one word for sh: in single quotes, each quote written '\''.
std::string Quote(const std::string& text);

// Runs a shell command line with the text on its standard input.
CommandResult RunShell(const std::string& command, const std::string& input = "");
// The same with its error output in `out` too, as a terminal shows both.
CommandResult RunMerged(const std::string& command);
// The same with a time limit, for outside tools that loop on bad arguments.
CommandResult RunCommand(const std::string& command);

// kzmap as a user runs it: `arguments` is shell text after the tool's own
// path and `environment` (NAME=VALUE words) is put before it.
CommandResult RunKzmap(const std::string& arguments, const std::string& input = "",
                       const std::string& environment = "");

// kzmap started without a shell, its standard input empty.
struct ProcessLimits {
  long long fileSizeBytes = -1;          // RLIMIT_FSIZE; -1 none
  std::vector<std::string> environment;  // NAME=VALUE added
};
// Starts kzmap with the arguments; its output goes to the two files.
pid_t StartKzmap(const std::vector<std::string>& arguments, const std::string& outFile, const std::string& errFile,
                 const ProcessLimits& limits = {});
CommandResult WaitFor(pid_t pid, const std::string& outFile, const std::string& errFile);
CommandResult RunKzmap(const std::vector<std::string>& arguments, const ProcessLimits& limits = {});

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

}  // namespace kztest
