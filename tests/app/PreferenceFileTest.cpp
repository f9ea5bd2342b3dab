// The stand-in host's preferences in their file: where the file is, values
// surviving a restart, atomic replacement, damaged files set aside.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "sim/PreferenceStore.h"
#include "support/ScratchFolder.h"

namespace {

using sim::PreferenceStore;
namespace fs = std::filesystem;

// Sets an environment variable for the life of the object (unset when value is null).
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name(name) {
    if (const char* old = std::getenv(name)) previous = old;
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~ScopedEnv() { previous ? setenv(name, previous->c_str(), 1) : unsetenv(name); }

 private:
  const char* name;
  std::optional<std::string> previous;
};

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(PreferenceFile, LivesUnderXdgConfigHomeElseHomeConfig) {
  {
    ScopedEnv config("XDG_CONFIG_HOME", "/srv/conf");
    ScopedEnv home("HOME", "/home/taro");
    EXPECT_EQ(PreferenceStore::UserFile(), "/srv/conf/kartzmap/preferences.json");
  }
  for (const char* ignored : {"", "relative/conf"}) {
    ScopedEnv config("XDG_CONFIG_HOME", ignored);
    ScopedEnv home("HOME", "/home/taro");
    EXPECT_EQ(PreferenceStore::UserFile(), "/home/taro/.config/kartzmap/preferences.json") << ignored;
  }
  ScopedEnv config("XDG_CONFIG_HOME", nullptr);
  ScopedEnv home("HOME", nullptr);
  EXPECT_EQ(PreferenceStore::UserFile(), fs::path());
}

TEST(PreferenceFile, EveryKindOfValueSurvivesARestart) {
  const fs::path folder = kztest::FreshFolder("prefs");
  const fs::path file = folder / "new" / "folder" / "preferences.json";
  PreferenceStore written;
  written.Put("Kartzmap4.5", "ShowAll", true);
  written.Put("Kartzmap4.5", "Hidden", false);
  written.Put("Kartzmap4.5", "Encoding", int32_t{-2147483647 - 1});
  written.Put("Kartzmap4.5", "Scale", 0.1 + 0.2);  // needs all 17 digits to read back
  written.Put("Kartzmap4.5", "Folder", PreferenceStore::FilePathValue{"/データ/\"引用\"\\道路"});
  written.Put("Other", "Encoding", int32_t{1});
  ASSERT_EQ(written.Save(file), "");

  PreferenceStore read;
  read.Put("Stale", "Key", true);
  const auto report = read.Load(file);
  EXPECT_TRUE(report.loaded);
  EXPECT_EQ(report.problem, "");
  EXPECT_EQ(read.All(), written.All());
  EXPECT_EQ(read.Get<double>("Kartzmap4.5", "Scale"), 0.1 + 0.2);

  // Nothing is left beside the file by the atomic write.
  size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(file.parent_path())) ++entries;
  EXPECT_EQ(entries, 1u);
  fs::remove_all(folder);
}

TEST(PreferenceFile, MissingFileIsAnEmptyStoreWithoutComplaint) {
  PreferenceStore store;
  store.Put("A", "B", true);
  const auto report = store.Load("/nonexistent/kartzmap/preferences.json");
  EXPECT_FALSE(report.loaded);
  EXPECT_EQ(report.problem, "");
  EXPECT_TRUE(store.All().empty());
}

TEST(PreferenceFile, DamagedFilesAreReportedAndSetAside) {
  const std::string good = R"({"format": "Kartzmap preferences", "version": 1, "preferences": {"P": {)";
  const std::vector<std::pair<const char*, std::string>> damaged = {
      {"empty", ""},
      {"not JSON", "\x89PNG\r\n"},
      {"truncated", good + R"("K": {"type": "integer", "val)"},
      {"another program's JSON", R"({"theme": "dark"})"},
      {"unknown version", R"({"format": "Kartzmap preferences", "version": 7, "preferences": {}})"},
      {"preferences not an object", R"({"format": "Kartzmap preferences", "version": 1, "preferences": [1]})"},
      {"value without type", good + R"("K": 3}}})"},
      {"boolean holding a string", good + R"("K": {"type": "boolean", "value": "yes"}}}})"},
      {"integer holding a real", good + R"("K": {"type": "integer", "value": 1.5}}}})"},
      {"integer out of range", good + R"("K": {"type": "integer", "value": 2147483648}}}})"},
      {"path holding a number", good + R"("K": {"type": "path", "value": 3}}}})"},
      {"unknown type", good + R"("K": {"type": "colour", "value": 3}}}})"},
  };
  const fs::path folder = kztest::FreshFolder("damaged");
  const fs::path file = folder / "preferences.json";
  for (const auto& [what, text] : damaged) {
    SCOPED_TRACE(what);
    std::ofstream(file, std::ios::binary) << text;
    PreferenceStore store;
    const auto report = store.Load(file);
    EXPECT_FALSE(report.loaded);
    EXPECT_NE(report.problem, "");
    EXPECT_TRUE(store.All().empty());
    EXPECT_FALSE(fs::exists(file));
    ASSERT_FALSE(report.setAside.empty());
    EXPECT_EQ(ReadAll(report.setAside), text) << "the damaged file is kept as it was";
  }
  // Each damaged file got a name of its own.
  EXPECT_TRUE(fs::exists(folder / "preferences.json.damaged"));
  EXPECT_TRUE(fs::exists(folder / ("preferences.json.damaged-" + std::to_string(damaged.size()))));
  fs::remove_all(folder);
}

TEST(PreferenceFile, FailedSaveLeavesTheOldFileAndNoLitter) {
  const fs::path folder = kztest::FreshFolder("failed");
  // The target is a folder that rename cannot replace.
  const fs::path file = folder / "preferences.json";
  fs::create_directories(file / "occupied");
  PreferenceStore store;
  store.Put("P", "K", true);
  EXPECT_NE(store.Save(file), "");
  EXPECT_TRUE(fs::is_directory(file / "occupied"));
  size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++entries;
  EXPECT_EQ(entries, 1u);
  fs::remove_all(folder);
}

}  // namespace
