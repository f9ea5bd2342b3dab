// Runs an outside command with text on its standard input and returns what it
// printed; the test fails when the command cannot be run or exits non-zero.
#pragma once

#include <string>
#include <vector>

namespace geodesytest {

struct ToolResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

ToolResult RunTool(const std::string& command, const std::string& input);

// Every line of the text split into whitespace-separated numbers.
std::vector<std::vector<double>> NumbersByLine(const std::string& text);
std::vector<std::string> Lines(const std::string& text);

// A fresh folder under the test's temporary directory.
std::string TempFolder(const std::string& name);

}  // namespace geodesytest
