// A PNG of an artboard that is not a whole number of pixels wide or high:
// the last column and row reach past the paper and must be paper too, so
// the picture is opaque — an RGB PNG (colour type 2 in its header), not an
// RGBA one with a half-transparent edge.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "sim/DocumentFile.h"
#include "sim/Host.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace {

uint32_t BigEndian(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

TEST(PictureEdge, APngOfAFractionalArtboardIsOpaque) {
  kztest::ScratchFolder folder;
  sim::Host host;
  sim::Document& document = host.NewDocument({0, 100.5f, 200.5f, 0});
  sim::Layer& layer = host.AddLayer("地図");
  sim::Art& square = host.AddPath(*layer.group, {{20, 20}, {60, 20}, {60, 60}}, true);
  host.EditStyle(&square, [](AIPathStyle& style) {
    style.fillPaint = true;
    style.fill.color = AIColor::Three(0.2f, 0.5f, 0.8f);
  });
  const std::string map = folder.PathText("m.kzmap");
  sim::SaveDocumentFile(document, map);
  const std::string png = folder.PathText("m.png");

  const auto run = kztest::RunKzmap({"render", map, png});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string bytes = kztest::ReadFile(png);
  ASSERT_GE(bytes.size(), 26u);
  ASSERT_EQ(bytes.substr(12, 4), "IHDR");
  EXPECT_EQ(BigEndian(bytes, 16), 201u);  // 200.5 points at 72 dpi, rounded up
  EXPECT_EQ(BigEndian(bytes, 20), 101u);
  EXPECT_EQ(static_cast<int>(bytes[25]), 2) << "colour type: 2 is RGB, 6 RGB with alpha";
}

}  // namespace
