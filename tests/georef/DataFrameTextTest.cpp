#include <gtest/gtest.h>

#include <map>
#include <string>

#include "georef/DataFrameText.h"

namespace {

DataFrameParams Sample() {
  DataFrameParams p;
  p.datum = 2;
  p.kind = 3;
  p.system = 9;
  p.originX = -5000;
  p.originY = -35000;
  p.scale = 25000;
  p.rotation = 0;
  return p;
}

TEST(DataFrameTextTest, FormatsTheSixItems) {
  EXPECT_EQ(FormatDataFrameText(Sample()), "G=JGD|P=XY9|X=-5000.000000|Y=-35000.000000|S=25000|R=0.000000");

  struct Case {
    int datum, kind, system, zone;
    double scale, rotation;
    const char* expect;
  };
  const Case cases[] = {
      {1, 1, 0, 0, 50000, -0.25, "G=TKY|P=BL|X=-5000.000000|Y=-35000.000000|S=50000|R=-0.250000"},
      {2, 2, 0, 54, 25000.9, 1.5, "G=JGD|P=UTM54|X=-5000.000000|Y=-35000.000000|S=25000|R=1.500000"},
      {0, 0, 0, 0, 10000, 0, "G=|P=|X=-5000.000000|Y=-35000.000000|S=10000|R=0.000000"},
      {4, 3, 10, 0, 25000, 0, "D=JGD2011|P=XY10|X=-5000.000000|Y=-35000.000000|S=25000|R=0.000000"},
      {4, 2, 0, 54, 25000, 0, "D=JGD2011|P=UTM54|X=-5000.000000|Y=-35000.000000|S=25000|R=0.000000"},
  };
  for (const Case& c : cases) {
    DataFrameParams p = Sample();
    p.datum = c.datum;
    p.kind = c.kind;
    p.system = c.system;
    p.zone = c.zone;
    p.scale = c.scale;
    p.rotation = c.rotation;
    EXPECT_EQ(FormatDataFrameText(p), c.expect);
  }
}

TEST(DataFrameTextTest, ReadsBackWhatItWrites) {
  struct Case {
    int datum, kind, system, zone;
  };
  for (const Case& c : {Case{2, 3, 9, 0}, Case{1, 3, 19, 0}, Case{1, 2, 0, 53}, Case{2, 1, 0, 0},
                      Case{4, 3, 10, 0}, Case{4, 2, 0, 54}, Case{4, 1, 0, 0}}) {
    DataFrameParams p = Sample();
    p.datum = c.datum;
    p.kind = c.kind;
    p.system = c.system;
    p.zone = c.zone;
    p.originX = 12345.678901;
    p.originY = -98765.4321;
    p.scale = 25000.9;
    p.rotation = -0.123456;
    DataFrameParams read;
    ASSERT_TRUE(ParseDataFrameText(FormatDataFrameText(p), read));
    EXPECT_EQ(read.datum, c.datum);
    EXPECT_EQ(read.kind, c.kind);
    EXPECT_EQ(read.system, c.system);
    EXPECT_EQ(read.zone, c.zone);
    EXPECT_DOUBLE_EQ(read.originX, 12345.678901);
    EXPECT_DOUBLE_EQ(read.originY, -98765.4321);
    EXPECT_DOUBLE_EQ(read.scale, 25000);
    EXPECT_DOUBLE_EQ(read.rotation, -0.123456);
  }
}

TEST(DataFrameTextTest, KeysAreLookedUpByName) {
  DataFrameParams p;
  ASSERT_TRUE(ParseDataFrameText("R=2.5|S=10000|Y=-35000.000000|X=-5000.000000|P=UTM54|G=TKY", p));
  EXPECT_EQ(p.datum, 1);
  EXPECT_EQ(p.kind, 2);
  EXPECT_EQ(p.zone, 54);
  EXPECT_EQ(p.originX, -5000);
  EXPECT_EQ(p.originY, -35000);
  EXPECT_EQ(p.scale, 10000);
  EXPECT_EQ(p.rotation, 2.5);
}

TEST(DataFrameTextTest, ASeventhItemStaysInsideTheSixthValue) {
  DataFrameParams p;
  ASSERT_TRUE(ParseDataFrameText("G=JGD|P=XY9|X=1|Y=2|S=25000|R=1.5|Z=3", p));
  EXPECT_EQ(p.rotation, 1.5);
  // The surplus item takes the sixth place, so R is not among the six.
  EXPECT_FALSE(ParseDataFrameText("G=JGD|P=XY9|X=1|Y=2|S=25000|Z=3|R=1.5", p));
}

TEST(DataFrameTextTest, OnlyTheFirst255CharactersAreRead) {
  // Pad X so that the rotation "12" straddles the 255th character.
  const std::string head = "G=JGD|P=XY9|X=1.";
  const std::string tail = "|Y=2|S=25000|R=12";
  const std::string padded = head + std::string(256 - head.size() - tail.size(), '0') + tail;
  ASSERT_EQ(padded.size(), 256u);
  DataFrameParams p;
  ASSERT_TRUE(ParseDataFrameText(padded, p));
  EXPECT_EQ(p.rotation, 1);
  EXPECT_EQ(p.originX, 1);
  EXPECT_FALSE(ParseDataFrameText(std::string(256, ' ') + "G=JGD|P=XY9|X=1|Y=2|S=25000|R=0", p));
}

TEST(DataFrameTextTest, MalformedTextsAreNotAFrame) {
  const char* texts[] = {
      "",
      "G=JGD|P=XY9|X=1|Y=2|S=25000",             // five items
      "G=JGD|P=XY9|X=1|Y=2|S=25000|R",           // no "=" in the sixth
      "G=JGD|P=XY9|X=1|X=2|S=25000|R=0",         // X twice, Y missing
      "G=WGS|P=XY9|X=1|Y=2|S=25000|R=0",         // unknown datum
      "G=|P=XY9|X=1|Y=2|S=25000|R=0",            // no datum
      "G=JGD|P=LL|X=1|Y=2|S=25000|R=0",          // unknown kind
      "G=JGD|P=|X=1|Y=2|S=25000|R=0",            // no kind
      "G=JGD|P=XY9|X=nan|Y=2|S=25000|R=0",       // not a number
      "G=JGD|P=XY9|X=1|Y=inf|S=25000|R=0",       // not finite
      "G=JGD|P=XY9|X=1|Y=2|S=0|R=0",             // no scale
      "G=JGD|P=XY9|X=1|Y=2|S=-25000|R=0",        // negative scale
      "g=JGD|P=XY9|X=1|Y=2|S=25000|R=0",         // keys are case sensitive
      "G=JGD2011|P=XY9|X=1|Y=2|S=25000|R=0",     // JGD2011 goes under D
      "D=JGD|P=XY9|X=1|Y=2|S=25000|R=0",         // and D holds nothing else
      "D=TKY|P=XY9|X=1|Y=2|S=25000|R=0",
      "D=|P=XY9|X=1|Y=2|S=25000|R=0",
      "D=JGD2011|G=JGD|X=1|Y=2|S=25000|R=0",     // two datums, no kind
      "D=JGD2011|D=JGD2011|P=XY9|Y=2|S=25000|R=0",
  };
  for (const char* text : texts) {
    DataFrameParams p;
    p.datum = 77;
    p.originX = 88;
    EXPECT_FALSE(ParseDataFrameText(text, p)) << text;
    EXPECT_EQ(p.datum, 77) << text;
    EXPECT_EQ(p.originX, 88) << text;
  }
}

// The rules of readers from before JGD2011: six items, the keys G, P, X, Y,
// S, R each exactly once, else no frame. A JGD2011 frame must fail them
// rather than be read as a frame on Tokyo or JGD2000 (or on no datum).
bool EarlierReadersAccept(std::string text) {
  std::map<std::string, int> keys;
  for (int i = 0; i < 6; ++i) {
    std::string item = text;
    if (i < 5) {
      const size_t bar = text.find('|');
      if (bar == std::string::npos) return false;
      item = text.substr(0, bar);
      text = text.substr(bar + 1);
    }
    const size_t equals = item.find('=');
    if (equals == std::string::npos) return false;
    ++keys[item.substr(0, equals)];
  }
  for (const char* key : {"G", "P", "X", "Y", "S", "R"})
    if (keys[key] != 1) return false;
  return true;
}

TEST(DataFrameTextTest, EarlierReadersRefuseAJgd2011Frame) {
  for (int kind : {1, 2, 3}) {
    DataFrameParams p = Sample();
    p.kind = kind;
    p.zone = 54;
    EXPECT_TRUE(EarlierReadersAccept(FormatDataFrameText(p)));
    p.datum = 4;
    EXPECT_FALSE(EarlierReadersAccept(FormatDataFrameText(p))) << FormatDataFrameText(p);
  }
}

TEST(DataFrameTextTest, KindNumbersAreLeadingNumbers) {
  DataFrameParams p;
  ASSERT_TRUE(ParseDataFrameText("G=JGD|P=XY12abc|X=1|Y=2|S=25000|R=0", p));
  EXPECT_EQ(p.system, 12);
  ASSERT_TRUE(ParseDataFrameText("G=JGD|P=UTM|X=1|Y=2|S=25000|R=0", p));
  EXPECT_EQ(p.kind, 2);
  EXPECT_EQ(p.zone, 0);
  ASSERT_TRUE(ParseDataFrameText("G=JGD|P=XY99999999999999|X=1|Y=2|S=25000|R=0", p));
  EXPECT_EQ(p.system, 2147483647);
}

}  // namespace
