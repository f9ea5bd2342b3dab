// Normalising values to their field's type, the type names and the field key.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "attributes/FieldValues.h"
#include "formats/CShapeFileWriter.h"
#include "support/HostEnvironment.h"
#include "support/ScratchFolder.h"

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
        NormaliseCase{"NegativeClampedToWidth", 1, 3, 0, "-123456", "-99"},
        NormaliseCase{"NegativeAtWidthKept", 1, 3, 0, "-99", "-99"},
        NormaliseCase{"OneDigitHoldsNoSign", 1, 1, 0, "-5", "0"},
        // The width bounds an integer, not 32 bits: ten digits hold 9999999999.
        NormaliseCase{"TenDigitsHoldMoreThan32Bits", 1, 10, 0, "9999999999", "9999999999"},
        NormaliseCase{"IntegerClampedToTenDigits", 1, 10, 0, "99999999999", "9999999999"},
        NormaliseCase{"ElevenDigitsHoldTenDigitNegatives", 1, 11, 0, "-99999999999", "-9999999999"},
        NormaliseCase{"TenDigitsHoldNoLowestNumber", 1, 10, 0, "-2147483648", "-999999999"},
        NormaliseCase{"TenDigitsNeverClamped", 1, 10, 0, "2147483647", "2147483647"},
        NormaliseCase{"NineDigitsClamped", 1, 9, 0, "2147483647", "999999999"},
        NormaliseCase{"IntegerStopsAtJunk", 1, 5, 0, "  42abc", "42"},
        NormaliseCase{"IntegerTruncatesReal", 1, 5, 0, "12.75", "12"},
        NormaliseCase{"NoDigitsIsZero", 1, 5, 0, "abc", "0"},
        NormaliseCase{"ZeroWidthClampsPositives", 1, 0, 0, "7", "0"},
        NormaliseCase{"RealRoundedAndTrimmed", 2, 8, 2, "3.14159", "3.14"},
        NormaliseCase{"EmptyRealIsZero", 2, 8, 2, "", "0.00"},
        NormaliseCase{"RealWiderThanWidthClamped", 2, 4, 2, "12345.678", "9999.00"},
        NormaliseCase{"NegativeRealClamped", 2, 6, 1, "-1234567.5", "-99999.0"},
        NormaliseCase{"NegativeRealRounded", 2, 6, 1, "-12345.5", "-12346.0"},
        NormaliseCase{"RealRoundedToWhatFits", 2, 4, 2, "12.75", "12.80"},
        NormaliseCase{"RealHeldWithFewerDecimals", 2, 12, 4, "10000000", "10000000.0000"},
        NormaliseCase{"NotANumberIsZero", 2, 6, 2, "nan", "0.00"},
        NormaliseCase{"NegativeReal", 2, 10, 3, "-0.5", "-0.500"},
        NormaliseCase{"HugeWidthIsBounded", 2, 2000000000, 1, "1.25", "1.2"},
        NormaliseCase{"NegativeDecimalsPrintNone", 2, 6, -3, "2.5", "2"},
        NormaliseCase{"CoordinateTypeUnchanged", 100, 0, 0, "35.5", "35.5"}),
    [](const auto& info) { return std::string(info.param.label); });

// Whether the stored value is the number given, so that a change can be told.
struct ChangedCase {
  const char* label;
  int32_t type, totalDigits, decimals;
  const char* text;
  bool changed;
};

class ChangedTest : public kztest::HostTest, public ::testing::WithParamInterface<ChangedCase> {};

TEST_P(ChangedTest, SaysWhetherTheValueWasChangedToFit) {
  const ChangedCase& c = GetParam();
  bool changed = !c.changed;
  NormaliseValue(Definition(c.type, c.totalDigits, c.decimals), c.text, changed);
  EXPECT_EQ(changed, c.changed);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ChangedTest,
    ::testing::Values(ChangedCase{"IntegerThatFits", 1, 10, 0, "9999999999", false},
                      ChangedCase{"IntegerWithSpaces", 1, 5, 0, " 42 ", false},
                      ChangedCase{"IntegerTooWide", 1, 5, 0, "123456", true},
                      ChangedCase{"NegativeTooWide", 1, 3, 0, "-100", true},
                      ChangedCase{"NineteenDigitInteger", 1, 19, 0, "1234567890123456789", false},
                      ChangedCase{"IntegerFromReal", 1, 5, 0, "12.5", true},
                      ChangedCase{"IntegerFromText", 1, 5, 0, "abc", true},
                      ChangedCase{"RealPaddedWithZeros", 2, 8, 2, "12.9", false},
                      ChangedCase{"RealRounded", 2, 8, 2, "1.005", true},
                      ChangedCase{"RealTooWide", 2, 4, 2, "12345.5", true},
                      ChangedCase{"RealFromText", 2, 8, 2, "abc", true},
                      ChangedCase{"EmptyIsNoChange", 2, 8, 2, "", false},
                      ChangedCase{"StringNeverChanged", 0, 2, 0, "長い文字列", false}),
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

namespace {

// The attribute layer keeps only what the Shapefile writer can write: every
// normalised number goes into its column without the overflow mark.
TEST(FieldValuesAndWriter, EveryNormalisedNumberIsWritten) {
  kztest::HostEnvironment host;
  const char* texts[] = {"-1e12", "-12345.678", "-100", "-1", "-0.5", "0", "0.005", "1.5", "99.99", "999.5",
                         "12345.678", "318622525.1", "1e15", "inf", "-inf"};
  std::vector<ShapeField> definitions;
  for (int digits = 1; digits <= 12; ++digits) definitions.push_back(Definition(kShapeFieldInteger, digits, 0));
  for (int digits = 1; digits <= 24; ++digits)
    for (int decimals = 0; decimals <= std::max(0, digits - 2); decimals += 3)
      definitions.push_back(Definition(kShapeFieldReal, digits, decimals));
  const kztest::ScratchFolder folder;
  for (const ShapeField& definition : definitions) {
    SCOPED_TRACE(std::to_string(definition.type) + " " + std::to_string(definition.totalDigits) + "." +
                 std::to_string(definition.decimals));
    CShapeFileWriter writer;
    writer.Begin(kShapePoint, 1);
    ASSERT_TRUE(writer.AddField(definition));
    ASSERT_TRUE(writer.Create(ai::FilePath::FromPlatform((folder / "values.shp").string())));
    for (const char* text : texts) {
      ShapeField field = definition;
      field.value = NormaliseValue(definition, text);
      writer.SetValues({field});
      ASSERT_TRUE(writer.WritePoint(0, 0));
      EXPECT_EQ(writer.GetOverflowCount(), 0) << text << " stored as " << field.value.as_UTF8();
      if (writer.GetOverflowCount() > 0) break;
    }
    EXPECT_TRUE(writer.Finish());
  }
}

}  // namespace
