// The JSON form writes each float in its shortest text, and the largest
// float's text (3.4028235e+38) is a hair above FLT_MAX as a double: it must
// read back as FLT_MAX, while a number that rounds to infinity is refused.
#include <gtest/gtest.h>

#include <cfloat>
#include <string>

#include "sim/DocumentFile.h"
#include "sim/Host.h"

namespace {

std::string JsonWithCorner(float x) {
  sim::Host host;
  sim::Document& document = host.NewDocument({0, 200, 300, 0});
  sim::Layer& layer = host.AddLayer("地図");
  host.AddPath(*layer.group, {{x, 10}, {50, 10}}, false);
  return sim::DocumentToJson(document);
}

TEST(JsonFloatRange, TheLargestFloatReadsBack) {
  for (const float x : {FLT_MAX, -FLT_MAX}) {
    const std::string json = JsonWithCorner(x);
    ASSERT_NE(json.find(x > 0 ? "3.4028235e+38" : "-3.4028235e+38"), std::string::npos) << json;
    sim::Document document;
    EXPECT_NO_THROW(sim::DocumentFromJson(document, json, "m.json"));
    EXPECT_EQ(sim::DocumentToJson(document), json);
  }
}

TEST(JsonFloatRange, ANumberThatRoundsToInfinityIsRefused) {
  std::string json = JsonWithCorner(FLT_MAX);
  const size_t at = json.find("3.4028235e+38");
  ASSERT_NE(at, std::string::npos);
  // Halfway between FLT_MAX and the next power of two rounds to infinity.
  json.replace(at, 13, "3.4028236e+38");
  sim::Document document;
  EXPECT_THROW(sim::DocumentFromJson(document, json, "m.json"), sim::DocumentFileError);
}

}  // namespace
