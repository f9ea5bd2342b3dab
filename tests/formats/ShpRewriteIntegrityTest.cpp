// kzmap shp rewrite gives back every value GDAL reads from its input, or
// says where the format could not hold one; it never leaves a half-written
// file set, nor reports success for nothing written. Inputs are made by GDAL
// and shapelib; GDAL (ogrinfo) reads both sides.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "formats/ShapeTestSupport.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"
#include "support/HostEnvironment.h"

namespace {

using kztest::Quote;
using kztest::RunCommand;
using kztest::ScratchFolder;

const std::string kTool = KZ_TOOL_FILE;

// Census-like table in Shift-JIS: a null median (asterisks), reals that GDAL
// could only write cut short (N(24,15), N(12,4)), a date, a 64-bit integer,
// two names of 10 Shift-JIS bytes, and a feature without geometry.
constexpr const char* kCsv =
    "WKT,NAME,POP,MEDIAN,RATIO,DAY,BIG,人口総数男,人口総数女\n"
    "\"POLYGON((0 0,0 1,1 1,0 0))\",東京都千代田区,58406,318622525,10000000,2020/01/02,123456789012,1,2\n"
    "\"\",空,0,,,,,3,4\n"
    "\"POLYGON((5 5,5 6,6 6,5 5))\",大阪,7,1.25,-0.5,1999/12/31,-5,,\n";
constexpr const char* kCsvTypes =
    "\"String\",\"String(40)\",\"Integer(8)\",\"Real(24.15)\",\"Real(12.4)\",\"Date\",\"Integer64(18)\",\"Integer(5)\","
    "\"Integer(5)\"\n";

class ShpRewriteIntegrityTest : public kztest::HostTest {
 protected:
  std::string MakeCensus() {
    folder.Write("census.csv", kCsv);
    folder.Write("census.csvt", kCsvTypes);
    const std::string shp = folder.PathText("census.shp");
    const auto made = RunCommand("ogr2ogr -f 'ESRI Shapefile' " + Quote(shp) + " " + Quote(folder.PathText("census.csv")) +
                                 " -lco ENCODING=CP932 -nlt POLYGON 2>/dev/null");
    EXPECT_EQ(made.status, 0) << made.err;
    return shp;
  }
  // Per feature, "(Type) = value" of every field and the geometry, in order:
  // what GDAL reads, without the column names.
  static std::vector<std::string> GdalFeatures(const std::string& shp) {
    const auto run = RunCommand("ogrinfo -ro -al -q " + Quote(shp));
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<std::string> values;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("  ", 0) != 0 || line.find("DBF_DATE") != std::string::npos) continue;
      const size_t type = line.find(" (");
      values.push_back(line.find(" = ") != std::string::npos && type != std::string::npos ? line.substr(type + 1)
                                                                                          : line.substr(2));
    }
    return values;
  }
  std::vector<std::string> FolderNames() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path(""))) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  ScratchFolder folder;
};

TEST_F(ShpRewriteIntegrityTest, EveryValueGdalReadsComesBack) {
  const std::string census = MakeCensus();
  const std::vector<std::string> expected = GdalFeatures(census);
  ASSERT_EQ(expected.size(), 9u * 3 + 2) << "nine fields per feature, two geometries";
  ASSERT_NE(std::find(expected.begin(), expected.end(), "(Real) = 318622525.000000000000000"), expected.end());
  ASSERT_NE(std::find(expected.begin(), expected.end(), "(Date) = 2020/01/02"), expected.end());

  // To UTF-8 (the input's encoding comes from its .cpg) and back to Shift-JIS.
  const std::string utf8 = folder.PathText("census8.shp");
  auto run = RunCommand(kTool + " shp rewrite " + Quote(census) + " " + Quote(utf8) + " --output-encoding utf8");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(GdalFeatures(utf8), expected);
  // The two Japanese names no longer fit once they take 15 bytes: the user is told.
  EXPECT_NE(run.err.find("column 人口総数男 is named 人口総 in the output"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("column 人口総数女 is named 人口_1 in the output"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("asterisks"), std::string::npos) << run.err;
  EXPECT_EQ(ScratchFolder::Read(folder.Path("census8.cpg")), "UTF-8");

  const std::string back = folder.PathText("back.shp");
  run = RunCommand(kTool + " shp rewrite " + Quote(utf8) + " " + Quote(back) + " --output-encoding sjis");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(GdalFeatures(back), expected);
  // And without re-encoding, byte for byte what GDAL wrote, in every row.
  const std::string same = folder.PathText("same.shp");
  run = RunCommand(kTool + " shp rewrite " + Quote(census) + " " + Quote(same));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "kzmap shp rewrite: 3 records written, 0 skipped\n");
  EXPECT_EQ(GdalFeatures(same), expected);
}

// dump reads the encoding from the .cpg when none is given.
TEST_F(ShpRewriteIntegrityTest, DumpFollowsTheCodePageFile) {
  const std::string census = MakeCensus();
  const std::string utf8 = folder.PathText("census8.shp");
  ASSERT_EQ(RunCommand(kTool + " shp rewrite " + Quote(census) + " " + Quote(utf8) + " --output-encoding utf8").status, 0);
  for (const std::string& path : {census, utf8}) {
    const auto dump = RunCommand(kTool + " shp dump " + Quote(path));
    ASSERT_EQ(dump.status, 0) << dump.err;
    EXPECT_NE(dump.out.find("value NAME=東京都千代田区\n"), std::string::npos) << path;
    EXPECT_NE(dump.out.find("record 2 0\nvalue WKT=\nvalue NAME=空\n"), std::string::npos) << dump.out;
  }
}

TEST_F(ShpRewriteIntegrityTest, UnmappableCharactersAreCounted) {
  folder.Write("kanji.csv", "WKT,NAME\n\"POINT(1 2)\",𠮷野家\n\"POINT(3 4)\",😀?\n");
  const std::string input = folder.PathText("kanji.shp");
  ASSERT_EQ(RunCommand("ogr2ogr -f 'ESRI Shapefile' " + Quote(input) + " " + Quote(folder.PathText("kanji.csv")) +
                       " -lco ENCODING=UTF-8 -nlt POINT")
                .status,
            0);
  const auto run = RunCommand(kTool + " shp rewrite " + Quote(input) + " " + Quote(folder.PathText("sjis.shp")) +
                              " --output-encoding sjis");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("warning: 2 characters have no Shift-JIS form"), std::string::npos) << run.err;
  const auto values = GdalFeatures(folder.PathText("sjis.shp"));
  EXPECT_NE(std::find(values.begin(), values.end(), "(String) = ?野家"), values.end());
}

// A file whose records cannot be written at all is an error, and leaves
// nothing at the output.
TEST_F(ShpRewriteIntegrityTest, NothingWrittenIsAFailure) {
  const std::string base = folder.PathText("multi");
  ASSERT_EQ(RunCommand("shpcreate " + Quote(base) + " multipoint && shpadd " + Quote(base) + " 1 2 3 4 && dbfcreate " +
                       Quote(base) + " -s T 3 && dbfadd " + Quote(base) + " a")
                .status,
            0);
  const auto run = RunCommand(kTool + " shp rewrite " + Quote(base + ".shp") + " " + Quote(folder.PathText("out.shp")));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("multi.shp: shape type 8 cannot be written: nothing was written"), std::string::npos) << run.err;
  EXPECT_EQ(FolderNames(), (std::vector<std::string>{"multi.dbf", "multi.shp", "multi.shx"}));
}

// A write that runs out of room (here: the file size limit) fails clearly,
// and the earlier output of that name is still there, whole.
TEST_F(ShpRewriteIntegrityTest, FailedWriteKeepsTheEarlierOutput) {
  std::string csv = "X,Y,NAME\n";
  for (int i = 0; i < 20000; ++i) csv += std::to_string(i) + "," + std::to_string(i) + ",name" + std::to_string(i) + "\n";
  folder.Write("big.csv", csv);
  const std::string big = folder.PathText("big.shp");
  ASSERT_EQ(RunCommand("ogr2ogr -f 'ESRI Shapefile' " + Quote(big) + " " + Quote(folder.PathText("big.csv")) +
                       " -oo X_POSSIBLE_NAMES=X -oo Y_POSSIBLE_NAMES=Y")
                .status,
            0);
  const std::string out = folder.PathText("out.shp");
  const std::string small = MakeCensus();
  ASSERT_EQ(RunCommand(kTool + " shp rewrite " + Quote(small) + " " + Quote(out)).status, 0);
  std::vector<std::string> before;
  for (const char* name : {"out.shp", "out.shx", "out.dbf", "out.cpg"})
    before.push_back(ScratchFolder::Read(folder.Path(name)));
  const auto namesBefore = FolderNames();

  // 200 KB at most per file; the big input needs far more.
  const auto run = RunCommand("trap '' XFSZ; ulimit -f 200; " + kTool + " shp rewrite " + Quote(big) + " " + Quote(out));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("cannot be written (disk full?); nothing was replaced"), std::string::npos) << run.err;
  EXPECT_EQ(FolderNames(), namesBefore) << "no part-written files are left";
  size_t i = 0;
  for (const char* name : {"out.shp", "out.shx", "out.dbf", "out.cpg"})
    EXPECT_EQ(ScratchFolder::Read(folder.Path(name)), before[i++]) << name;
}

// A truncated index is named in the message, not read short.
TEST_F(ShpRewriteIntegrityTest, TruncatedIndexIsNamed) {
  const std::string census = MakeCensus();
  const std::string shx = ScratchFolder::Read(folder.Path("census.shx"));
  folder.Write("census.shx", shx.substr(0, shx.size() - 8));
  for (const char* command : {" shp dump ", " shp rewrite "}) {
    const auto run = RunCommand(kTool + command + Quote(census) + (command[5] == 'r' ? " " + Quote(folder.PathText("x.shp")) : ""));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("census.shx is cut short: it holds 2 of its 3 records"), std::string::npos) << run.err;
  }
}

}  // namespace
