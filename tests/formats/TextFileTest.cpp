#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/CKzFile.h"
#include "formats/CKzTextFile.h"
#include "support/ScratchFolder.h"
#include "support/HostEnvironment.h"

namespace {

using namespace std::string_literals;

struct LineCase {
  const char* name;
  std::string bytes;
  int32_t encoding;
  std::vector<std::string> lines;  // UTF-8
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

// Reads until ReadLine says no; a runaway reader stops at a bound the cases never reach.
std::vector<std::string> ReadAll(CKzTextFile& file) {
  std::vector<std::string> lines;
  ai::UnicodeString line;
  while (lines.size() < 100 && file.ReadLine(line)) lines.push_back(line.as_UTF8());
  return lines;
}

class TextLineTest : public kztest::HostTest, public ::testing::WithParamInterface<LineCase> {
 protected:
  kztest::ScratchFolder folder;
};

TEST_P(TextLineTest, ReadsLines) {
  const LineCase& c = GetParam();
  const std::string path = folder.Write("lines.txt", c.bytes);
  CKzTextFile file;
  ASSERT_TRUE(file.Open(ai::FilePath::FromPlatform(path), c.encoding));
  EXPECT_EQ(ReadAll(file), c.lines);
  ai::UnicodeString line("left over");
  EXPECT_FALSE(file.ReadLine(line)) << "the end stays the end";
  EXPECT_TRUE(line.empty());
}

constexpr int32_t kSjis = 17;
constexpr int32_t kUtf8 = 1;
constexpr int32_t kUtf16 = 2;

INSTANTIATE_TEST_SUITE_P(
    EightBit, TextLineTest,
    ::testing::Values(
        LineCase{"Empty", "", kSjis, {}},
        LineCase{"LastLineWithoutEnd", "abc", kSjis, {"abc"}},
        LineCase{"EndsWithLineEnd", "abc\n", kSjis, {"abc"}},
        LineCase{"EveryLineEnd", "a\r\nb\rc\nd", kSjis, {"a", "b", "c", "d"}},
        LineCase{"LfThenCrIsTwoEnds", "a\n\rb", kSjis, {"a", "", "b"}},
        LineCase{"TwoEndsGiveEmptyLine", "a\n\nb\r\n\r\n", kSjis, {"a", "", "b", ""}},
        LineCase{"TrailingLoneCrAfterEnd", "a\n\r", kSjis, {"a"s, ""s}},
        LineCase{"OnlyLineEnd", "\r\n", kSjis, {""}},
        LineCase{"CrAtEnd", "a\r", kSjis, {"a"}},
        LineCase{"Utf8MarkDroppedForShiftJis", "\xEF\xBB\xBFxy\n", kSjis, {"xy"}},
        LineCase{"Utf8MarkDroppedForUtf8", "\xEF\xBB\xBF\xE5\x9C\xB0\xE5\x9B\xB3", kUtf8, {"地図"}},
        LineCase{"OnlyMark", "\xEF\xBB\xBF", kUtf8, {}},
        LineCase{"TwoBytesReadFromStart", "ab", kSjis, {"ab"}},
        LineCase{"MarkOnlyAtStart", "a\n\xEF\xBB\xBF", kUtf8, {"a", "\xEF\xBB\xBF"}},
        LineCase{"ShiftJis", "\x92\x6e\x90\x7d\r\n\x87\x40", kSjis, {"地図", "①"}},
        LineCase{"Utf8", "\xE6\x9D\xB1\xE4\xBA\xAC\n1,2", kUtf8, {"東京", "1,2"}},
        LineCase{"NulIsText", "a\0b"s, kSjis, {"a\0b"s}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Utf16, TextLineTest,
    ::testing::Values(
        LineCase{"Empty", "", kUtf16, {}},
        LineCase{"LittleEndianMark", "\xFF\xFE" "a\0\r\0\n\0b\0"s, kUtf16, {"a", "b"}},
        LineCase{"BigEndianMark", "\xFE\xFF\0a\0\r\0\n\x30\x42"s, kUtf16, {"a", "あ"}},
        LineCase{"NoMarkIsLittleEndian", "a\0\n\0b\0"s, kUtf16, {"a", "b"}},
        LineCase{"StartsWithLineEnd", "\r\0\n\0a\0"s, kUtf16, {"", "a"}},
        LineCase{"MarkThenLineEnd", "\xFF\xFE\r\0\n\0a\0"s, kUtf16, {"", "a"}},
        LineCase{"BigEndianLoneCr", "\xFE\xFF\0a\0\r\0b"s, kUtf16, {"a", "b"}},
        LineCase{"LoneCrThenText", "a\0\r\0b\0"s, kUtf16, {"a", "b"}},
        LineCase{"CrAtEnd", "a\0\r\0"s, kUtf16, {"a"}},
        LineCase{"LfThenCr", "a\0\n\0\r\0b\0"s, kUtf16, {"a", "", "b"}},
        LineCase{"LoneTrailingByteIgnored", "a\0b"s, kUtf16, {"a"}},
        LineCase{"CrThenLoneByte", "a\0\r\0b"s, kUtf16, {"a"}},
        LineCase{"MarkLaterIsText", "a\0\n\0\xFF\xFE" "b\0"s, kUtf16, {"a", "\xEF\xBB\xBF" "b"}},
        LineCase{"OnlyMark", "\xFE\xFF", kUtf16, {}},
        LineCase{"SurrogatePair", "\x3D\xD8\x00\xDE"s, kUtf16, {"😀"}}),
    [](const auto& info) { return std::string(info.param.name); });

class TextFileTest : public kztest::HostTest {
 protected:
  kztest::ScratchFolder folder;
};

// A directory opens as a stream on this platform, but every read of it fails:
// the reader must not take that for an endless run of empty lines.
TEST_F(TextFileTest, ReadErrorEndsReading) {
  for (int32_t encoding : {kSjis, kUtf8, kUtf16}) {
    SCOPED_TRACE(encoding);
    CKzTextFile file;
    ASSERT_TRUE(file.Open(ai::FilePath::FromPlatform(folder.PathText("")), encoding));
    ai::UnicodeString line;
    EXPECT_FALSE(file.ReadLine(line));
    EXPECT_FALSE(file.ReadLine(line));
  }
}

TEST_F(TextFileTest, MissingFileFailsAndKeepsPath) {
  CKzTextFile file;
  const ai::FilePath path = ai::FilePath::FromPlatform(folder.PathText("なし.txt"));
  EXPECT_FALSE(file.Open(path, kSjis));
  EXPECT_EQ(file.GetStream(), nullptr);
  EXPECT_EQ(file.GetPath(), path);
  ai::UnicodeString line;
  EXPECT_FALSE(file.ReadLine(line));
}

TEST_F(TextFileTest, ReadAfterCloseEndsReading) {
  CKzTextFile file;
  ASSERT_TRUE(file.Open(ai::FilePath::FromPlatform(folder.Write("a.txt", "a\nb\n")), kSjis));
  ai::UnicodeString line;
  ASSERT_TRUE(file.ReadLine(line));
  file.Close();
  EXPECT_FALSE(file.ReadLine(line));
}

TEST_F(TextFileTest, JapaneseFileNameOpens) {
  const std::string path = folder.Write("道路.txt", "x");
  CKzTextFile file;
  ASSERT_TRUE(file.Open(ai::FilePath(ai::UnicodeString(path.c_str())), kUtf8));
  EXPECT_EQ(ReadAll(file), std::vector<std::string>{"x"});
}

TEST_F(TextFileTest, PathTextOpenRemembersPathEvenOnFailure) {
  CKzFile file(false);
  const std::string missing = folder.PathText("missing.shp");
  EXPECT_FALSE(file.Open(missing, "rb"));
  EXPECT_EQ(file.GetPath().GetPlatformPath(), missing);
}

TEST_F(TextFileTest, StreamNotOwnedOutlivesTheFile) {
  const std::string path = folder.PathText("out.bin");
  std::FILE* stream = nullptr;
  {
    CKzFile file(false);
    ASSERT_TRUE(file.Open(path, "wb"));
    stream = file.GetStream();
  }
  EXPECT_GE(std::fputs("kept", stream), 0);
  EXPECT_EQ(std::fclose(stream), 0);
  EXPECT_EQ(kztest::ScratchFolder::Read(path), "kept");
}

TEST_F(TextFileTest, OwnedStreamClosesAndCloseIsHarmlessTwice) {
  const std::string path = folder.PathText("owned.bin");
  CKzFile file(ai::FilePath::FromPlatform(path));
  ASSERT_TRUE(file.Open(path, "wb"));
  std::fputs("data", file.GetStream());
  file.Close();
  file.Close();
  EXPECT_EQ(file.GetStream(), nullptr);
  EXPECT_EQ(kztest::ScratchFolder::Read(path), "data");
}

size_t OpenDescriptors() {
  size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

// A file object that owns its stream closes it when it goes: every grid load
// and text import would otherwise leak a handle (and lose what was buffered).
TEST_F(TextFileTest, OwnersCloseTheirStreamOnDestruction) {
  const std::string path = folder.PathText("owned.bin");
  const size_t before = OpenDescriptors();
  {
    CKzFile file(ai::FilePath::FromPlatform(path));
    ASSERT_TRUE(file.Open(path, "wb"));
    std::fputs("buffered", file.GetStream());
  }
  EXPECT_EQ(OpenDescriptors(), before);
  EXPECT_EQ(kztest::ScratchFolder::Read(path), "buffered") << "closing flushed the stream";
  for (int i = 0; i < 3; ++i) {
    CKzTextFile text;
    ASSERT_TRUE(text.Open(ai::FilePath::FromPlatform(path), 1));
    ai::UnicodeString line;
    EXPECT_TRUE(text.ReadLine(line));
  }
  EXPECT_EQ(OpenDescriptors(), before);
}

}  // namespace
