// Folders the tests write in: a scratch folder made fresh and removed with
// everything in it, and a folder named after the running test.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kztest {

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return root; }
  // A name in the folder; the name is UTF-8.
  std::filesystem::path Path(std::string_view name) const;
  std::string PathText(std::string_view name) const { return Path(name).string(); }
  std::filesystem::path operator/(std::string_view name) const { return Path(name); }
  // Writes the bytes to the named file and gives its path.
  std::string Write(std::string_view name, std::string_view bytes) const;
  static std::string Read(const std::filesystem::path& path);
  size_t FileCount() const;

 private:
  std::filesystem::path root;
};

// A fresh, empty folder named after the running test and the name, left for
// the caller to remove.
std::string FreshFolder(const std::string& name);

}  // namespace kztest
