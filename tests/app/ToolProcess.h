// Runs kzmap as a user would, with its output captured.
#pragma once

#include <string>

namespace apptest {

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

// `arguments` is shell text after the tool's own path; `environment` is put before it.
ToolRun RunKzmap(const std::string& arguments, const std::string& input = "", const std::string& environment = "");

// A fresh folder for one test, removed by the caller.
std::string FreshFolder(const std::string& name);

std::string Quote(const std::string& text);

}  // namespace apptest
