#include "ToolProcess.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace apptest {

namespace {

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string FreshFolder(const std::string& name) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::filesystem::path folder = std::filesystem::temp_directory_path() / "kz_app_test";
  folder /= std::string(info ? info->test_suite_name() : "suite") + "." + (info ? info->name() : "test") + "." +
            name + "." + std::to_string(::getpid());
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder.string();
}

ToolRun RunKzmap(const std::string& arguments, const std::string& input, const std::string& environment) {
  const std::filesystem::path folder = FreshFolder("run");
  const auto in = folder / "in.txt";
  const auto out = folder / "out.txt";
  const auto err = folder / "err.txt";
  std::ofstream(in, std::ios::binary) << input;
  const std::string line = environment + " " + Quote(KZ_TOOL_FILE) + " " + arguments + " < " + Quote(in) + " > " +
                           Quote(out) + " 2> " + Quote(err);
  const int status = std::system(line.c_str());
  ToolRun run;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = ReadAll(out);
  run.err = ReadAll(err);
  std::filesystem::remove_all(folder);
  return run;
}

}  // namespace apptest
