#include <gtest/gtest.h>

#include <string>

#include "georef/MarkerText.h"

namespace {

struct MarkerTextCase {
  const char* text;
  double northing;
  double easting;
};

void PrintTo(const MarkerTextCase& c, std::ostream* os) { *os << c.text; }

class MarkerTextReads : public ::testing::TestWithParam<MarkerTextCase> {};

TEST_P(MarkerTextReads, AsStated) {
  const MarkerTextCase& c = GetParam();
  Point2D map;
  MarkerTextParts parts;
  ASSERT_TRUE(ParseMarkerText(c.text, map, parts));
  EXPECT_DOUBLE_EQ(map.y, c.northing);
  EXPECT_DOUBLE_EQ(map.x, c.easting);
  const std::string text = c.text;
  EXPECT_EQ(parts.northing + "&" + parts.easting, text);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MarkerTextReads,
    ::testing::Values(MarkerTextCase{"35/30/0.000000&139/45/0.000000", 35.5, 139.75},
                      MarkerTextCase{"-35/30/0&-139/45/0", -35.5, -139.75},
                      MarkerTextCase{"-5000.000000&-35000.000000", -5000, -35000},
                      // Fewer than four "/": decimal numbers that stop at the first "/".
                      MarkerTextCase{"35/30/0&139.75", 35, 139.75},
                      MarkerTextCase{"-0/30/0&0/0/36", -0.5, 0.01},
                      MarkerTextCase{"35/40/12.34567&139/0/59.5", 35 + 40 / 60.0 + 12.34567 / 3600,
                                     139 + 59.5 / 3600},
                      // An "&" inside the second part stays there.
                      MarkerTextCase{"1.5&2.5&3", 1.5, 2.5},
                      MarkerTextCase{"abc&", 0, 0}));

TEST(MarkerTextTest, UnreadableTexts) {
  for (const char* text : {"", "35.5 139.75", "nan&139", "35&inf", "1e999&0"}) {
    Point2D map{7, 8};
    MarkerTextParts parts;
    EXPECT_FALSE(ParseMarkerText(text, map, parts)) << text;
    EXPECT_EQ(map.x, 7) << text;
  }
}

TEST(MarkerTextTest, OnlyTheFirst255CharactersAreRead) {
  Point2D map;
  MarkerTextParts parts;
  EXPECT_FALSE(ParseMarkerText(std::string(255, '1') + "&2", map, parts));
  ASSERT_TRUE(ParseMarkerText("3&" + std::string(253, '4') + "56", map, parts));
  EXPECT_EQ(parts.easting.size(), 253u);
}

TEST(MarkerTextTest, WritesWhatItReads) {
  EXPECT_EQ(FormatDecimalMarkerText(-5000, -35000), "-5000.000000&-35000.000000");
  const DmsParts lat{false, 35, 30, 0};
  const DmsParts lon{false, 139, 45, 0};
  EXPECT_EQ(FormatDmsMarkerText(lat, lon), "35/30/0.000000&139/45/0.000000");
  // Between 0° and −1° the sign has no degrees to ride on.
  const DmsParts south{true, 0, 30, 1.5};
  const DmsParts west{true, 12, 0, 0.25};
  const std::string text = FormatDmsMarkerText(south, west);
  EXPECT_EQ(text, "-0/30/1.500000&-12/0/0.250000");
  Point2D map;
  MarkerTextParts parts;
  ASSERT_TRUE(ParseMarkerText(text, map, parts));
  EXPECT_DOUBLE_EQ(map.y, -(0.5 + 1.5 / 3600));
  EXPECT_DOUBLE_EQ(map.x, -(12 + 0.25 / 3600));
}

}  // namespace
