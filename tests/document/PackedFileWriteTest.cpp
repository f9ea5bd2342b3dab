// The file a map is saved through: bytes known only later (a run's length
// and summary) are left as a hole and filled in place, whatever the file's
// stream still holds unwritten, and the file is replaced only when whole.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/DocumentFile.h"
#include "sim/DocumentPackWriter.h"
#include "support/ScratchFolder.h"

namespace {

struct Step {
  enum Kind { write, hole, fill } kind;
  std::string bytes;  // written or filled in; a hole of as many bytes
  uint64_t offset = 0;  // of a fill
};

struct HoleCase {
  const char* name;
  std::vector<Step> steps;
  std::string expected;
};

void PrintTo(const HoleCase& c, std::ostream* out) { *out << c.name; }

void Replay(sim::PackSink& sink, const std::vector<Step>& steps) {
  for (const Step& step : steps) {
    switch (step.kind) {
      case Step::write: sink.Write(step.bytes.data(), step.bytes.size()); break;
      case Step::hole: sink.Hole(step.bytes.size()); break;
      case Step::fill: sink.Fill(step.offset, step.bytes.data(), step.bytes.size()); break;
    }
  }
}

class HoleFilledInPlace : public ::testing::TestWithParam<HoleCase> {};

TEST_P(HoleFilledInPlace, TheFileHoldsTheFilledBytes) {
  kztest::ScratchFolder folder;
  const std::string path = folder.Write("m.kzmap", "old contents");
  sim::WritePackedFileAtomically(path, [](sim::PackSink& sink) { Replay(sink, GetParam().steps); });
  EXPECT_TRUE(kztest::ScratchFolder::Read(path) == GetParam().expected);
  EXPECT_EQ(folder.FileCount(), 1u);
}

const std::string kLong(100000, 'b');

INSTANTIATE_TEST_SUITE_P(
    Holes, HoleFilledInPlace,
    ::testing::Values(
        HoleCase{"AtTheStart", {{Step::hole, "..."}, {Step::write, "abcd"}, {Step::fill, "xyz", 0}}, "xyzabcd"},
        // Everything still in the stream's buffer when the hole is filled.
        HoleCase{"BetweenSmallWrites",
                 {{Step::write, "ab"}, {Step::hole, "...."}, {Step::write, "cd"}, {Step::fill, "WXYZ", 2}},
                 "abWXYZcd"},
        HoleCase{"BeforeALongWrite",
                 {{Step::write, "a"}, {Step::hole, ".."}, {Step::write, kLong}, {Step::fill, "QR", 1}, {Step::write, "c"}},
                 "aQR" + kLong + "c"},
        HoleCase{"OneAfterAnother",
                 {{Step::hole, ".."},
                  {Step::write, "m"},
                  {Step::fill, "12", 0},
                  {Step::write, "n"},
                  {Step::hole, "..."},
                  {Step::write, "o"},
                  {Step::fill, "345", 4}},
                 "12mn345o"}),
    [](const ::testing::TestParamInfo<HoleCase>& info) { return std::string(info.param.name); });

// A writer that leaves a hole unfilled, or fills another place, is a fault
// in the program: the old file stays.
TEST(PackedFileWrite, AFillThatIsNotTheHoleLeavesTheOldFile) {
  const std::vector<std::vector<Step>> wrong{
      {{Step::write, "ab"}, {Step::hole, ".."}, {Step::write, "c"}},
      {{Step::write, "ab"}, {Step::hole, ".."}, {Step::fill, "xy", 1}},
      {{Step::write, "ab"}, {Step::hole, ".."}, {Step::fill, "xyz", 2}},
      {{Step::write, "ab"}, {Step::fill, "xy", 0}},
  };
  for (const std::vector<Step>& steps : wrong) {
    kztest::ScratchFolder folder;
    const std::string path = folder.Write("m.kzmap", "old contents");
    EXPECT_THROW(sim::WritePackedFileAtomically(path, [&steps](sim::PackSink& sink) { Replay(sink, steps); }),
                 std::logic_error);
    EXPECT_EQ(kztest::ScratchFolder::Read(path), "old contents");
    EXPECT_EQ(folder.FileCount(), 1u);
  }
}

}  // namespace
