#include "app/ShpCommon.h"

#include <filesystem>

#include "host/AIFilePathSuite.h"
#include "host/AIUnicodeStringSuite.h"
#include "host/SuitePointers.h"
#include "sim/StringSuites.h"

namespace kzmap {

StringHost::StringHost() {
  broker.Register(kAIUnicodeStringSuite, kAIUnicodeStringSuiteVersion, sim::UnicodeStringSuite());
  broker.Register(kAIFilePathSuite, kAIFilePathSuiteVersion, sim::FilePathSuite());
  sSPBasic = broker.Basic();
  sAIUnicodeString = sim::UnicodeStringSuite();
  sAIFilePath = sim::FilePathSuite();
}

StringHost::~StringHost() {
  sAIUnicodeString = nullptr;
  sAIFilePath = nullptr;
  sSPBasic = nullptr;
}

std::optional<int32_t> EncodingCodeOf(const std::string& name) {
  if (name == "sjis") return 17;
  if (name == "utf8") return 1;
  return std::nullopt;
}

std::string WhyNotOpened(const std::string& shpPath) {
  const size_t dot = shpPath.rfind('.');
  if (dot == std::string::npos) return "the path has no extension";
  for (const char* extension : {"", ".shx", ".dbf"}) {
    std::string path = shpPath;
    if (*extension) path.replace(dot, 4, extension);
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return "cannot open " + path;
  }
  return "not a Shapefile, or its headers are damaged";
}

}  // namespace kzmap
