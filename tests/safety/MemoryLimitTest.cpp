// Work the machine cannot hold stops before it starts, with a message that
// names the file and the sizes, and leaves the map as it was. The machine's
// available memory is given to kzmap through KZMAP_MEMORY_AVAILABLE.
#include <gtest/gtest.h>

#include <filesystem>
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

std::string Points(int count) {
  std::string text = "緯度,経度,名前\n";
  for (int i = 0; i < count; ++i) text += "35.6" + std::to_string(i % 10) + ",139.7,点" + std::to_string(i) + "\n";
  return text;
}

kztest::ProcessLimits Available(const std::string& bytes) {
  kztest::ProcessLimits limits;
  limits.environment = {"KZMAP_MEMORY_AVAILABLE=" + bytes};
  return limits;
}

TEST(MemoryLimit, AnImportTooBigForTheMachineStopsBeforeTheMapIsMade) {
  Folder folder;
  const fs::path csv = folder / "点.csv";
  kztest::WriteFile(csv, Points(5000));
  const std::string map = (folder / "new.kzmap").string();
  const auto run = Kzmap({"import", map, csv.string()}, Available("20000000"));
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("kzmap import: the import needs about "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("only 20 MB are available"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(csv.string() + " holds about 5001 objects"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(map));
  EXPECT_TRUE(safety::Leftovers(folder.Path(), {"点.csv"}).empty());
}

TEST(MemoryLimit, AnImportThatFitsGoesAhead) {
  Folder folder;
  const fs::path csv = folder / "点.csv";
  kztest::WriteFile(csv, Points(50));
  const std::string map = (folder / "new.kzmap").string();
  const auto run = Kzmap({"import", map, csv.string()}, Available("1000000000"));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::exists(map));
}

// An existing map counts: the same file that fits a new map does not fit
// beside a large map.
TEST(MemoryLimit, TheOpenMapCountsAndIsLeftAsItWas) {
  Folder folder;
  const std::string map = safety::WriteLargeMap(folder / "m.kzmap", 200000);
  const fs::path csv = folder / "点.csv";
  kztest::WriteFile(csv, Points(10));
  const std::string before = kztest::ReadFile(map);
  const auto mapBytes = fs::file_size(map);
  ASSERT_GT(mapBytes, 1u << 20);
  // Enough for the tool and the file alone, and the map twice over, but
  // not for what the open map takes.
  const std::string available = std::to_string((34ull << 20) + 2 * mapBytes);
  const auto run = Kzmap({"import", map, csv.string()}, Available(available));
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("the open map takes about"), std::string::npos) << run.err;
  EXPECT_EQ(kztest::ReadFile(map), before);
}

struct OpenCase {
  const char* label;
  std::vector<std::string> arguments;  // after MAP; "OUT/x" names a file in the folder
  const char* says;
};

void PrintTo(const OpenCase& c, std::ostream* out) { *out << c.label; }

class OpeningTooBig : public testing::TestWithParam<OpenCase> {};

TEST_P(OpeningTooBig, StopsWithTheSizes) {
  Folder folder;
  const std::string map = safety::WriteLargeMap(folder / "m.kzmap", 2000);
  const std::string before = kztest::ReadFile(map);
  std::vector<std::string> line{GetParam().arguments.front(), map};
  for (size_t i = 1; i < GetParam().arguments.size(); ++i) {
    const std::string& word = GetParam().arguments[i];
    line.push_back(word.rfind("OUT/", 0) == 0 ? (folder / word.substr(4)).string() : word);
  }
  const auto run = Kzmap(line, Available("1000"));
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(run.signal, 0);
  EXPECT_NE(run.err.find(std::string(GetParam().says) + ": " + map + ": needs about "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("of memory to open, but only 1 MB is available; it was not opened"), std::string::npos)
      << run.err;
  EXPECT_EQ(kztest::ReadFile(map), before);
}

INSTANTIATE_TEST_SUITE_P(Commands, OpeningTooBig,
                         testing::Values(OpenCase{"InfoJson", {"info", "--json"}, "kzmap info"},
                                         OpenCase{"Export", {"export", "OUT/o.shp", "--target", "all"}, "kzmap export"},
                                         OpenCase{"Search", {"attr", "search", "名前", "--text", "一"}, "kzmap attr search"},
                                         OpenCase{"Render", {"render", "OUT/m.png"}, "kzmap render"}),
                         [](const testing::TestParamInfo<OpenCase>& info) { return std::string(info.param.label); });

// The text summary counts the map's big runs of art without reading them,
// so it is given where the map could not be opened whole, the same as
// where it could.
TEST(MemoryLimit, TheTextSummaryNeedsNoRoomForTheMap) {
  Folder folder;
  const std::string map = safety::WriteLargeMap(folder / "m.kzmap", 2000);
  const auto roomy = Kzmap({"info", map});
  ASSERT_EQ(roomy.status, 0) << roomy.err;
  const auto tight = Kzmap({"info", map}, Available("1000"));
  EXPECT_EQ(tight.status, 0) << tight.err;
  EXPECT_EQ(tight.out, roomy.out);
}

// A PNG's pixels are refused before they are allocated: 300 × 200 points
// at 720 dpi is 3000 × 2000 pixels of 4 bytes, 24,000,000 bytes.
TEST(MemoryLimit, APictureTooBigForTheMachineIsRefusedUpFront) {
  Folder folder;
  const std::string map = safety::WriteSmallMap(folder / "m.kzmap");
  const std::string png = (folder / "m.png").string();
  const auto refused = Kzmap({"render", map, png, "--dpi", "720"}, Available("23999999"));
  EXPECT_EQ(refused.status, 1) << refused.err;
  EXPECT_EQ(refused.signal, 0);
  EXPECT_NE(refused.err.find("kzmap render: " + png +
                             ": a picture of 3000 × 2000 pixels needs about 24 MB of memory, but only 23 MB are "
                             "available; nothing was drawn (lower --dpi)"),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(safety::Leftovers(folder.Path(), {"m.kzmap"}), std::vector<std::string>{});

  const auto drawn = Kzmap({"render", map, png, "--dpi", "720"}, Available("24000000"));
  EXPECT_EQ(drawn.status, 0) << drawn.err;
  EXPECT_TRUE(fs::exists(png));
  // SVG and PDF are written as they are drawn: no picture to hold.
  const auto svg = Kzmap({"render", map, (folder / "m.svg").string(), "--dpi", "720"}, Available("1000000"));
  EXPECT_EQ(svg.status, 0) << svg.err;
}

}  // namespace
