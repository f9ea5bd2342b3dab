#include "support/ScratchFolder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace kztest {

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
  std::string pattern = (fs::temp_directory_path() / "kztest-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch folder");
  root = pattern;
}

ScratchFolder::~ScratchFolder() {
  // A test may have taken the write permission away to provoke a failure.
  std::error_code ignored;
  fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(root, ignored);
}

fs::path ScratchFolder::Path(std::string_view name) const {
  return root / fs::path(std::u8string(name.begin(), name.end()));
}

std::string ScratchFolder::Write(std::string_view name, std::string_view bytes) const {
  const fs::path path = Path(name);
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path.string();
}

std::string ScratchFolder::Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

size_t ScratchFolder::FileCount() const {
  return static_cast<size_t>(std::distance(fs::directory_iterator(root), fs::directory_iterator()));
}

std::string FreshFolder(const std::string& name) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  fs::path folder = fs::temp_directory_path() / "kz_test";
  folder /= std::string(info ? info->test_suite_name() : "suite") + "." + (info ? info->name() : "test") + "." + name +
            "." + std::to_string(::getpid());
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder.string();
}

}  // namespace kztest
