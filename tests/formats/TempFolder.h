// A scratch folder for the formats tests, removed with everything in it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kztest {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::filesystem::path Path(std::string_view name) const { return root / std::filesystem::path(std::u8string(name.begin(), name.end())); }
  std::string PathText(std::string_view name) const { return Path(name).string(); }
  // Writes bytes to the named file and returns its path text.
  std::string Write(std::string_view name, std::string_view bytes) const;
  static std::string Read(const std::filesystem::path& path);

 private:
  std::filesystem::path root;
};

}  // namespace kztest
