// The map file under faults made for real: links, read-only files, another
// user's file, a file size limit, a Ctrl-C during the save, a second writer.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "safety/SafetyTools.h"
#include "sim/DocumentFile.h"
#include "sim/Host.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;
using kztest::ProcessLimits;
using kztest::ReadFile;
using kztest::RunKzmap;
using kztest::ScratchFolder;
using safety::Snapshot;

// A command that changes the map a little: it selects the first object.
std::vector<std::string> SelectFirst(const std::string& map) { return {"attr", map, "search", "名前", "--text", "一"}; }

size_t SelectedCount(const std::string& map) {
  sim::Host host;
  sim::LoadDocumentFile(host, map);
  return host.SelectedArt().size();
}

TEST(LinkedMap, IsSavedToItsTargetAndStaysALink) {
  ScratchFolder folder;
  fs::create_directory(folder / "real");
  const std::string target = safety::WriteSmallMap(folder / "real" / "m.kzmap");
  ASSERT_EQ(RunKzmap({"attr", target, "search", "名前", "--text", "無"}).status, 0);
  ASSERT_EQ(SelectedCount(target), 0u);
  const fs::path link = folder / "link.kzmap";
  fs::create_symlink(target, link);
  const auto run = RunKzmap(SelectFirst(link.string()));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::read_symlink(link), fs::path(target));
  EXPECT_EQ(SelectedCount(target), 1u);
  EXPECT_TRUE(safety::Leftovers(folder.Path(), {"real", "link.kzmap"}).empty());
  EXPECT_TRUE(safety::Leftovers(folder / "real", {"m.kzmap"}).empty());
}

TEST(ReadOnlyMap, IsRefusedAndKept) {
  ScratchFolder folder;
  const std::string map = safety::WriteSmallMap(folder / "m.kzmap");
  fs::permissions(map, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const auto before = Snapshot(folder.Path());
  const auto run = RunKzmap(SelectFirst(map));
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("read-only"), std::string::npos) << run.err;
  EXPECT_EQ(Snapshot(folder.Path()), before);
  EXPECT_EQ(fs::status(map).permissions(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

TEST(AnotherUsersMap, KeepsItsModeAndOwner) {
  ScratchFolder folder;
  const std::string map = safety::WriteSmallMap(folder / "m.kzmap");
  ASSERT_EQ(::chmod(map.c_str(), 0640), 0);
  // Only the superuser may give a file away; others keep the mode only.
  const bool root = ::geteuid() == 0;
  if (root) ASSERT_EQ(::chown(map.c_str(), 65534, 65534), 0);
  const auto run = RunKzmap({"attr", map, "search", "名前", "--text", "無"});
  ASSERT_EQ(run.status, 0) << run.err;
  struct stat info {};
  ASSERT_EQ(::stat(map.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  if (root) {
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(info.st_gid, 65534u);
  }
}

TEST(MapOnAFullDisk, KeepsTheOldMap) {
  ScratchFolder folder;
  const std::string map = safety::WriteSmallMap(folder / "m.kzmap");
  const auto before = Snapshot(folder.Path());
  ProcessLimits limits;
  limits.fileSizeBytes = fs::file_size(map) / 2;  // the saved map is about as big as the old one
  const auto run = RunKzmap(SelectFirst(map), limits);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("File too large"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("was not saved"), std::string::npos) << run.err;
  EXPECT_EQ(Snapshot(folder.Path()), before);
}

// A real full disk: a small tmpfs, where the system allows mounting one.
TEST(MapOnAFullDisk, KeepsTheOldMapOnATmpfs) {
  ScratchFolder folder;
  const fs::path mount = folder / "disk";
  fs::create_directory(mount);
  if (::mount("tmpfs", mount.c_str(), "tmpfs", 0, "size=256k") != 0)
    GTEST_SKIP() << "no tmpfs can be mounted here (" << std::strerror(errno) << "); the file size limit tests stand in";
  struct Unmount {
    fs::path at;
    ~Unmount() { ::umount(at.c_str()); }
  } unmount{mount};
  const std::string map = safety::WriteLargeMap(mount / "m.kzmap", 3000);
  // Fill the disk but for a few kilobytes.
  {
    std::string block(4096, 'x');
    std::FILE* filler = std::fopen((mount / "filler").c_str(), "wb");
    ASSERT_NE(filler, nullptr);
    while (std::fwrite(block.data(), 1, block.size(), filler) == block.size() && std::fflush(filler) == 0) {
    }
    std::fclose(filler);
  }
  const auto before = Snapshot(mount);
  const auto run = RunKzmap(SelectFirst(map));
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("No space left on device"), std::string::npos) << run.err;
  EXPECT_EQ(Snapshot(mount), before);
  const auto render = RunKzmap({"render", map, (mount / "p.pdf").string()});
  EXPECT_EQ(render.status, 1) << render.err;
  EXPECT_EQ(Snapshot(mount), before);
}

// Ctrl-C while the map is being written: the command is cancelled, the
// temporary file removed and the map kept.
TEST(InterruptDuringTheSave, CancelsCleanly) {
  ScratchFolder folder;
  const std::string map = safety::WriteLargeMap(folder / "m.kzmap", 200000);
  const std::string old = ReadFile(map);
  int cancelled = 0;
  for (int attempt = 0; attempt < 3 && cancelled == 0; ++attempt) {
    const std::string out = (folder / "out").string(), err = (folder / "err").string();
    const pid_t pid = kztest::StartKzmap({"attr", map, "search", "名前", "--text", "無"}, out, err);
    // The save has begun once its temporary file is there.
    bool seen = false;
    for (int wait = 0; wait < 6000 && !seen; ++wait) {
      for (const auto& entry : fs::directory_iterator(folder.Path())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("m.kzmap.", 0) == 0 && name.size() == 14 && name != "m.kzmap.lock") seen = true;
      }
      if (!seen) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(seen) << "the save never began";
    ::kill(pid, SIGINT);
    const auto run = kztest::WaitFor(pid, out, err);
    EXPECT_EQ(run.signal, 0) << run.err;
    EXPECT_TRUE(safety::Leftovers(folder.Path(), {"m.kzmap", "out", "err"}).empty());
    if (run.status == 0) continue;  // the save was already past its last check
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("cancelled; " + map + " was not saved"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(map), old);
    ++cancelled;
  }
  EXPECT_EQ(cancelled, 1);
}

// Holds the lock of a map as another kzmap would.
class ForeignLock {
 public:
  explicit ForeignLock(const std::string& map) {
    fd = ::open((map + ".lock").c_str(), O_RDWR | O_CREAT, 0666);
    struct flock region {};
    region.l_type = F_WRLCK;
    region.l_whence = SEEK_SET;
    locked = fd >= 0 && ::fcntl(fd, F_SETLK, &region) == 0;
  }
  ~ForeignLock() { Release(); }
  void Release() {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  bool locked = false;

 private:
  int fd = -1;
};

TEST(SecondWriter, FailsClearlyWhileTheFirstHoldsTheMap) {
  ScratchFolder folder;
  const std::string map = safety::WriteSmallMap(folder / "m.kzmap");
  ForeignLock lock(map);
  ASSERT_TRUE(lock.locked);
  const auto before = ReadFile(map);
  ProcessLimits limits;
  limits.environment = {"KZMAP_LOCK_WAIT_MS=300"};
  const auto run = RunKzmap(SelectFirst(map), limits);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find(map + " is being changed by another kzmap, process " + std::to_string(::getpid())),
            std::string::npos)
      << run.err;
  EXPECT_EQ(ReadFile(map), before);
  // In the user's language.
  limits.environment.push_back("LC_ALL=");
  limits.environment.push_back("LC_MESSAGES=");
  limits.environment.push_back("LANGUAGE=");
  limits.environment.push_back("LANG=ja_JP.UTF-8");
  const auto japanese = RunKzmap(SelectFirst(map), limits);
  EXPECT_EQ(japanese.status, 1) << japanese.err;
  EXPECT_NE(japanese.err.find(map + " は別の kzmap（プロセス " + std::to_string(::getpid()) + "）が変更しています"),
            std::string::npos)
      << japanese.err;
  limits.environment.resize(1);
  // Readers read the whole map as it is.
  EXPECT_EQ(RunKzmap({"info", map}, limits).status, 0);
  EXPECT_EQ(RunKzmap({"render", map, (folder / "p.png").string()}, limits).status, 0);
}

TEST(SecondWriter, WaitsForTheFirstToFinish) {
  ScratchFolder folder;
  const std::string map = safety::WriteSmallMap(folder / "m.kzmap");
  ASSERT_EQ(RunKzmap({"attr", map, "search", "名前", "--text", "無"}).status, 0);
  ForeignLock lock(map);
  ASSERT_TRUE(lock.locked);
  std::thread release([&lock] {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    lock.Release();
  });
  ProcessLimits limits;
  limits.environment = {"KZMAP_LOCK_WAIT_MS=20000"};
  const auto run = RunKzmap(SelectFirst(map), limits);
  release.join();
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(SelectedCount(map), 1u);
  EXPECT_TRUE(safety::Leftovers(folder.Path(), {"m.kzmap"}).empty());
}

}  // namespace

namespace {

// Two imports started together: the second waits for the first and both
// layers are in the map.
TEST(TwoImportsAtOnce, KeepBothLayers) {
  ScratchFolder folder;
  const std::string map = safety::WriteSmallMap(folder / "m.kzmap");
  for (const char* name : {"甲.csv", "乙.csv"})
    kztest::WriteFile(folder / name, "緯度,経度,名前\n35.66,139.74,東京\n");
  ProcessLimits limits;
  limits.environment = {"KZMAP_LOCK_WAIT_MS=60000"};
  const std::string o1 = (folder / "o1").string(), e1 = (folder / "e1").string();
  const std::string o2 = (folder / "o2").string(), e2 = (folder / "e2").string();
  const pid_t first = kztest::StartKzmap({"import", map, (folder / "甲.csv").string()}, o1, e1, limits);
  const pid_t second = kztest::StartKzmap({"import", map, (folder / "乙.csv").string()}, o2, e2, limits);
  const auto run1 = kztest::WaitFor(first, o1, e1), run2 = kztest::WaitFor(second, o2, e2);
  ASSERT_EQ(run1.status, 0) << run1.err;
  ASSERT_EQ(run2.status, 0) << run2.err;
  sim::Host host;
  sim::LoadDocumentFile(host, map);
  EXPECT_NE(host.FindLayer("甲"), nullptr);
  EXPECT_NE(host.FindLayer("乙"), nullptr);
}

}  // namespace
