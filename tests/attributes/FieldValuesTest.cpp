// Normalising values to their field's type, the type names and the field key.
#include <gtest/gtest.h>

#include <string>

#include "attributes/FieldValues.h"
#include "support/HostEnvironment.h"

namespace {

ShapeField Definition(int32_t type, int32_t totalDigits, int32_t decimals, const char* name = "F") {
  return ShapeField{name, type, totalDigits, decimals, {}};
}

struct NormaliseCase {
  const char* label;
  int32_t type;
  int32_t totalDigits;
  int32_t decimals;
  const char* text;
  const char* expected;
};

class NormaliseTest : public kztest::HostTest, public ::testing::WithParamInterface<NormaliseCase> {};

TEST_P(NormaliseTest, GivesTheStoredText) {
  const NormaliseCase& c = GetParam();
  EXPECT_EQ(NormaliseValue(Definition(c.type, c.totalDigits, c.decimals), c.text).as_UTF8(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, NormaliseTest,
    ::testing::Values(
        NormaliseCase{"StringUnchanged", 0, 5, 0, "  長い文字列 ", "  長い文字列 "},
        NormaliseCase{"IntegerClampedToWidth", 1, 3, 0, "12345", "999"},
        NormaliseCase{"IntegerAtWidthKept", 1, 3, 0, "999", "999"},
        NormaliseCase{"NegativeNotClamped", 1, 3, 0, "-123456", "-123456"},
        NormaliseCase{"IntegerSaturatesHigh", 1, 10, 0, "99999999999", "2147483647"},
        NormaliseCase{"IntegerSaturatesLow", 1, 3, 0, "-99999999999", "-2147483648"},
        NormaliseCase{"TenDigitsNeverClamped", 1, 10, 0, "2147483647", "2147483647"},
        NormaliseCase{"NineDigitsClamped", 1, 9, 0, "2147483647", "999999999"},
        NormaliseCase{"IntegerStopsAtJunk", 1, 5, 0, "  42abc", "42"},
        NormaliseCase{"IntegerTruncatesReal", 1, 5, 0, "12.75", "12"},
        NormaliseCase{"NoDigitsIsZero", 1, 5, 0, "abc", "0"},
        NormaliseCase{"ZeroWidthClampsPositives", 1, 0, 0, "7", "0"},
        NormaliseCase{"RealRoundedAndTrimmed", 2, 8, 2, "3.14159", "3.14"},
        NormaliseCase{"EmptyRealIsZero", 2, 8, 2, "", "0.00"},
        NormaliseCase{"RealWiderThanWidth", 2, 4, 2, "12345.678", "12345.68"},
        NormaliseCase{"NegativeReal", 2, 10, 3, "-0.5", "-0.500"},
        NormaliseCase{"HugeWidthIsBounded", 2, 2000000000, 1, "1.25", "1.2"},
        NormaliseCase{"NegativeDecimalsPrintNone", 2, 6, -3, "2.5", "2"},
        NormaliseCase{"CoordinateTypeUnchanged", 100, 0, 0, "35.5", "35.5"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(FieldTypeNames, NameEveryTypeOfTheLists) {
  kztest::HostEnvironment host;
  EXPECT_EQ(ShapeFieldTypeName(0).as_UTF8(), "文字列");
  EXPECT_EQ(ShapeFieldTypeName(1).as_UTF8(), "整数");
  EXPECT_EQ(ShapeFieldTypeName(2).as_UTF8(), "実数");
  EXPECT_EQ(ShapeFieldTypeName(100).as_UTF8(), "緯度(B)または平面直角X座標");
  EXPECT_EQ(ShapeFieldTypeName(101).as_UTF8(), "経度(L)または平面直角Y座標");
  EXPECT_TRUE(ShapeFieldTypeName(3).empty());
}

TEST(FieldKeys, KeepLongNamesApart) {
  kztest::HostEnvironment host;
  EXPECT_EQ(FieldKey(Definition(2, 10, 3, "面積")), "面積|2|10|3");
  // Names that agree in their first 300 bytes are still different fields.
  const std::string stem(300, 'n');
  EXPECT_NE(FieldKey(Definition(0, 10, 0, (stem + "a").c_str())), FieldKey(Definition(0, 10, 0, (stem + "b").c_str())));
}

}  // namespace
