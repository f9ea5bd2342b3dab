// Benchmarks that time whole commands (kzmap beside ogr2ogr) run each one as
// a child process: wall time and peak memory are the child's own. Each
// benchmark program includes this once.
#pragma once

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <cstdio>
#include <string>
#include <vector>

namespace benchchild {

struct ChildRun {
  double seconds = 0;
  double peakMegabytes = 0;
  int status = -1;
};

// A folder of the benchmark's own for its inputs and outputs, made on first use.
inline std::filesystem::path ScratchFolder(const std::string& name) {
  static const std::filesystem::path folder = [&name] {
    std::filesystem::path path = std::filesystem::temp_directory_path() / (name + "-" + std::to_string(getpid()));
    std::filesystem::create_directories(path);
    return path;
  }();
  return folder;
}

// Runs the program with its output thrown away.
inline ChildRun RunChild(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    std::freopen("/dev/null", "w", stdout);
    std::freopen("/dev/null", "w", stderr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  ChildRun run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.peakMegabytes = usage.ru_maxrss / 1024.0;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// The run as the iteration's time, with its size, memory and time per vertex.
inline void Report(benchmark::State& state, const ChildRun& run, int vertices) {
  state.SetIterationTime(run.seconds);
  state.counters["vertices"] = vertices;
  state.counters["peak_MB"] = run.peakMegabytes;
  state.counters["ns_per_vertex"] = run.seconds * 1e9 / vertices;
  if (run.status != 0) state.SkipWithError("the command failed");
}

}  // namespace benchchild
