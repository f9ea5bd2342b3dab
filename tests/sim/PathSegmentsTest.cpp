// A path gives back the segments it was given, bit for bit, whether it keeps
// anchors alone (every segment a straight corner) or every segment whole:
// held, written through the path suite whole or piece by piece, and saved
// and loaded.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "host/AIPathSuite.h"
#include "host/HostRef.h"
#include "host/SuitePointers.h"
#include "sim/DocumentFile.h"
#include "sim/Host.h"
#include "sim/PathSegments.h"
#include "support/HostEnvironment.h"

namespace {

AIPathSegment Segment(float h, float v, float inH, float inV, float outH, float outV, bool corner) {
  return AIPathSegment{{h, v}, {inH, inV}, {outH, outV}, corner};
}
AIPathSegment Corner(float h, float v) { return Segment(h, v, h, v, h, v, true); }
float NextUp(float value) { return std::nextafter(value, INFINITY); }

struct Shape {
  const char* name;
  std::vector<AIPathSegment> segments;
  bool anchorsAlone;  // whether the path needs no more than its anchors
};

// Bit for bit, so that -0 and a one-ulp handle are told apart.
void ExpectSameSegments(const std::vector<AIPathSegment>& got, const std::vector<AIPathSegment>& want,
                        const std::string& where) {
  ASSERT_EQ(got.size(), want.size()) << where;
  for (size_t i = 0; i < got.size(); ++i) {
    const AIPathSegment &a = got[i], &b = want[i];
    EXPECT_EQ(std::memcmp(&a.p, &b.p, sizeof a.p), 0) << where << " anchor " << i;
    EXPECT_EQ(std::memcmp(&a.in, &b.in, sizeof a.in), 0) << where << " in-handle " << i;
    EXPECT_EQ(std::memcmp(&a.out, &b.out, sizeof a.out), 0) << where << " out-handle " << i;
    EXPECT_EQ(a.corner != 0, b.corner != 0) << where << " corner " << i;
  }
}

// The 2.5 pt square an import draws for a point, and its near misses.
const Shape kShapes[] = {
    {"PointMark", {Corner(10, 12.5f), Corner(12.5f, 12.5f), Corner(12.5f, 10), Corner(10, 10)}, true},
    {"StraightButOneSmooth",
     {Corner(10, 12.5f), Corner(12.5f, 12.5f), Segment(12.5f, 10, 12.5f, 10, 12.5f, 10, false), Corner(10, 10)},
     false},
    {"InHandleOneUlpOff",
     {Corner(10, 12.5f), Segment(12.5f, 12.5f, NextUp(12.5f), 12.5f, 12.5f, 12.5f, true), Corner(12.5f, 10)},
     false},
    {"OutHandleOneUlpOff",
     {Corner(10, 12.5f), Corner(12.5f, 12.5f), Segment(12.5f, 10, 12.5f, 10, 12.5f, NextUp(10), true)},
     false},
    {"NegativeZeroHandle", {Segment(0, 0, -0.0f, 0, 0, 0, true), Corner(1, 0)}, false},
    {"NegativeZeroAnchors", {Segment(-0.0f, 0, -0.0f, 0, -0.0f, 0, true), Corner(1, -0.0f)}, true},
    {"Curve", {Segment(0, 0, -1, 0, 1, 0, false), Segment(4, 4, 4, 3, 4, 5, false)}, false},
    {"OneAnchor", {Corner(3, 4)}, true},
    {"NoSegments", {}, true},
};

class PathSegmentsShape : public ::testing::TestWithParam<Shape> {};

TEST_P(PathSegmentsShape, HoldsWhatItWasGiven) {
  const Shape& shape = GetParam();
  const sim::PathSegments held(shape.segments);
  ExpectSameSegments(held.ToVector(), shape.segments, "held");
  ExpectSameSegments(std::vector<AIPathSegment>(held.begin(), held.end()), shape.segments, "walked");
  EXPECT_EQ(held.Straight(), shape.anchorsAlone);
  const sim::PathSegments copy = held;
  ExpectSameSegments(copy.ToVector(), shape.segments, "copied");
}

// A segment changed to a curve and back leaves the path as it was, kept as
// compactly as before.
TEST_P(PathSegmentsShape, ChangedAndChangedBack) {
  const Shape& shape = GetParam();
  if (shape.segments.empty()) return;
  sim::PathSegments held(shape.segments);
  for (size_t i = 0; i < shape.segments.size(); ++i) {
    const AIPathSegment curve = Segment(7, 8, 6, 8, 9, 8, false);
    held.Set(i, &curve, 1);
    EXPECT_FALSE(held.Straight());
    held.Set(i, &shape.segments[i], 1);
    ExpectSameSegments(held.ToVector(), shape.segments, "segment " + std::to_string(i) + " changed back");
    EXPECT_EQ(held.Straight(), shape.anchorsAlone) << i;
  }
}

class PathSuiteShape : public kztest::HostTest, public ::testing::WithParamInterface<Shape> {};

std::vector<AIPathSegment> SegmentsOf(AIArtHandle path) {
  int16_t count = -1;
  EXPECT_EQ(sAIPath->GetPathSegmentCount(path, &count), kNoErr);
  std::vector<AIPathSegment> segments(static_cast<size_t>(std::max<int16_t>(count, 0)));
  EXPECT_EQ(sAIPath->GetPathSegments(path, 0, count, segments.data()), kNoErr);
  return segments;
}

TEST_P(PathSuiteShape, ComesBackThroughThePathSuiteAndAFile) {
  const Shape& shape = GetParam();
  sim::Host& host = this->host.Host();
  sim::Document& document = host.NewDocument();
  sim::Layer& layer = host.AddLayer("L");
  const auto count = static_cast<int16_t>(shape.segments.size());

  // Whole, over a path that held a curve.
  AIArtHandle whole = sim::Host::Handle(host.AddCurvedPath(*layer.group, {Segment(0, 0, 1, 1, 2, 2, false)}, true));
  ASSERT_EQ(sAIPath->SetPathSegmentCount(whole, count), kNoErr);
  ASSERT_EQ(sAIPath->SetPathSegments(whole, 0, count, shape.segments.data()), kNoErr);
  ExpectSameSegments(SegmentsOf(whole), shape.segments, "set whole");

  // Piece by piece from the end, each piece past the end growing the path.
  AIArtHandle pieces = sim::Host::Handle(host.AddPath(*layer.group, {}, true));
  for (int16_t i = 0; i < count; ++i)
    ASSERT_EQ(sAIPath->SetPathSegments(pieces, i, 1, &shape.segments[static_cast<size_t>(i)]), kNoErr);
  ExpectSameSegments(SegmentsOf(pieces), shape.segments, "set piece by piece");

  sim::Document loaded;
  sim::DocumentFromBytes(loaded, sim::DocumentToBytes(document), "paths.kzmap");
  ASSERT_EQ(loaded.layers.size(), 1u);
  const sim::ArtList& art = loaded.layers[0]->group->children;
  ASSERT_EQ(art.size(), 2u);
  for (const sim::Art* path : art) {
    ExpectSameSegments(path->Segments().ToVector(), shape.segments, "saved and loaded");
    EXPECT_EQ(path->Segments().Straight(), shape.anchorsAlone);
  }
}

const auto kShapeName = [](const ::testing::TestParamInfo<Shape>& info) { return std::string(info.param.name); };
INSTANTIATE_TEST_SUITE_P(Shapes, PathSegmentsShape, ::testing::ValuesIn(kShapes), kShapeName);
INSTANTIATE_TEST_SUITE_P(Shapes, PathSuiteShape, ::testing::ValuesIn(kShapes), kShapeName);

}  // namespace
