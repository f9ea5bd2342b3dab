#include "support/Process.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "support/ScratchFolder.h"

namespace kztest {

namespace {

constexpr int kCommandSeconds = 120;

CommandResult Finished(int raw, const ScratchFolder& folder) {
  CommandResult result;
  if (raw != -1 && WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
  if (raw != -1 && WIFSIGNALED(raw)) result.signal = WTERMSIG(raw);
  result.out = ReadFile(folder / "out");
  result.err = ReadFile(folder / "err");
  return result;
}

// The command line, its input from a file and its outputs to files in a
// scratch folder of its own; merged, the error output goes with the output.
CommandResult Run(const std::string& command, const std::string& input, bool merged = false) {
  ScratchFolder folder;
  const std::string in = folder.Write("in", input);
  // In a subshell of its own, so that a redirection in the command wins.
  const std::string line = "(" + command + ") < " + Quote(in) + " > " + Quote(folder.PathText("out")) +
                           (merged ? " 2>&1" : " 2> " + Quote(folder.PathText("err")));
  return Finished(std::system(line.c_str()), folder);
}

}  // namespace

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

CommandResult RunShell(const std::string& command, const std::string& input) { return Run(command, input); }

CommandResult RunMerged(const std::string& command) { return Run(command, "", true); }

CommandResult RunCommand(const std::string& command) {
  return Run("timeout " + std::to_string(kCommandSeconds) + " sh -c " + Quote(command), "");
}

CommandResult RunKzmap(const std::string& arguments, const std::string& input, const std::string& environment) {
  return Run(environment + " " + Quote(KZ_TOOL_FILE) + " " + arguments, input);
}

pid_t StartKzmap(const std::vector<std::string>& arguments, const std::string& outFile, const std::string& errFile,
                 const ProcessLimits& limits) {
  std::vector<std::string> words{KZ_TOOL_FILE};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  std::vector<std::string> environment = limits.environment;
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  // The child: nothing but async-signal-safe calls and exec.
  const int in = ::open("/dev/null", O_RDONLY);
  const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (in < 0 || out < 0 || err < 0) ::_exit(127);
  ::dup2(in, 0);
  ::dup2(out, 1);
  ::dup2(err, 2);
  for (std::string& assignment : environment) ::putenv(assignment.data());
  if (limits.fileSizeBytes >= 0) {
    // A write past the limit fails with EFBIG instead of ending the process.
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{static_cast<rlim_t>(limits.fileSizeBytes), static_cast<rlim_t>(limits.fileSizeBytes)};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ::signal(SIGINT, SIG_DFL);
  ::execv(argv[0], argv.data());
  ::_exit(127);
}

CommandResult WaitFor(pid_t pid, const std::string& outFile, const std::string& errFile) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
  }
  CommandResult run;
  if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
  run.out = ReadFile(outFile);
  run.err = ReadFile(errFile);
  return run;
}

CommandResult RunKzmap(const std::vector<std::string>& arguments, const ProcessLimits& limits) {
  ScratchFolder scratch;
  const std::string out = scratch.PathText("out"), err = scratch.PathText("err");
  // A file size limit would cut the messages too: they go through FIFOs
  // that the test reads while the tool runs.
  if (limits.fileSizeBytes < 0) return WaitFor(StartKzmap(arguments, out, err, limits), out, err);
  const std::string outFifo = scratch.PathText("out.fifo"), errFifo = scratch.PathText("err.fifo");
  ::mkfifo(outFifo.c_str(), 0600);
  ::mkfifo(errFifo.c_str(), 0600);
  const pid_t pid = StartKzmap(arguments, outFifo, errFifo, limits);
  std::string texts[2];
  std::thread readers[2];
  const std::string* fifos[] = {&outFifo, &errFifo};
  for (int i = 0; i < 2; ++i) readers[i] = std::thread([&, i] { texts[i] = ReadFile(*fifos[i]); });
  for (std::thread& reader : readers) reader.join();
  CommandResult run = WaitFor(pid, outFifo + ".none", errFifo + ".none");
  run.out = texts[0];
  run.err = texts[1];
  return run;
}

std::string ReadFile(const std::filesystem::path& path) { return ScratchFolder::Read(path); }

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace kztest
