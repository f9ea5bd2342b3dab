// The file a map is saved through: bytes known only later (a run's length
// and summary) are left as a hole and filled in place, whatever the file's
// stream still holds unwritten, and the file is replaced only when whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "document/DocumentCompare.h"
#include "sim/DocumentFile.h"
#include "sim/DocumentPackWriter.h"
#include "sim/Host.h"
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

// The bytes handed on, and the longest piece.
class PieceSink : public sim::PackSink {
 public:
  void Write(const char* data, size_t size) override {
    bytes.append(data, size);
    longest = std::max(longest, size);
  }
  void Hole(size_t size) override {
    holeAt = bytes.size();
    bytes.append(size, '\0');
  }
  void Fill(uint64_t offset, const char* data, size_t size) override {
    ASSERT_EQ(offset, holeAt);
    bytes.replace(offset, size, data, size);
  }
  std::string bytes;
  size_t longest = 0;

 private:
  uint64_t holeAt = 0;
};

struct BigObject {
  const char* name;
  std::function<void(sim::Host&, sim::Layer&)> build;
};

void PrintTo(const BigObject& object, std::ostream* out) { *out << object.name; }

class PiecesHandedOn : public ::testing::TestWithParam<BigObject> {};

// An object of a hundred kilobytes and more is handed on in pieces as it is written,
// not held whole, and reads back as it was.
TEST_P(PiecesHandedOn, StaySmallWhateverTheObject) {
  constexpr size_t kPieceBytes = 4096;
  sim::Host host;
  sim::Document& document = host.NewDocument();
  GetParam().build(host, host.AddLayer("L"));
  PieceSink sink;
  sim::WriteDocumentPack(document, sink, "pieces.kzmap", sim::kArtRunBytes, kPieceBytes);
  EXPECT_GT(sink.bytes.size(), 16 * kPieceBytes);
  // A piece, and the last number or point written before it was handed on.
  EXPECT_LE(sink.longest, kPieceBytes + 64);
  sim::Document loaded;
  sim::DocumentFromBytes(loaded, sink.bytes, "pieces.kzmap");
  kztest::ExpectSameDocument(document, loaded);
}

constexpr int kMany = 30000;

INSTANTIATE_TEST_SUITE_P(
    Objects, PiecesHandedOn,
    ::testing::Values(
        BigObject{"StraightPath",
                  [](sim::Host& host, sim::Layer& layer) {
                    std::vector<AIRealPoint> points;
                    for (int i = 0; i < kMany; ++i) points.push_back({static_cast<float>(i), static_cast<float>(-i)});
                    host.AddPath(*layer.group, points, false);
                  }},
        BigObject{"CurvedPath",
                  [](sim::Host& host, sim::Layer& layer) {
                    std::vector<AIPathSegment> segments;
                    for (int i = 0; i < kMany; ++i) {
                      const auto x = static_cast<float>(i);
                      segments.push_back(kztest::Curve(x, 1, x - 0.5f, 2, x + 0.5f, 0, i % 2 == 0));
                    }
                    host.AddCurvedPath(*layer.group, segments, true);
                  }},
        BigObject{"ListOfNumbers",
                  [](sim::Host& host, sim::Layer& layer) {
                    sim::Art& mark = host.AddPath(*layer.group, {{0, 0}, {1, 1}}, false);
                    sim::ArrayPtr list = sim::NewArray();
                    for (int i = 0; i < kMany; ++i) list->push_back(sim::Value{static_cast<double>(i) / 7});
                    mark.Dict() = sim::NewDictionary();
                    mark.Dict()->Set("list", sim::Value{list});
                  }},
        BigObject{"ManyKeys",
                  [](sim::Host& host, sim::Layer& layer) {
                    sim::Art& mark = host.AddPath(*layer.group, {{0, 0}, {1, 1}}, false);
                    mark.Dict() = sim::NewDictionary();
                    for (int i = 0; i < kMany / 5; ++i) mark.Dict()->Set("key" + std::to_string(i), sim::Value{i});
                  }}),
    [](const ::testing::TestParamInfo<BigObject>& info) { return std::string(info.param.name); });

}  // namespace
