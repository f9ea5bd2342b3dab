#include <gtest/gtest.h>

#include <cmath>

#include "geodesy/Angles.h"
#include "geodesy/CoordTexts.h"
#include "geodesy/Ellipsoid.h"

namespace {

TEST(CoordTexts, UtmZoneLabels) {
  struct Row {
    int index;
    const char* label;
  };
  const Row rows[] = {
      {0, "(座標帯を選択)"},
      {1, "第1帯(180度W～174度W)"},
      {30, "第30帯(6度W～0度)"},
      {31, "第31帯(0度～6度E)"},
      {54, "第54帯(138度E～144度E)"},
      {60, "第60帯(174度E～180度E)"},
      {61, ""},
      {-1, ""},
  };
  for (const Row& row : rows) EXPECT_EQ(UtmZoneLabel(row.index), row.label) << row.index;
}

TEST(CoordTexts, PlaneSystemLabels) {
  EXPECT_EQ(PlaneSystemLabel(0), "(座標系を選択)");
  EXPECT_EQ(PlaneSystemLabel(1), "1系（長崎と周辺島嶼）");
  EXPECT_EQ(PlaneSystemLabel(16), "16系（宮古列島・八重山列島）");
  EXPECT_EQ(PlaneSystemLabel(18), "18系（沖ノ鳥島）");
  EXPECT_EQ(PlaneSystemLabel(19), "19系（南鳥島）");
  EXPECT_EQ(PlaneSystemLabel(20), "");
  // Every label starts with its own system number.
  for (int system = 1; system <= 19; ++system)
    EXPECT_EQ(PlaneSystemLabel(system).rfind(std::to_string(system) + "系（", 0), 0u) << system;
}

TEST(CoordTexts, DecodedOrigins) {
  const auto origins = DecodedOriginTable();
  ASSERT_EQ(origins.size(), 20u);
  struct Row {
    int system;
    double lat;
    double lon;
  };
  const Row rows[] = {{0, 0, 0},         {1, 33, 129.5},     {3, 36, 132 + 10.0 / 60}, {9, 36, 139 + 50.0 / 60},
                      {11, 44, 140.25},  {16, 26, 124},      {18, 20, 136},            {19, 26, 154}};
  for (const Row& row : rows) {
    EXPECT_DOUBLE_EQ(origins[row.system].first, row.lat) << row.system;
    EXPECT_DOUBLE_EQ(origins[row.system].second, row.lon) << row.system;
  }
}

TEST(CoordTexts, DescribeDataFrame) {
  EXPECT_EQ(DescribeDataFrame(std::nullopt), "無効な設定");
  EXPECT_EQ(DescribeDataFrame(CoordRef{2, 1, 0, 0}), "(世界測地系 緯度経度座標)");
  EXPECT_EQ(DescribeDataFrame(CoordRef{1, 1, 0, 0}), "(日本測地系 緯度経度座標)");
  EXPECT_EQ(DescribeDataFrame(CoordRef{7, 1, 0, 0}), "(日本測地系 緯度経度座標)");
  EXPECT_EQ(DescribeDataFrame(CoordRef{2, 2, 0, 54}), "(世界測地系 UTM座標 第54帯)");
  EXPECT_EQ(DescribeDataFrame(CoordRef{1, 3, 9, 0}), "(日本測地系 平面直角座標 第9系)");
  EXPECT_EQ(DescribeDataFrame(CoordRef{4, 3, 9, 0}), "(世界測地系(JGD2011) 平面直角座標 第9系)");
  EXPECT_EQ(DescribeDataFrame(CoordRef{4, 2, 0, 54}), "(世界測地系(JGD2011) UTM座標 第54帯)");
  EXPECT_EQ(DescribeDataFrame(CoordRef{4, 1, 0, 0}), "(世界測地系(JGD2011) 緯度経度座標)");
}

TEST(CoordTexts, UtmCentralMeridian) {
  EXPECT_EQ(UtmCentralMeridian(1), -177);
  EXPECT_EQ(UtmCentralMeridian(54), 141);
  EXPECT_EQ(UtmCentralMeridian(60), 177);
  EXPECT_FALSE(UtmCentralMeridian(0));
  EXPECT_FALSE(UtmCentralMeridian(61));
}

TEST(Angles, DecodePackedDms) {
  struct Row {
    double packed;
    double degrees;
  };
  const Row rows[] = {{1401500.0, 140.25},  {-1293000.0, -129.5},         {0, 0},
                      {360000, 36},          {1395000, 139 + 50.0 / 60},    {1234530.5, 123 + 45.0 / 60 + 30.5 / 3600}};
  for (const Row& row : rows) EXPECT_DOUBLE_EQ(DecodePackedDms(row.packed), row.degrees) << row.packed;
}

TEST(Angles, DegreesToDmsCarries) {
  struct Row {
    double degrees;
    int decimals;
    int d, m;
    double s;
  };
  const Row rows[] = {
      {35.9999999, 2, 36, 0, 0.0},          // seconds carry through minutes into degrees
      {0.9999999, 2, 1, 0, 0.0},
      {-35.9999999, 2, -36, 0, 0.0},        // away from zero for a negative angle
      {35.5, 2, 35, 30, 0.0},
      {139.0 + 59.0 / 60 + 59.996 / 3600, 2, 140, 0, 0.0},
      {139.0 + 30.0 / 60 + 59.996 / 3600, 2, 139, 31, 0.0},  // carry into minutes only
      {139.0 + 30.0 / 60 + 59.994 / 3600, 2, 139, 30, 59.99},
      {35.123456, 5, 35, 7, 24.44160},
  };
  for (const Row& row : rows) {
    const Dms dms = DegreesToDms(row.degrees, row.decimals);
    EXPECT_EQ(dms.degrees, row.d) << row.degrees;
    EXPECT_EQ(dms.minutes, row.m) << row.degrees;
    EXPECT_NEAR(dms.seconds, row.s, 1e-9) << row.degrees;
  }
}

TEST(Angles, DmsRoundTrip) {
  for (double degrees : {35.6812, -12.5, 139.7671, 0.25}) {
    EXPECT_NEAR(DmsToDegrees(DegreesToDms(degrees, 6)), degrees, 1e-9 / 3600 * 2) << degrees;
  }
}

TEST(Ellipsoids, TableAndDerivedValues) {
  const auto table = EllipsoidTable();
  EXPECT_STREQ(table[kEllipsoidBessel].name, "Bessel");
  EXPECT_STREQ(table[kEllipsoidGrs80].name, "GRS-80");
  EXPECT_DOUBLE_EQ(table[kEllipsoidGrs80].f, 1 / 298.257222101);
  EXPECT_NEAR(table[kEllipsoidGrs80].e2, 0.00669438002290, 1e-14);
  EXPECT_NEAR(table[kEllipsoidBessel].e2, 0.00667437223, 1e-11);
  EXPECT_EQ(EllipsoidIdOfDatum(1), kEllipsoidBessel);
  EXPECT_EQ(EllipsoidIdOfDatum(3), kEllipsoidBessel);
  EXPECT_EQ(EllipsoidIdOfDatum(2), kEllipsoidGrs80);
  EXPECT_EQ(EllipsoidIdOfDatum(4), kEllipsoidGrs80);
  EXPECT_EQ(EllipsoidIdOfDatum(0), -1);
  EXPECT_EQ(EllipsoidIdOfDatum(5), -1);
}

}  // namespace
