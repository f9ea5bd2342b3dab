#include <gtest/gtest.h>

#include "host/FilePath.h"
#include "host/UnicodeString.h"
#include "support/HostEnvironment.h"

namespace {

using kztest::HostTest;

class UnicodeStringTest : public HostTest {};

TEST_F(UnicodeStringTest, RoundTripsThroughEveryEncoding) {
  const ai::UnicodeString text("東京都 千代田区 ①");
  for (AICharacterEncoding encoding :
       {kAIUTF8CharacterEncoding, kAIUTF16CharacterEncoding, kAIShiftJISCharacterEncoding}) {
    SCOPED_TRACE(encoding);
    const std::string bytes = text.getInStdString(encoding);
    EXPECT_EQ(ai::UnicodeString(bytes, encoding), text);
  }
}

TEST_F(UnicodeStringTest, ShiftJisBytesAreCodePage932) {
  // "地図" in code page 932; NEC special characters (①) exist only in 932, not in plain Shift-JIS.
  EXPECT_EQ(ai::UnicodeString("地図").as_Platform(), "\x92\x6e\x90\x7d");
  EXPECT_EQ(ai::UnicodeString("①").as_Platform(), "\x87\x40");
}

TEST_F(UnicodeStringTest, UndecodableBytesBecomeReplacementAndUnencodableBecomeQuestionMarks) {
  EXPECT_EQ(ai::UnicodeString(std::string_view("a\xff" "b"), kAIUTF8CharacterEncoding).as_UTF16(),
            u"a\uFFFDb");
  EXPECT_EQ(ai::UnicodeString(std::string_view("a\x81"), kAIShiftJISCharacterEncoding).as_UTF16(), u"a\uFFFD");
  EXPECT_EQ(ai::UnicodeString("a€😀b").as_Platform(), "a??b");
}

TEST_F(UnicodeStringTest, ValueSemantics) {
  ai::UnicodeString a("abc");
  ai::UnicodeString b = a;
  b.append("d");
  EXPECT_EQ(a.as_UTF8(), "abc");
  EXPECT_EQ(b.as_UTF8(), "abcd");
  EXPECT_EQ(b.length(), 4u);
  EXPECT_EQ(b.substr(1, 2).as_UTF8(), "bc");
  EXPECT_LT(a, b);
  EXPECT_TRUE(ai::UnicodeString().empty());
}

TEST_F(UnicodeStringTest, FilePathParts) {
  const ai::FilePath path(ai::UnicodeString("/tmp/地図/道路.shp"));
  EXPECT_EQ(path.GetFileName().as_UTF8(), "道路.shp");
  EXPECT_EQ(path.GetFileNameNoExt().as_UTF8(), "道路");
  EXPECT_EQ(path.GetFileExtension().as_UTF8(), "shp");
  EXPECT_EQ(path.GetParent().GetFullPath().as_UTF8(), "/tmp/地図");
  EXPECT_EQ(path.SetFileExtension("dbf").GetPlatformPath(), "/tmp/地図/道路.dbf");
  EXPECT_TRUE(ai::FilePath().IsEmpty());
}

}  // namespace
