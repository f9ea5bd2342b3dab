// Decoding one tag of the older attribute format, and the number readings
// the search uses.
#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>

#include "attributes/DecimalText.h"
#include "attributes/OldAttributeTag.h"
#include "support/HostEnvironment.h"

namespace {

struct TagCase {
  const char* tagName;
  std::string value;
  bool decodes;
  std::string name = {};  // bytes of the field name
  char type = 0;
  int length = 0;
  int decimals = 0;
  std::string text = {};
};

const TagCase kTags[] = {
    {"KzMapTag0001", "NAME|C|20|0|abc", true, "NAME", 'C', 20, 0, "abc"},
    {"xKzMapTag12", "A|N|10|3| 1.5|x|y", true, "A", 'N', 10, 3, " 1.5|x|y"},
    {"KzMapTag0001", "A|N| 7abc|0|", true, "A", 'N', 7, 0, ""},  // numbers read as far as they go
    {"KzMapTag0001", "A|N|255|255|1", true, "A", 'N', 255, 255, "1"},
    {"KzMapTag0001", "ABCDEFGHIJKLMN|C|5|0|v", true, "ABCDEFGHIJK", 'C', 5, 0, "v"},
    // Eleven bytes would end inside the sixth double-byte character.
    {"KzMapTag0001", "\x93\x8c\x8b\x9e\x93\x73\x93\x8c\x8b\x9e\x93\x73|C|5|0|v", true,
     "\x93\x8c\x8b\x9e\x93\x73\x93\x8c\x8b\x9e", 'C', 5, 0, "v"},
    {"KzMapTag0001", "A||3|0|v", true, "A", '\0', 3, 0, "v"},
    // A zero byte ends the name; the lead byte before it is no character.
    {"KzMapTag0001", std::string("AB\x96\0\x93\x8c|C|5|0|v", 14), true, "AB", 'C', 5, 0, "v"},
    {"kzmaptag0001", "A|C|5|0|v", false},     // the mark is case-sensitive
    {"KzMapTag0001", "A|C|5|0", false},       // three separators
    {"KzMapTag0001", "A|C|300|0|v", false},   // would be narrowed to 44
    {"KzMapTag0001", "A|C|256|0|v", false},
    {"KzMapTag0001", "A|C|0|0|v", false},
    {"KzMapTag0001", "A|C|abc|0|v", false},   // no number reads as 0
    {"KzMapTag0001", "A|N|-5|0|v", false},
    {"KzMapTag0001", "A|N|5|-1|v", false},
    {"KzMapTag0001", "A|N|5|6|v", false},     // more decimals than digits
    {"KzMapTag0001", "A|N|99999999999999999999|0|v", false},
};

void PrintTo(const TagCase& c, std::ostream* out) { *out << c.tagName << " " << c.value; }

class OldAttributeTagTest : public ::testing::TestWithParam<TagCase> {};

TEST_P(OldAttributeTagTest, Decodes) {
  const TagCase& c = GetParam();
  OldAttributeEntry entry;
  ASSERT_EQ(DecodeOldAttributeTag(c.tagName, c.value, entry), c.decodes);
  if (!c.decodes) return;
  EXPECT_EQ(std::string(entry.descriptor.Name()), c.name);
  EXPECT_EQ(entry.descriptor.type, c.type);
  EXPECT_EQ(entry.descriptor.length, c.length);
  EXPECT_EQ(entry.descriptor.decimalCount, c.decimals);
  EXPECT_EQ(entry.value, c.text);
}

INSTANTIATE_TEST_SUITE_P(Tags, OldAttributeTagTest, ::testing::ValuesIn(kTags));

struct NumberCase {
  const char* text;
  bool parses;     // the whole text is one number
  double whole;    // its value when it parses
  double prefix;   // the value read from the start
};

const NumberCase kNumbers[] = {
    {"10", true, 10, 10},          {" 10.5 ", true, 10.5, 10.5}, {"1e3", true, 1000, 1000},
    {"+2", true, 2, 2},            {"-0.25", true, -0.25, -0.25}, {"abc", false, 0, 0},
    {"", false, 0, 0},             {"   ", false, 0, 0},          {"12abc", false, 0, 12},
    {"\t7", false, 0, 7},          {"+-1", false, 0, 0},          {"inf", false, 0, 0},
    {"nan", false, 0, 0},          {"1e999", false, 0, 0},        {"0x10", false, 0, 0},
    {"1,000", false, 0, 1},
};

void PrintTo(const NumberCase& c, std::ostream* out) { *out << '"' << c.text << '"'; }

class DecimalTextTest : public kztest::HostTest, public ::testing::WithParamInterface<NumberCase> {};

TEST_P(DecimalTextTest, ReadsAsTheSearchNeeds) {
  const NumberCase& c = GetParam();
  const ai::UnicodeString text = ai::UnicodeString::FromUTF8(c.text);
  double value = -1;
  EXPECT_EQ(ParseDecimal(text, &value), c.parses);
  if (c.parses) {
    EXPECT_DOUBLE_EQ(value, c.whole);
  }
  EXPECT_DOUBLE_EQ(ReadDecimalPrefix(text), c.prefix);
}

INSTANTIATE_TEST_SUITE_P(Numbers, DecimalTextTest, ::testing::ValuesIn(kNumbers));

}  // namespace
