// A normal build leaves a command's model for the end of the process to
// reclaim instead of freeing it object by object. What the user sees must
// not change: the same exit status, the same messages, standard output
// whole when it is a pipe, output files and the map whole. Each command is
// run both ways (KZMAP_FREE_AT_EXIT=1 frees, =0 leaves, as a normal build
// does) on the same files, and the two runs compared.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "safety/SafetyTools.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;
using Folder = kztest::ScratchFolder;

struct ExitCase {
  const char* label;
  std::vector<std::string> arguments;  // after MAP; "OUT/x" is a file in the output folder
  int status;
  bool printsOutput;  // the command writes to standard output
};

void PrintTo(const ExitCase& c, std::ostream* out) { *out << c.label; }

struct Outcome {
  kztest::CommandResult run;
  std::map<std::string, std::string> folder, out;  // the map's folder and the output folder
};

// Leaving the model is what a normal build does; under the sanitizers the
// leak check is turned off for that run only.
std::vector<std::string> Environment(bool leave) {
  if (!leave) return {"KZMAP_FREE_AT_EXIT=1"};
  return {"KZMAP_FREE_AT_EXIT=0", "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1"};
}

Outcome RunIn(const fs::path& folder, const std::string& mapBytes, const ExitCase& c, bool leave) {
  const fs::path map = folder / "m.kzmap", out = folder / "out";
  fs::remove_all(out);
  fs::create_directory(out);
  kztest::WriteFile(map, mapBytes);
  std::vector<std::string> line{c.arguments.front(), map.string()};
  for (size_t i = 1; i < c.arguments.size(); ++i) {
    const std::string& word = c.arguments[i];
    line.push_back(word.rfind("OUT/", 0) == 0 ? (out / word.substr(4)).string() : word);
  }
  kztest::ProcessLimits limits;
  limits.environment = Environment(leave);
  // Through FIFOs, so that standard output is a pipe (fully buffered).
  limits.fileSizeBytes = 1ll << 40;
  Outcome outcome;
  outcome.run = kztest::RunKzmap(line, limits);
  outcome.folder = safety::Snapshot(folder);
  outcome.out = safety::Snapshot(out);
  return outcome;
}

class LeftAtExit : public testing::TestWithParam<ExitCase> {};

TEST_P(LeftAtExit, EverythingTheCommandWritesIsThere) {
  Folder folder;
  const std::string mapBytes = kztest::ReadFile(safety::WriteSmallMap(folder / "m.kzmap"));
  const Outcome freed = RunIn(folder.Path(), mapBytes, GetParam(), false);
  const Outcome left = RunIn(folder.Path(), mapBytes, GetParam(), true);

  EXPECT_EQ(freed.run.status, GetParam().status) << freed.run.err;
  EXPECT_EQ(left.run.status, GetParam().status) << left.run.err;
  EXPECT_EQ(left.run.signal, 0);
  EXPECT_EQ(left.run.err, freed.run.err);
  EXPECT_EQ(left.run.out, freed.run.out);
  EXPECT_EQ(GetParam().printsOutput, !left.run.out.empty());
  EXPECT_TRUE(left.folder == freed.folder) << "the map or what lies beside it differs";
  EXPECT_TRUE(left.out == freed.out) << "the output files differ";
  EXPECT_EQ(left.out.empty(), freed.out.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Commands, LeftAtExit,
    testing::Values(ExitCase{"Info", {"info"}, 0, true}, ExitCase{"InfoJson", {"info", "--json"}, 0, true},
                    ExitCase{"AttrList", {"attr", "list"}, 0, true},
                    ExitCase{"ExportShapefile", {"export", "OUT/m.shp", "--target", "all"}, 0, false},
                    ExitCase{"ExportText", {"export", "OUT/m.csv", "--format", "csv", "--target", "all"}, 0, false},
                    ExitCase{"ExportIntoNoFolder", {"export", "OUT/none/m.shp", "--target", "all"}, 1, false},
                    ExitCase{"RenderPng", {"render", "OUT/m.png"}, 0, false},
                    ExitCase{"Svg", {"svg", "OUT/m.svg"}, 0, false},
                    ExitCase{"AttrSetSavesTheMap", {"attr", "set", "値=7"}, 0, true},
                    ExitCase{"AttrSetOfAMissingField", {"attr", "set", "無い=1"}, 1, false},
                    ExitCase{"Upgrade", {"upgrade"}, 0, false}),
    [](const testing::TestParamInfo<ExitCase>& info) { return std::string(info.param.label); });

// Output that cannot be written fails the command either way.
TEST(LeftAtExitOutput, InfoIntoAFullDiskFails) {
  Folder folder;
  const std::string map = safety::WriteSmallMap(folder / "m.kzmap");
  for (const bool leave : {false, true}) {
    std::string environment;
    for (const std::string& word : Environment(leave)) environment += word + " ";
    const auto run = kztest::RunKzmap("info " + kztest::Quote(map) + " > /dev/full", "", environment);
    EXPECT_EQ(run.status, 1) << (leave ? "left: " : "freed: ") << run.err;
  }
}

}  // namespace
