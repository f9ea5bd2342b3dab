#include "app/ShpCommon.h"

#include <CLI/CLI.hpp>

#include <filesystem>

namespace kzmap {

std::optional<int32_t> EncodingCodeOf(const std::string& name) {
  if (name == "sjis") return 17;
  if (name == "utf8") return 1;
  return std::nullopt;
}

CLI::Option* AddEncodingOption(CLI::App& app, const std::string& name, int32_t& code, const std::string& what) {
  return app
      .add_option_function<std::string>(
          name, [&code](const std::string& text) { code = *EncodingCodeOf(text); }, what)
      ->check(CLI::IsMember({"sjis", "utf8"}));
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
