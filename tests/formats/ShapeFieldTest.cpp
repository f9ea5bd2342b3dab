#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "formats/ShapeField.h"
#include "support/HostEnvironment.h"

namespace {

struct ColumnCase {
  const char* name;
  char letter;
  uint8_t length;
  uint8_t decimals;
  std::string raw;
  int32_t encoding;
  int32_t type;
  std::string value;  // UTF-8
};

void PrintTo(const ColumnCase& c, std::ostream* os) { *os << c.name; }

DbfFieldDescriptor Descriptor(const char* name, char letter, uint8_t length, uint8_t decimals) {
  DbfFieldDescriptor descriptor;
  std::strncpy(descriptor.name, name, 11);
  descriptor.type = letter;
  descriptor.length = length;
  descriptor.decimalCount = decimals;
  return descriptor;
}

class DbaseColumnTest : public kztest::HostTest, public ::testing::WithParamInterface<ColumnCase> {};

TEST_P(DbaseColumnTest, BecomesField) {
  const ColumnCase& c = GetParam();
  const ShapeField field = FieldFromDbaseColumn(Descriptor("COL", c.letter, c.length, c.decimals), c.raw, c.encoding);
  EXPECT_EQ(field.name.as_UTF8(), "COL");
  EXPECT_EQ(field.type, c.type);
  EXPECT_EQ(field.totalDigits, c.length);
  EXPECT_EQ(field.decimals, c.decimals);
  EXPECT_EQ(field.value.as_UTF8(), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Letters, DbaseColumnTest,
    ::testing::Values(
        ColumnCase{"StringTrimmedBothSides", 'C', 8, 0, "  ab c  ", 17, kShapeFieldString, "ab c"},
        ColumnCase{"StringOnlySpacesIsEmpty", 'C', 4, 0, "    ", 17, kShapeFieldString, ""},
        ColumnCase{"AsteriskNumberIsNull", 'N', 5, 0, "*****", 17, kShapeFieldInteger, ""},
        ColumnCase{"AsteriskRealIsNull", 'F', 8, 2, " *******", 17, kShapeFieldReal, ""},
        ColumnCase{"AsterisksInTextStay", 'C', 5, 0, "*****", 17, kShapeFieldString, "*****"},
        ColumnCase{"StringTabsAreKept", 'C', 4, 0, "\tx\t ", 17, kShapeFieldString, "\tx\t"},
        ColumnCase{"ShiftJisString", 'C', 6, 0, "\x92\x6e\x90\x7d  ", 17, kShapeFieldString, "地図"},
        ColumnCase{"Utf8String", 'C', 8, 0, "\xE6\x9D\xB1\xE4\xBA\xAC  ", 1, kShapeFieldString, "東京"},
        ColumnCase{"IdeographicSpaceIsNotTrimmed", 'C', 8, 0, "\x81\x40" "a ", 17, kShapeFieldString, "　a"},
        ColumnCase{"NumericWithoutDecimalsIsInteger", 'N', 6, 0, "    42", 17, kShapeFieldInteger, "42"},
        ColumnCase{"NumericWithDecimalsIsReal", 'N', 8, 3, "  -1.500", 17, kShapeFieldReal, "-1.500"},
        ColumnCase{"FloatIsRealWhateverDecimals", 'F', 6, 0, "  12.5", 17, kShapeFieldReal, "12.5"},
        ColumnCase{"DateStaysString", 'D', 8, 0, "20240131", 17, kShapeFieldString, "20240131"},
        ColumnCase{"LogicalLowerY", 'L', 1, 0, "y", 17, kShapeFieldInteger, "1"},
        ColumnCase{"LogicalUpperT", 'L', 1, 0, "T", 17, kShapeFieldInteger, "1"},
        ColumnCase{"LogicalN", 'L', 1, 0, "N", 17, kShapeFieldInteger, "0"},
        ColumnCase{"LogicalUnknown", 'L', 1, 0, "?", 17, kShapeFieldInteger, "0"},
        ColumnCase{"LogicalBlank", 'L', 1, 0, " ", 17, kShapeFieldInteger, "0"},
        ColumnCase{"LogicalEmptyRaw", 'L', 0, 0, "", 17, kShapeFieldInteger, "0"},
        ColumnCase{"MemoHasNoValue", 'M', 10, 0, "        12", 17, kShapeFieldString, ""}),
    [](const auto& info) { return std::string(info.param.name); });

class ShapeFieldTest : public kztest::HostTest {};

TEST_F(ShapeFieldTest, NameOfElevenBytesAndEncodedNames) {
  EXPECT_EQ(FieldFromDbaseColumn(Descriptor("ABCDEFGHIJK", 'C', 1, 0), "x", 17).name.as_UTF8(), "ABCDEFGHIJK");
  EXPECT_EQ(FieldFromDbaseColumn(Descriptor("\x96\xbc\x8f\xcc", 'C', 1, 0), "x", 17).name.as_UTF8(), "名称");
  EXPECT_EQ(FieldFromDbaseColumn(Descriptor("\xE5\x90\x8D", 'C', 1, 0), "x", 1).name.as_UTF8(), "名");
}

TEST_F(ShapeFieldTest, SameFieldIgnoresValueOnly) {
  ShapeField a{"名称", kShapeFieldInteger, 5, 0, "1"};
  ShapeField b{"名称", kShapeFieldInteger, 5, 0, "2"};
  EXPECT_TRUE(a.IsSameField(b));
  b.totalDigits = 6;
  EXPECT_FALSE(a.IsSameField(b));
  b = a;
  b.type = kShapeFieldReal;
  EXPECT_FALSE(a.IsSameField(b));
  b = a;
  b.decimals = 1;
  EXPECT_FALSE(a.IsSameField(b));
  b = a;
  b.name = "名前";
  EXPECT_FALSE(a.IsSameField(b));
}

}  // namespace
