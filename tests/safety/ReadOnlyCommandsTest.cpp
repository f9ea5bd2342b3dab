// Commands that only read a map leave its file alone: the same bytes, the
// same file (no rename over it), the same modification time, no lock file
// and nothing left beside it; and they run while another kzmap holds the
// writer's lock. Commands that fail leave the map as it was, too.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "safety/SafetyTools.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;
using Folder = kztest::ScratchFolder;
kztest::CommandResult Kzmap(const std::vector<std::string>& arguments, const kztest::ProcessLimits& limits = {}) {
  return kztest::RunKzmap(arguments, limits);
}

struct FileState {
  std::string bytes;
  ino_t inode = 0;
  long long seconds = 0, nanoseconds = 0;
};

FileState StateOf(const fs::path& path) {
  FileState state;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return state;
  state.bytes = kztest::ReadFile(path);
  state.inode = info.st_ino;
  state.seconds = info.st_mtim.tv_sec;
  state.nanoseconds = info.st_mtim.tv_nsec;
  return state;
}

// A write lock on the map's lock file, as a kzmap changing the map holds it.
class WriterLock {
 public:
  explicit WriterLock(const std::string& map) {
    fd = ::open((map + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    struct flock region {};
    region.l_type = F_WRLCK;
    region.l_whence = SEEK_SET;
    locked = fd >= 0 && ::fcntl(fd, F_SETLK, &region) == 0;
  }
  ~WriterLock() {
    if (fd >= 0) ::close(fd);
  }
  WriterLock(const WriterLock&) = delete;
  WriterLock& operator=(const WriterLock&) = delete;
  bool locked = false;

 private:
  int fd = -1;
};

struct ReadOnlyCase {
  const char* label;
  std::vector<std::string> arguments;  // after MAP; "OUT/x" is a file in the output folder
  int status;                          // the command's exit status
};

void PrintTo(const ReadOnlyCase& c, std::ostream* out) { *out << c.label; }

class ReadOnlyCommand : public testing::TestWithParam<ReadOnlyCase> {
 protected:
  // The command line with MAP first and "OUT/" names put in the output folder.
  std::vector<std::string> Line(const std::string& map, const fs::path& out) const {
    const ReadOnlyCase& c = GetParam();
    std::vector<std::string> line{c.arguments.front(), map};
    for (size_t i = 1; i < c.arguments.size(); ++i) {
      const std::string& word = c.arguments[i];
      line.push_back(word.rfind("OUT/", 0) == 0 ? (out / word.substr(4)).string() : word);
    }
    return line;
  }
};

// Runs the command on a small map and checks that its file is as it was.
void ExpectTheMapLeftAlone(const ReadOnlyCommand& test, const std::function<std::vector<std::string>(
                                                            const std::string&, const fs::path&)>& line) {
  Folder folder;
  fs::create_directory(folder / "out");
  const std::string map = safety::WriteSmallMap(folder / "m.kzmap");
  // The file's time as another program left it, so that a rewrite within
  // the same clock tick still shows.
  const timespec past[2] = {{1000000000, 123456789}, {1000000000, 123456789}};
  ASSERT_EQ(::utimensat(AT_FDCWD, map.c_str(), past, 0), 0);
  const FileState before = StateOf(map);

  const auto run = Kzmap(line(map, folder / "out"));
  EXPECT_EQ(run.status, test.GetParam().status) << run.err;

  const FileState after = StateOf(map);
  EXPECT_TRUE(after.bytes == before.bytes) << "the map's bytes changed";
  EXPECT_EQ(after.inode, before.inode) << "the map was replaced";
  EXPECT_EQ(after.seconds, before.seconds);
  EXPECT_EQ(after.nanoseconds, before.nanoseconds);
  EXPECT_EQ(safety::Leftovers(folder.Path(), {"m.kzmap", "out"}), std::vector<std::string>{});
}

TEST_P(ReadOnlyCommand, LeavesTheMapFileAlone) {
  ExpectTheMapLeftAlone(*this, [this](const std::string& map, const fs::path& out) { return Line(map, out); });
}

TEST_P(ReadOnlyCommand, RunsWhileAWriterHoldsTheMap) {
  Folder folder;
  fs::create_directory(folder / "out");
  const std::string map = safety::WriteSmallMap(folder / "m.kzmap");
  WriterLock lock(map);
  ASSERT_TRUE(lock.locked);
  kztest::ProcessLimits limits;
  limits.environment = {"KZMAP_LOCK_WAIT_MS=0"};
  const auto run = Kzmap(Line(map, folder / "out"), limits);
  EXPECT_EQ(run.status, 0) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ReadOnlyCommand,
    testing::Values(ReadOnlyCase{"Info", {"info"}, 0}, ReadOnlyCase{"InfoJson", {"info", "--json"}, 0},
                    ReadOnlyCase{"RenderPng", {"render", "OUT/m.png"}, 0},
                    ReadOnlyCase{"RenderSvg", {"render", "OUT/m.svg"}, 0},
                    ReadOnlyCase{"RenderPdf", {"render", "OUT/m.pdf"}, 0},
                    ReadOnlyCase{"ExportShapefile", {"export", "OUT/m.shp", "--target", "all"}, 0},
                    ReadOnlyCase{"ExportText", {"export", "OUT/m.csv", "--format", "csv", "--target", "all"}, 0},
                    ReadOnlyCase{"AttrList", {"attr", "list"}, 0}),
    [](const testing::TestParamInfo<ReadOnlyCase>& info) { return std::string(info.param.label); });

// Commands that would change the map but fail leave it as it was.
class FailedCommand : public ReadOnlyCommand {};

TEST_P(FailedCommand, LeavesTheMapFileAlone) {
  ExpectTheMapLeftAlone(*this, [this](const std::string& map, const fs::path& out) { return Line(map, out); });
}

INSTANTIATE_TEST_SUITE_P(
    Commands, FailedCommand,
    testing::Values(ReadOnlyCase{"SetOfAMissingField", {"attr", "set", "無い=1"}, 1},
                    ReadOnlyCase{"SearchOfAMissingField", {"attr", "search", "無い", "--text", "一"}, 1}),
    [](const testing::TestParamInfo<ReadOnlyCase>& info) { return std::string(info.param.label); });

// `upgrade` of a map with nothing to convert, already in the current file
// version, says so and leaves the file as it is.
TEST(UpToDateMap, UpgradeLeavesItAlone) {
  Folder folder;
  const std::string map = safety::WriteSmallMap(folder / "m.kzmap");
  const timespec past[2] = {{1000000000, 123456789}, {1000000000, 123456789}};
  ASSERT_EQ(::utimensat(AT_FDCWD, map.c_str(), past, 0), 0);
  const FileState before = StateOf(map);

  const auto run = Kzmap({"upgrade", map});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("kzmap upgrade: " + map + " is already up to date; it was not rewritten"), std::string::npos)
      << run.err;
  const FileState after = StateOf(map);
  EXPECT_TRUE(after.bytes == before.bytes) << "the map's bytes changed";
  EXPECT_EQ(after.inode, before.inode) << "the map was replaced";
  EXPECT_EQ(after.seconds, before.seconds);
  EXPECT_EQ(after.nanoseconds, before.nanoseconds);
  EXPECT_EQ(safety::Leftovers(folder.Path(), {"m.kzmap"}), std::vector<std::string>{});
}

// A map of an earlier file version (JSON, packed without runs of art, with
// runs that refer to what came before them or that do not count their
// selected objects) is
// rewritten in the current version; the next upgrade, with nothing new to
// convert, leaves it alone.
class EarlierVersion : public ::testing::TestWithParam<const char*> {};

TEST_P(EarlierVersion, IsRewrittenOnce) {
  Folder folder;
  const fs::path map = folder / "old.kzmap";
  fs::copy_file(fs::path(KZ_SOURCE_DIR) / "tests/document/maps" / GetParam(), map);

  const auto first = Kzmap({"upgrade", map.string()});
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.err.find("already up to date"), std::string::npos) << first.err;
  const FileState upgraded = StateOf(map);
  EXPECT_EQ(upgraded.bytes.substr(0, 9), "\x89KZMAP\r\n\x06");

  const auto second = Kzmap({"upgrade", map.string()});
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_NE(second.err.find("is already up to date"), std::string::npos) << second.err;
  const FileState after = StateOf(map);
  EXPECT_TRUE(after.bytes == upgraded.bytes);
  EXPECT_EQ(after.inode, upgraded.inode) << "the map was replaced";
}

INSTANTIATE_TEST_SUITE_P(Files, EarlierVersion, ::testing::Values("version2.kzmap", "version3.kzmap", "version4.kzmap",
                                                            "version5.kzmap"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param).substr(0, 8);
                         });

}  // namespace
