#include "ToolRun.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace geodesytest {

namespace {

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

std::string TempFolder(const std::string& name) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::filesystem::path folder = std::filesystem::temp_directory_path() / "kz_geodesy_test";
  folder /= std::string(info ? info->test_suite_name() : "suite") + "." + (info ? info->name() : "test") + "." +
            name + "." + std::to_string(::getpid());
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder.string();
}

ToolResult RunTool(const std::string& command, const std::string& input) {
  const std::filesystem::path folder = TempFolder("run");
  const auto in = folder / "in.txt";
  const auto out = folder / "out.txt";
  const auto err = folder / "err.txt";
  {
    std::ofstream file(in, std::ios::binary);
    file << input;
  }
  const std::string line = command + " < '" + in.string() + "' > '" + out.string() + "' 2> '" + err.string() + "'";
  const int status = std::system(line.c_str());
  ToolResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadFile(out);
  result.err = ReadFile(err);
  std::filesystem::remove_all(folder);
  return result;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  std::string line;
  while (std::getline(stream, line)) lines.push_back(line);
  return lines;
}

std::vector<std::vector<double>> NumbersByLine(const std::string& text) {
  std::vector<std::vector<double>> rows;
  for (const std::string& line : Lines(text)) {
    std::istringstream stream(line);
    std::vector<double> numbers;
    double value = 0;
    while (stream >> value) numbers.push_back(value);
    rows.push_back(numbers);
  }
  return rows;
}

}  // namespace geodesytest
