// The temporary file every export and picture is written through.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "formats/PartFile.h"
#include "safety/SafetyTools.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;
using kztest::ScratchFolder;

void Write(PartFile& file, const std::string& bytes) {
  ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file.Stream()), bytes.size());
}

TEST(PartFile, TwoWritersOfOneTargetNeverShareAFile) {
  ScratchFolder folder;
  const std::string target = (folder / "out.csv").string();
  kztest::WriteFile(target, "old");
  PartFile first, second;
  ASSERT_TRUE(first.Create(target));
  ASSERT_TRUE(second.Create(target));
  EXPECT_NE(first.TemporaryPath(), second.TemporaryPath());
  EXPECT_EQ(fs::path(first.TemporaryPath()).parent_path(), folder.Path());
  Write(first, "first");
  Write(second, "second");
  EXPECT_EQ(kztest::ReadFile(target), "old");
  ASSERT_TRUE(first.Close());
  ASSERT_TRUE(first.PutInPlace());
  EXPECT_EQ(kztest::ReadFile(target), "first");
  second.Discard();
  EXPECT_EQ(kztest::ReadFile(target), "first");
  EXPECT_TRUE(safety::Leftovers(folder.Path(), {"out.csv"}).empty());
}

TEST(PartFile, AnAbandonedFileLeavesNothing) {
  ScratchFolder folder;
  const std::string target = (folder / "out.csv").string();
  {
    PartFile file;
    ASSERT_TRUE(file.Create(target));
    Write(file, "half");
  }
  EXPECT_TRUE(fs::is_empty(folder.Path()));
}

TEST(PartFile, FailuresNameTheFileAndTheReason) {
  ScratchFolder folder;
  PartFile file;
  EXPECT_FALSE(file.Create((folder / "missing" / "out.csv").string()));
  EXPECT_EQ(file.Problem(), (folder / "missing" / "out.csv").string() + ": No such file or directory");
}

// The temporary name fits a file name even for the longest target, and is
// never cut inside a character.
TEST(PartFile, LongNamesKeepWholeCharacters) {
  ScratchFolder folder;
  PartFile file;
  std::string stem;
  for (int i = 0; i < 83; ++i) stem += "あ";  // 249 bytes
  ASSERT_TRUE(file.Create((folder / (stem + ".shp")).string()));
  const std::string temporary = fs::path(file.TemporaryPath()).filename().string();
  EXPECT_LE(temporary.size(), 255u);
  EXPECT_EQ(temporary.size() % 3, 7u % 3) << temporary;  // whole kana, then ".XXXXXX"
  EXPECT_EQ(temporary.rfind(stem.substr(0, 246), 0), 0u);
}

}  // namespace
