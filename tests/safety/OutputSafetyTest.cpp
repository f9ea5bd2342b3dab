// Exports and pictures under faults made for real: an output that is the map
// itself, a folder as the output, links planted where the old fixed part
// names were, two writers of one file, a file size limit (the system's
// "File too large"). Every file's bytes are compared before and after.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <thread>

#include "safety/SafetyTools.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;
using kztest::ProcessLimits;
using kztest::ReadFile;
using kztest::RunKzmap;
using kztest::ScratchFolder;
using safety::Snapshot;

struct SameFileCase {
  const char* label;
  const char* mapName;
  std::vector<std::string> command;  // MAP and OUT stand for the paths
  const char* outName;
};

class OutputIsTheMap : public ::testing::TestWithParam<SameFileCase> {};

TEST_P(OutputIsTheMap, IsRefusedAndTheMapKept) {
  ScratchFolder folder;
  const std::string map = safety::WriteSmallMap(folder / GetParam().mapName);
  std::string out = (folder / GetParam().outName).string();
  const bool link = std::string(GetParam().outName).rfind("link", 0) == 0;
  if (link) fs::create_symlink(map, out);
  const auto before = Snapshot(folder.Path());
  std::vector<std::string> arguments;
  for (const std::string& word : GetParam().command)
    arguments.push_back(word == "MAP" ? map : word == "OUT" ? out : word);
  const auto run = RunKzmap(arguments);
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_NE(run.err.find("is the map"), std::string::npos) << run.err;
  EXPECT_EQ(Snapshot(folder.Path()), before);
  EXPECT_TRUE(!link || fs::is_symlink(folder / GetParam().outName));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputIsTheMap,
    ::testing::Values(SameFileCase{"CsvOverTheMap", "m.kzmap", {"export", "MAP", "OUT", "--format", "csv"}, "m.kzmap"},
                      SameFileCase{"PngOverTheMap", "m.png", {"render", "MAP", "OUT"}, "m.png"},
                      SameFileCase{"PdfThroughALink", "m.kzmap", {"render", "MAP", "OUT"}, "link.pdf"},
                      SameFileCase{"CsvThroughALink", "m.kzmap", {"export", "MAP", "OUT", "--format", "csv"}, "link.csv"},
                      SameFileCase{"DbfOfTheShapefile", "out.dbf", {"export", "MAP", "OUT"}, "out.shp"},
                      SameFileCase{"PrjOfTheShapefile", "x.prj", {"export", "MAP", "OUT"}, "x.kzmap"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(FolderAsOutput, IsAUsageErrorWithoutPerLayer) {
  ScratchFolder folder;
  const std::string map = safety::WriteSmallMap(folder / "m.kzmap");
  fs::create_directory(folder / "out");
  const auto run = RunKzmap({"export", map, (folder / "out").string() + "/"});
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_NE(run.err.find("is a folder"), std::string::npos) << run.err;
  EXPECT_TRUE(fs::is_empty(folder / "out"));
  // With --per-layer the folder is what is asked for.
  ASSERT_EQ(RunKzmap({"export", map, (folder / "out").string(), "--per-layer"}).status, 0);
  EXPECT_TRUE(fs::exists(folder / "out" / "地物.shp"));
}

// A link planted where a temporary file once had a fixed name must not lead
// the export to write through it.
TEST(PlantedLinks, AreNeitherFollowedNorReplaced) {
  ScratchFolder folder;
  const std::string map = safety::WriteSmallMap(folder / "m.kzmap");
  const fs::path victim = folder / "victim.txt";
  kztest::WriteFile(victim, "precious");
  for (const char* name : {"out.csv.part", "out.shp.kzpart", "out.shx.kzpart", "out.dbf.kzpart", "out.prj.part",
                           "out.cpg.kzpart"})
    fs::create_symlink(victim, folder / name);
  ASSERT_EQ(RunKzmap({"export", map, (folder / "out.csv").string()}).status, 0);
  ASSERT_EQ(RunKzmap({"export", map, (folder / "out.shp").string()}).status, 0);
  EXPECT_EQ(ReadFile(victim), "precious");
  EXPECT_TRUE(fs::is_symlink(folder / "out.csv.part"));
  EXPECT_TRUE(fs::is_regular_file(folder / "out.shp"));
  EXPECT_TRUE(safety::Leftovers(folder.Path(), {"m.kzmap", "victim.txt", "out.*"}).empty());
  for (const auto& entry : fs::directory_iterator(folder.Path()))
    EXPECT_EQ(entry.path().filename().string().find(".kzmap."), std::string::npos) << entry.path();
}

// Two exports to one name at once: the file is one export or the other,
// never a mix of the two.
TEST(TwoWritersOfOneFile, LeaveOneWholeFile) {
  ScratchFolder folder;
  const std::string map = safety::WriteSmallMap(folder / "m.kzmap");
  const std::string out = (folder / "out.csv").string();
  const std::vector<std::string> metres{"export", map, out}, degrees{"export", map, out, "--to", "jgd2000:bl"};
  ASSERT_EQ(RunKzmap(metres).status, 0);
  const std::string inMetres = ReadFile(out);
  ASSERT_EQ(RunKzmap(degrees).status, 0);
  const std::string inDegrees = ReadFile(out);
  ASSERT_NE(inMetres, inDegrees);
  for (int round = 0; round < 4; ++round) {
    const std::string o1 = (folder / "o1").string(), e1 = (folder / "e1").string();
    const std::string o2 = (folder / "o2").string(), e2 = (folder / "e2").string();
    const pid_t first = kztest::StartKzmap(metres, o1, e1), second = kztest::StartKzmap(degrees, o2, e2);
    EXPECT_EQ(kztest::WaitFor(first, o1, e1).status, 0);
    EXPECT_EQ(kztest::WaitFor(second, o2, e2).status, 0);
    const std::string result = ReadFile(out);
    EXPECT_TRUE(result == inMetres || result == inDegrees) << result;
  }
  EXPECT_TRUE(safety::Leftovers(folder.Path(), {"m.kzmap", "out.csv", "o1", "o2", "e1", "e2"}).empty());
}

// The previous export's set, then an export that cannot be completed: every
// file of the old set keeps its bytes and nothing is left beside it.
TEST(FullDisk, KeepsThePreviousShapefileSetWhole) {
  ScratchFolder folder;
  const std::string map = safety::WriteLargeMap(folder / "m.kzmap", 4000);
  const std::string out = (folder / "out.shp").string();
  kztest::WriteFile(folder / "out.shp", "old shp");
  kztest::WriteFile(folder / "out.shx", "old shx");
  kztest::WriteFile(folder / "out.dbf", "old dbf");
  kztest::WriteFile(folder / "out.prj", "old prj");
  kztest::WriteFile(folder / "out.cpg", "old cpg");
  const auto before = Snapshot(folder.Path());
  ProcessLimits limits;
  limits.fileSizeBytes = 16000;  // the .shp needs about 64 kB
  const auto run = RunKzmap({"export", map, out, "--type", "polyline"}, limits);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("File too large"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("out.shp"), std::string::npos) << run.err;
  EXPECT_EQ(Snapshot(folder.Path()), before);
}

TEST(FullDisk, KeepsThePreviousTextFile) {
  ScratchFolder folder;
  const std::string map = safety::WriteSmallMap(folder / "m.kzmap");
  const std::string out = (folder / "out.csv").string();
  ASSERT_EQ(RunKzmap({"export", map, out, "--layer-field"}).status, 0);
  const auto before = Snapshot(folder.Path());
  ASSERT_GT(before.at("out.csv").size(), 100u);
  ProcessLimits limits;
  limits.fileSizeBytes = 100;
  const auto run = RunKzmap({"export", map, out, "--layer-field", "--encoding", "utf16"}, limits);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("File too large"), std::string::npos) << run.err;
  EXPECT_EQ(Snapshot(folder.Path()), before);
}

// A .prj or spatial index left by an earlier export describes other data:
// it goes in the same step as the set is replaced.
TEST(StaleCompanions, AreReplacedOrRemovedWithTheSet) {
  ScratchFolder folder;
  const std::string map = safety::WriteSmallMap(folder / "m.kzmap");
  const std::string out = (folder / "out.shp").string();
  ASSERT_EQ(RunKzmap({"export", map, out, "--to", "jgd2000:bl"}).status, 0);
  const std::string degreesPrj = ReadFile(folder / "out.prj");
  ASSERT_NE(degreesPrj.find("GEOGCS"), std::string::npos) << degreesPrj;
  kztest::WriteFile(folder / "out.qix", "index of the old geometry");
  kztest::WriteFile(folder / "out.sbn", "index of the old geometry");
  ASSERT_EQ(RunKzmap({"export", map, out}).status, 0);
  const std::string metresPrj = ReadFile(folder / "out.prj");
  EXPECT_NE(metresPrj.find("PROJCS"), std::string::npos) << metresPrj;
  EXPECT_FALSE(fs::exists(folder / "out.qix"));
  EXPECT_FALSE(fs::exists(folder / "out.sbn"));
  EXPECT_EQ(ReadFile(folder / "out.cpg"), "CP932");
}

struct PictureCase {
  const char* name;
  long long limit;
};

class PictureOnAFullDisk : public ::testing::TestWithParam<PictureCase> {};

// A render that fails leaves the earlier picture as it was and says why.
TEST_P(PictureOnAFullDisk, FailsAndKeepsTheOldPicture) {
  ScratchFolder folder;
  const std::string map = safety::WriteSmallMap(folder / "m.kzmap");
  const std::string picture = (folder / GetParam().name).string();
  ASSERT_EQ(RunKzmap({"render", map, picture}).status, 0);
  const auto before = Snapshot(folder.Path());
  ASSERT_GT(before.at(GetParam().name).size(), static_cast<size_t>(GetParam().limit));
  ProcessLimits limits;
  limits.fileSizeBytes = GetParam().limit;
  const auto run = RunKzmap({"render", map, picture, "--dpi", "144"}, limits);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("File too large"), std::string::npos) << run.err;
  EXPECT_EQ(Snapshot(folder.Path()), before);
}

INSTANTIATE_TEST_SUITE_P(Formats, PictureOnAFullDisk,
                         ::testing::Values(PictureCase{"p.pdf", 2000}, PictureCase{"p.svg", 1000},
                                           PictureCase{"p.png", 500}),
                         [](const auto& info) { return std::string(info.param.name).substr(2); });

}  // namespace
